// The export target: the export filter driven by transfer objects decoded from the input;
// a completed file imports back as what was sent, an export that does not complete leaves
// the output as it was. Input: the progress report the host cancels (255: none), whether it
// cancels at the begin (0), an options string, then one-byte commands and their operands.
#include <cmath>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <optional>

#include "export/LatExportFilter.h"
#include "fuzz/Fuzz.h"
#include "hostbase/Error.h"
#include "hostbase/PrimType.h"
#include "import/LatImportFilter.h"
#include "tests/support/TempDir.h"

namespace latfuzz {
namespace {

namespace fs = std::filesystem;
using hostbase::CPrimType;
using hostfw::ExportStatus;
using enum hostfw::ExportStatus;

// The format's promotions: unsigned and 64-bit integers widen, reals stay.
constexpr int kWritten[CPrimType::kTypeCount] = {0, 2, 2, 4, 4, 8, 8, 7, 8};

// A lattice sent: its header as the host records it, and the bytes of its scans so far.
struct Sent {
  explicit Sent(const hostfw::TrBase& h) : header(lattest::RecordObject(h)) {}
  lattest::RecordedObject header;
  std::int64_t scans = 0;
  std::vector<std::uint8_t> values, coords;

  bool Curvilinear() const { return header.kind == lattest::RecordedObject::Kind::Curvilinear; }
  bool CoordScan() const { return Curvilinear() && scans % 2 == 0; }
};

std::vector<std::uint8_t> ReadAll(const std::string& path) {
  const std::string bytes = lattest::ReadFile(path);
  return {bytes.begin(), bytes.end()};
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
      const int command = in_.Byte() % 9;
      if (command < 2) SendHeader();
      if (command >= 2 && command <= 4) SendScans(1, command != 4);
      if (command == 5) SendScans(sending_ ? ScanCount(sending_->header) : 1, true);
      if (command == 6) {  // a stray end marker
        hostfw::TrLatticeEnd end;
        LAT_FUZZ_CHECK(filter_.ExportObject(end) == ExportStatus_Accepted);
      }
      if (command == 7) filter_.SetOptions(in_.Text().c_str());
      // After an error (or when the input says so) the host ends the export and begins the next.
      if (failed_ || command == 8) {
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
    double value = b - 100.0;
    const std::string_view bytes = in_.Take(b < 200 ? 0 : sizeof value);
    if (!bytes.empty()) std::memcpy(&value, bytes.data(), bytes.size());
    return value;
  }

  void Begin() {
    host_.Clear();
    LAT_FUZZ_CHECK(filter_.BeginExportToFile(path_.c_str(), (in_.Byte() & 1) != 0) ==
                   ExportStatus_Accepted);
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
    const int kind = in_.Byte() % 3;
    const std::int32_t nx = Count(24), ny = Count(24), nz = Count(6), comps = Count(4);
    const std::int32_t type = Type(), coordType = kind == 0 ? CPrimType::Float : Type();
    const bool valid = nx >= 1 && ny >= 1 && nz >= 1 && comps >= 1 && CPrimType::IsValid(type) &&
                       CPrimType::IsValid(coordType);
    std::unique_ptr<hostfw::TrLattice> header;
    if (kind == 0) {
      auto u = std::make_unique<hostfw::TrUniformLattice>(type, nx, ny, nz, comps);
      for (int a = 0; a < 3; ++a) u->origin[a] = Real(), u->spacing[a] = Real();
      header = std::move(u);
    } else if (kind == 1) {
      auto r = std::make_unique<hostfw::TrRectilinearLattice>(coordType, type, nx, ny, nz, comps);
      for (const auto& [axis, n] :
           {std::pair{r->xCoords, nx}, {r->yCoords, ny}, {r->zCoords, nz}}) {
        const std::string_view bytes = in_.Take(valid ? n * CPrimType::TypeSize[coordType] : 0);
        if (!bytes.empty()) std::memcpy(axis, bytes.data(), bytes.size());
      }
      header = std::move(r);
    } else {
      header = std::make_unique<hostfw::TrCurvilinearLattice>(coordType, type, nx, ny, nz, comps);
    }
    header->flags = in_.Byte();
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
    // A second lattice is refused (as cancelled), unless the dialog was cancelled first.
    LAT_FUZZ_CHECK(*status == ExportStatus_Cancelled ||
                   (*status == ExportStatus_Accepted && !complete_));
    LAT_FUZZ_CHECK_MSG(valid || complete_, "a header outside the format was accepted");
    sending_ = *status == ExportStatus_Accepted ? std::make_unique<Sent>(*header) : nullptr;
  }

  void SendScans(std::int64_t count, bool rightSize) {
    for (std::int64_t i = 0; i < count; ++i) {
      const std::size_t needed = sending_ ? ScanSize(sending_->header, sending_->CoordScan()) : 0;
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
      LAT_FUZZ_CHECK(*status == ExportStatus_Accepted ||
                     (*status == ExportStatus_Cancelled && SaidStop()));
      if (!sending_) continue;
      LAT_FUZZ_CHECK_MSG(bytes >= needed, "a scan shorter than its row was taken");
      const auto* data = static_cast<const std::uint8_t*>(scan.data);
      auto& into = sending_->CoordScan() ? sending_->coords : sending_->values;
      into.insert(into.end(), data, data + needed);
      if (++sending_->scans == ScanCount(sending_->header)) complete_ = std::move(sending_);
    }
  }

  // No file but the output is ever left in the directory.
  void End() {
    const ExportStatus status = filter_.EndExportToFile();
    for (const std::string& message : host_.beginMessages)
      LAT_FUZZ_CHECK_MSG(message == "Exporting Iris Explorer LAT file out.lat", message);
    for (double fraction : host_.fractions) LAT_FUZZ_CHECK(fraction >= 0.0 && fraction <= 1.0);
    const auto output = fs::exists(path_) ? std::optional(ReadAll(path_)) : std::nullopt;
    if (complete_) {
      LAT_FUZZ_CHECK(status == ExportStatus_Accepted && output);
      ImportBack(*complete_, *output);
      committed_ = output;
    } else {
      LAT_FUZZ_CHECK(status == ExportStatus_Accepted || status == ExportStatus_NoLattice);
      LAT_FUZZ_CHECK_MSG(output == committed_, "the output changed, appeared or vanished");
    }
    const auto entries =
        std::distance(fs::directory_iterator(dir_.Path()), fs::directory_iterator());
    LAT_FUZZ_CHECK_MSG(entries == (committed_ ? 1 : 0), "a file was left behind");
    complete_.reset();
    sending_.reset();
  }

  // The file holds the values in the written type, the coordinates as floats.
  void ImportBack(const Sent& sent, const std::vector<std::uint8_t>& file) {
    hostfw::IoManager manager;
    lattest::RecordingHost host(manager);
    LatImportFilter filter(manager);
    const Delivery d = CheckedImport(filter, host, path_, file);
    LAT_FUZZ_CHECK_MSG(d.end == Delivery::End::Complete && d.lattices == 1,
                       "an exported file does not import: " + d.error);
    const lattest::RecordedObject& h = host.objects.front();
    const lattest::RecordedObject& s = sent.header;
    const int written = kWritten[s.dataType];
    LAT_FUZZ_CHECK_MSG(h.nx == s.nx && h.ny == s.ny && h.nz == s.nz &&
                           h.numComponents == s.numComponents && h.dataType == written,
                       "the lattice read back has another shape or type");
    const auto converted = [](const std::vector<std::uint8_t>& from, int type, int to) {
      std::vector<std::uint8_t> out(from.size() / CPrimType::TypeSize[type] *
                                    CPrimType::TypeSize[to]);
      CPrimType::CastArray(type, from.data(), to, out.data(), out.size() / CPrimType::TypeSize[to],
                           1);
      return out;
    };
    const bool curvilinear = sent.Curvilinear();
    if ((s.flags & hostfw::TrLattice::kFlagMayHaveBlanks) == 0)
      LAT_FUZZ_CHECK_MSG(host.ScanBytes(curvilinear ? 1 : 0, curvilinear ? 2 : 1) ==
                             converted(sent.values, s.dataType, written),
                         "values differ after export");
    if (curvilinear)
      LAT_FUZZ_CHECK_MSG(
          host.ScanBytes(0, 2) == converted(sent.coords, s.coordType, CPrimType::Float),
          "coordinates differ");
    for (const auto& [read, wrote] :
         {std::pair{&h.xCoords, &s.xCoords}, {&h.yCoords, &s.yCoords}, {&h.zCoords, &s.zCoords}})
      LAT_FUZZ_CHECK_MSG(
          std::equal(read->begin(), read->end(), wrote->begin(), wrote->end(), SameFloat),
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
