// The export target: the export filter driven by transfer objects decoded from the input,
// writing into a scratch directory; every file an export completes is imported again and
// must give back what was sent, and an export that does not complete leaves the output
// as it was.
//
// Input: the progress report the host cancels (255: none), whether it cancels when the
// report begins (0: it does), an options string (a length byte and its bytes), then
// commands of one byte each with their operands.
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "export/LatExportFilter.h"
#include "fuzz/Fuzz.h"
#include "hostbase/PrimType.h"
#include "hostfw/IoPropertyPage.h"
#include "import/LatImportFilter.h"
#include "tests/support/TempDir.h"

namespace latfuzz {
namespace {

namespace fs = std::filesystem;
using hostbase::CPrimType;
using hostfw::ExportStatus;

// A lattice sent, with the values and coordinates the file must hold.
struct Sent {
  int kind = 0;  // 0 uniform, 1 rectilinear, 2 curvilinear
  std::int32_t nx = 0, ny = 0, nz = 0, components = 0, dataType = 0, coordType = CPrimType::Float;
  bool blanks = false;
  std::int64_t scans = 0;  // taken so far
  std::vector<float> axes;
  std::vector<unsigned char> values, coords;

  bool Valid() const {
    return nx >= 1 && ny >= 1 && nz >= 1 && components >= 1 && CPrimType::IsValid(dataType) &&
           CPrimType::IsValid(coordType);
  }
  std::int64_t Scans() const { return std::int64_t{ny} * nz * (kind == 2 ? 2 : 1); }
  bool CoordScan() const { return kind == 2 && scans % 2 == 0; }
  std::size_t ScanBytes() const {
    const int type = CoordScan() ? coordType : dataType;
    return static_cast<std::size_t>(nx) * (CoordScan() ? 3 : static_cast<std::size_t>(components)) *
           static_cast<std::size_t>(CPrimType::TypeSize[type]);
  }
};

// The format's promotions: unsigned and 64-bit integers widen, reals stay.
int WrittenType(int dataType) {
  static constexpr int kWritten[CPrimType::kTypeCount] = {0, 2, 2, 4, 4, 8, 8, 7, 8};
  return kWritten[dataType];
}

std::vector<std::uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool SameFloat(float a, float b) {
  return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

class ExportRun {
 public:
  ExportRun(FuzzBytes& in, const lattest::TempDir& dir)
      : in_(in), path_(dir.File("out.lat")), dir_(dir) {}

  void Run() {
    const std::uint8_t report = in_.Byte();
    host_.cancelAtProportion = report == 255 ? lattest::RecordingHost::kNever : report;
    host_.cancelAtBegin = in_.Byte() == 0;
    filter_.SetOptions(in_.Text().c_str());
    Begin();
    for (int i = 0; i < 200 && !in_.Empty(); ++i) {
      switch (in_.Byte() % 10) {
        case 0:
        case 1:
          SendHeader();
          break;
        case 2:
        case 3:
          SendScans(1, true);
          break;
        case 4:
          SendScans(1, false);
          break;
        case 5:
          SendScans(sending_ ? sending_->Scans() : 1, true);
          break;
        case 6: {  // an object of a class the filter does not take, then a stray end marker
          struct Other final : hostfw::TrBase {
            const hostbase::CTypeInfo* GetTypeId() const override { return GetClassTypeId(); }
          } other;
          LAT_FUZZ_CHECK(filter_.ExportObject(other) == hostfw::ExportStatus_NotHandled);
          hostfw::TrLatticeEnd end;
          LAT_FUZZ_CHECK(filter_.ExportObject(end) == hostfw::ExportStatus_Accepted);
          break;
        }
        case 7:
          filter_.SetOptions(in_.Text().c_str());
          break;
        case 8: {
          std::vector<hostfw::IoPropertyPage*> pages;
          filter_.GetPropertyPages(pages, path_.c_str());
          LAT_FUZZ_CHECK(pages.size() == 1 && pages[0] != nullptr);
          break;
        }
        default:
          failed_ = true;
      }
      // After an error (or when the input says so) the host ends the export and begins the next.
      if (failed_) {
        End();
        Begin();
      }
    }
    End();
  }

 private:
  // Mostly 1..largest, sometimes a count outside the contract (-2..5).
  std::int32_t Count(std::int32_t largest) {
    const std::uint8_t b = in_.Byte();
    return b < 8 ? b - 2 : 1 + b % largest;
  }
  // A known type code, now and then an unknown one.
  std::int32_t Type() {
    static constexpr std::int32_t kUnknown[] = {-1, 9, 1000};
    const std::uint8_t b = in_.Byte() % 12;
    return b < 9 ? b : kUnknown[b - 9];
  }
  // A small whole number, or eight bytes as a double (NaN and infinities too).
  double Real() {
    const std::uint8_t b = in_.Byte();
    double value = 0.0;
    const std::string_view bytes = b < 200 ? std::string_view() : in_.Take(sizeof value);
    std::memcpy(&value, bytes.data(), bytes.size());
    return b < 200 ? b - 100.0 : value;
  }

  void Begin() {
    host_.Clear();
    LAT_FUZZ_CHECK(filter_.BeginExportToFile(path_.c_str(), (in_.Byte() & 1) != 0) ==
                   hostfw::ExportStatus_Accepted);
    sending_.reset();
    complete_.reset();
    failed_ = false;
  }

  bool SaidStop() const {
    return (host_.cancelAtBegin && !host_.beginMessages.empty()) ||
           (host_.cancelAtProportion >= 0 &&
            host_.fractions.size() > static_cast<std::size_t>(host_.cancelAtProportion));
  }

  // A call that may raise the filter's own errors (bad header, short scan, output); an
  // error ends the export.
  template <class Call>
  std::optional<ExportStatus> Guarded(Call call) {
    try {
      return call();
    } catch (const hostbase::CError& error) {
      LAT_FUZZ_CHECK_MSG(
          error.Module() == "LatExportFilter" &&
              (error.Code() == 0 || error.Code() == 1 || error.Code() == 27),
          error.Module() + " " + std::to_string(error.Code()) + ": " + error.Message());
      sending_.reset();
      failed_ = true;
      return std::nullopt;
    }
  }

  void SendHeader() {
    Sent s;
    s.kind = in_.Byte() % 3;
    s.nx = Count(24);
    s.ny = Count(24);
    s.nz = Count(6);
    s.components = Count(4);
    s.dataType = Type();
    if (s.kind != 0) s.coordType = Type();
    std::unique_ptr<hostfw::TrLattice> header;
    if (s.kind == 0) {
      auto u =
          std::make_unique<hostfw::TrUniformLattice>(s.dataType, s.nx, s.ny, s.nz, s.components);
      for (int a = 0; a < 3; ++a) u->origin[a] = Real(), u->spacing[a] = Real();
      header = std::move(u);
    } else if (s.kind == 1) {
      auto r = std::make_unique<hostfw::TrRectilinearLattice>(s.coordType, s.dataType, s.nx, s.ny,
                                                              s.nz, s.components);
      // Each axis value stored in the coordinate type, and kept as the float the file holds.
      const std::size_t size = s.Valid() ? CPrimType::TypeSize[s.coordType] : 0;
      const std::pair<void*, std::int32_t> axes[] = {
          {r->xCoords, s.nx}, {r->yCoords, s.ny}, {r->zCoords, s.nz}};
      for (const auto& [axis, count] : axes)
        for (std::int32_t i = 0; size != 0 && i < count; ++i) {
          const double value = Real();
          void* at = static_cast<unsigned char*>(axis) + static_cast<std::size_t>(i) * size;
          CPrimType::CastArray(CPrimType::Double, &value, s.coordType, at, 1, 1);
          CPrimType::CastArray(s.coordType, at, CPrimType::Float, &s.axes.emplace_back(), 1, 1);
        }
      header = std::move(r);
    } else {
      header = std::make_unique<hostfw::TrCurvilinearLattice>(s.coordType, s.dataType, s.nx, s.ny,
                                                              s.nz, s.components);
    }
    header->flags = in_.Byte();
    s.blanks = (header->flags & hostfw::TrLattice::kFlagMayHaveBlanks) != 0;
    header->blankValue = Real();
    header->scanMode = static_cast<std::int8_t>(in_.Byte());
    header->scanParam = static_cast<std::int8_t>(in_.Byte());
    for (int ranges = in_.Byte() % 6; ranges > 0; --ranges) {
      header->componentMin.push_back(Real());
      header->componentMax.push_back(Real());
    }
    const std::optional<ExportStatus> status =
        Guarded([&] { return filter_.ExportObject(*header); });
    LAT_FUZZ_CHECK(header->scanMode == 0 && header->scanParam == 0);
    if (!status) return;
    if (complete_) {  // a second lattice is refused, unless the dialog was cancelled first
      LAT_FUZZ_CHECK(*status == hostfw::ExportStatus_Cancelled);
      return;
    }
    LAT_FUZZ_CHECK(*status == hostfw::ExportStatus_Accepted ||
                   *status == hostfw::ExportStatus_Cancelled);
    LAT_FUZZ_CHECK_MSG(s.Valid(), "a header outside the format was accepted");
    sending_.reset();
    if (*status == hostfw::ExportStatus_Accepted) sending_ = std::make_unique<Sent>(std::move(s));
  }

  void SendScans(std::int64_t count, bool rightSize) {
    for (std::int64_t i = 0; i < count; ++i) {
      const std::size_t needed = sending_ ? sending_->ScanBytes() : 0;
      const std::size_t bytes = rightSize ? needed : in_.Byte();
      hostfw::TrLatticeScan scan(static_cast<int>(bytes));
      const std::string_view fill = in_.Take(bytes);
      if (!fill.empty()) std::memcpy(scan.data, fill.data(), fill.size());
      const std::optional<ExportStatus> status =
          Guarded([&] { return filter_.ExportObject(scan); });
      if (!status) {
        LAT_FUZZ_CHECK_MSG(bytes < needed, "a scan that fits its row was refused");
        return;
      }
      LAT_FUZZ_CHECK(*status == hostfw::ExportStatus_Accepted ||
                     (*status == hostfw::ExportStatus_Cancelled && SaidStop()));
      if (!sending_) continue;
      LAT_FUZZ_CHECK_MSG(bytes >= needed, "a scan shorter than its row was taken");
      Take(scan, needed);
    }
  }

  // Keeps a taken scan converted as the file holds it.
  void Take(const hostfw::TrLatticeScan& scan, std::size_t bytes) {
    Sent& s = *sending_;
    const int from = s.CoordScan() ? s.coordType : s.dataType;
    const int to = s.CoordScan() ? CPrimType::Float : WrittenType(s.dataType);
    const std::size_t count = bytes / static_cast<std::size_t>(CPrimType::TypeSize[from]);
    std::vector<unsigned char>& into = s.CoordScan() ? s.coords : s.values;
    const std::size_t at = into.size();
    into.resize(at + count * static_cast<std::size_t>(CPrimType::TypeSize[to]));
    if (count != 0) CPrimType::CastArray(from, scan.data, to, into.data() + at, count, 1);
    if (++s.scans == s.Scans()) complete_ = std::move(sending_);
  }

  // A completed lattice is in the file and reads back; otherwise the output is as it was
  // before. No other file is ever left in the directory.
  void End() {
    const std::optional<ExportStatus> status = Guarded([&] { return filter_.EndExportToFile(); });
    LAT_FUZZ_CHECK_MSG(status.has_value(), "the end of an export raised");
    for (const std::string& message : host_.beginMessages)
      LAT_FUZZ_CHECK_MSG(message == "Exporting Iris Explorer LAT file out.lat", message);
    for (double fraction : host_.fractions) LAT_FUZZ_CHECK(fraction >= 0.0 && fraction <= 1.0);
    if (complete_) {
      LAT_FUZZ_CHECK(*status == hostfw::ExportStatus_Accepted);
      ImportBack(*complete_);
      committed_ = ReadAll(path_);
    } else {
      LAT_FUZZ_CHECK(*status == hostfw::ExportStatus_Accepted ||
                     *status == hostfw::ExportStatus_NoLattice);
      LAT_FUZZ_CHECK_MSG(fs::exists(path_) == committed_.has_value(),
                         "the output appeared or vanished");
      if (committed_) LAT_FUZZ_CHECK_MSG(ReadAll(path_) == *committed_, "the output changed");
    }
    const auto entries =
        std::distance(fs::directory_iterator(dir_.Path()), fs::directory_iterator());
    LAT_FUZZ_CHECK_MSG(entries == (committed_ ? 1 : 0), "a file was left behind");
    complete_.reset();
    sending_.reset();
  }

  void ImportBack(const Sent& sent) {
    const std::vector<std::uint8_t> file = ReadAll(path_);
    hostfw::IoManager manager;
    lattest::RecordingHost host(manager);
    LatImportFilter filter(manager);
    const Delivery d = CheckedImport(filter, host, path_, file, {});
    LAT_FUZZ_CHECK_MSG(d.end == Delivery::End::Complete && d.lattices == 1,
                       "an exported file does not import: " + d.error);
    const lattest::RecordedObject& h = host.objects.front();
    LAT_FUZZ_CHECK_MSG(h.nx == sent.nx && h.ny == sent.ny && h.nz == sent.nz &&
                           h.numComponents == sent.components &&
                           h.dataType == WrittenType(sent.dataType),
                       "the lattice read back has another shape or type");
    const bool curvilinear = sent.kind == 2;
    if (!sent.blanks)
      LAT_FUZZ_CHECK_MSG(host.ScanBytes(curvilinear ? 1 : 0, curvilinear ? 2 : 1) == sent.values,
                         "values differ after export");
    if (curvilinear) LAT_FUZZ_CHECK_MSG(host.ScanBytes(0, 2) == sent.coords, "coordinates differ");
    if (sent.kind != 1) return;
    std::vector<float> axes = h.xCoords;
    axes.insert(axes.end(), h.yCoords.begin(), h.yCoords.end());
    axes.insert(axes.end(), h.zCoords.begin(), h.zCoords.end());
    LAT_FUZZ_CHECK_MSG(
        std::equal(axes.begin(), axes.end(), sent.axes.begin(), sent.axes.end(), SameFloat),
        "axes differ after export");
  }

  FuzzBytes& in_;
  const std::string path_;
  const lattest::TempDir& dir_;
  hostfw::IoManager manager_;
  lattest::RecordingHost host_{manager_};
  LatExportFilter filter_{manager_};
  std::unique_ptr<Sent> sending_;                       // the lattice being received
  std::unique_ptr<Sent> complete_;                      // the lattice completed in this export
  std::optional<std::vector<std::uint8_t>> committed_;  // the output's bytes, once written
  bool failed_ = false;
};

}  // namespace

void FuzzExport(const std::uint8_t* data, std::size_t size) {
  static const lattest::TempDir dir;
  std::error_code ignored;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir.Path()))
    fs::remove_all(entry.path(), ignored);
  FuzzBytes in(data, size);
  ExportRun(in, dir).Run();
}

}  // namespace latfuzz
