// Fuzz target 3: the export filter driven by a sequence of transfer objects decoded from
// the input, writing to a scratch directory; every file an export completes is imported
// again and must give back what was sent.
//
// Input: an options string (a length byte and its bytes), then commands, one byte each
// with its operands: a header, a scan of the right size, a scan of any size, all the
// scans the lattice still needs, an end marker, an object of another class, a new options
// string, the options page, or the end of the export and the begin of the next one.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "export/LatExportFilter.h"
#include "fuzz/ExportStream.h"
#include "fuzz/FuzzBytes.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzDrivers.h"
#include "fuzz/ImportChecker.h"
#include "fuzz/ScratchFile.h"
#include "hostbase/PrimType.h"
#include "hostfw/IoManager.h"
#include "hostfw/IoPropertyPage.h"
#include "import/LatImportFilter.h"

namespace latfuzz {
namespace {

namespace fs = std::filesystem;
using hostbase::CPrimType;
using hostfw::ExportStatus;

constexpr int kMostCommands = 200;

// The export's host: answers progress as the input says and notes whether it said stop.
class ExportHost final : public hostfw::IoProgressSink, public hostfw::IoMessageSink {
 public:
  explicit ExportHost(hostfw::IoManager& manager) : manager_(manager) {
    manager_.SetProgressSink(this);
    manager_.SetMessageSink(this);
  }
  ~ExportHost() override {
    manager_.SetProgressSink(nullptr);
    manager_.SetMessageSink(nullptr);
  }
  ExportHost(const ExportHost&) = delete;
  ExportHost& operator=(const ExportHost&) = delete;

  bool Begin(const std::string& message) override {
    LAT_FUZZ_CHECK_MSG(message == "Exporting Iris Explorer LAT file out.lat", message);
    saidStop = saidStop || cancelAtBegin;
    return !cancelAtBegin;
  }
  bool Proportion(double fraction) override {
    LAT_FUZZ_CHECK_MSG(fraction >= 0.0 && fraction <= 1.0, std::to_string(fraction));
    const bool stop = reports_++ == cancelAtReport;
    saidStop = saidStop || stop;
    return !stop;
  }
  void Stop() override {}
  void Warning(const std::string& /*text*/) override {}
  void ShowHelp(const std::string& /*topic*/) override {}

  int cancelAtReport = -1;  // the progress report (from 0) answered with stop
  bool cancelAtBegin = false;
  bool saidStop = false;  // reset by the driver before each call it checks

 private:
  hostfw::IoManager& manager_;
  int reports_ = 0;
};

// Records what an import of an exported file delivers, after the checking host saw it.
class RoundTripSink final : public hostfw::IoObjectSink {
 public:
  explicit RoundTripSink(ImportChecker& checker) : checker_(checker) {}
  bool Receive(hostfw::TrBase& object) override {
    const bool accepted = checker_.Receive(object);
    const hostbase::CTypeInfo* type = object.GetTypeId();
    if (type == hostfw::TrLatticeScan::GetClassTypeId()) {
      const auto& scan = static_cast<const hostfw::TrLatticeScan&>(object);
      const auto* bytes = static_cast<const unsigned char*>(scan.data);
      std::vector<unsigned char>& into = curvilinear && scans++ % 2 == 0 ? coords : values;
      into.insert(into.end(), bytes, bytes + scan.GetSize());
    } else if (type != hostfw::TrLatticeEnd::GetClassTypeId()) {
      const auto& lattice = static_cast<const hostfw::TrLattice&>(object);
      shape = {lattice.nx, lattice.ny, lattice.nz, lattice.numComponents, lattice.dataType};
      curvilinear = type == hostfw::TrCurvilinearLattice::GetClassTypeId();
      if (type == hostfw::TrRectilinearLattice::GetClassTypeId()) {
        const auto& r = static_cast<const hostfw::TrRectilinearLattice&>(object);
        const void* const lists[3] = {r.xCoords, r.yCoords, r.zCoords};
        const std::int32_t counts[3] = {r.nx, r.ny, r.nz};
        for (int a = 0; a < 3; ++a) {
          const auto* floats = static_cast<const float*>(lists[a]);
          axes.insert(axes.end(), floats, floats + counts[a]);
        }
      }
    }
    return accepted;
  }

  std::vector<std::int32_t> shape;
  bool curvilinear = false;
  std::int64_t scans = 0;
  std::vector<unsigned char> values, coords;
  std::vector<float> axes;

 private:
  ImportChecker& checker_;
};

// What the export sent of the lattice it is receiving, converted as the file must hold it.
struct Expected {
  SentHeader header;
  std::int64_t scansSent = 0;
  std::vector<unsigned char> values;  // in the written type
  std::vector<unsigned char> coords;  // curvilinear: floats
};

bool SameFloats(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * 4) == 0);
}

std::vector<std::uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ExportRun {
 public:
  ExportRun(FuzzBytes& in, const ScratchFile& scratch) : in_(in), scratch_(scratch) {}

  // Control bytes: the progress report the host cancels (255: none), then whether it
  // cancels when the report begins (0: it does).
  void Run() {
    const std::uint8_t report = in_.Byte();
    host_.cancelAtReport = report == 255 ? -1 : report;
    host_.cancelAtBegin = in_.Byte() == 0;
    filter_.SetOptions(TextOption().c_str());
    BeginExport();
    for (int i = 0; i < kMostCommands && !in_.Empty(); ++i) {
      Command(in_.Byte() % 10);
      if (!failed_) continue;
      // After an error the host ends the export and may begin the next one.
      EndExport();
      BeginExport();
    }
    EndExport();
  }

 private:
  void Command(int command) {
    switch (command) {
      case 0:
      case 1:
        return SendHeader();
      case 2:
      case 3:
        return SendScans(1, true);
      case 4:
        return SendScans(1, false);
      case 5:
        return SendScans(expected_ ? expected_->header.Scans() : 1, true);
      case 6:
        return SendOther();
      case 7:
        return filter_.SetOptions(TextOption().c_str());
      case 8: {
        std::vector<hostfw::IoPropertyPage*> pages;
        filter_.GetPropertyPages(pages, scratch_.Path().c_str());
        LAT_FUZZ_CHECK(pages.size() == 1 && pages[0] != nullptr);
        return;
      }
      default:
        EndExport();
        BeginExport();
    }
  }

  // An options string: a length byte and its bytes, up to the first NUL byte.
  std::string TextOption() {
    const std::string_view text = in_.Text();
    return std::string(text.data(), strnlen(text.data(), text.size()));
  }

  void BeginExport() {
    LAT_FUZZ_CHECK(filter_.BeginExportToFile(scratch_.Path().c_str(), in_.Bool()) ==
                   hostfw::ExportStatus_Accepted);
    expected_.reset();
    complete_.reset();
    failed_ = false;
  }

  // A call that may raise the filter's own errors; an error ends the export.
  template <class Call>
  std::optional<ExportStatus> Guarded(Call call) {
    host_.saidStop = false;
    try {
      return call();
    } catch (const hostbase::CError& error) {
      const bool filterError = error.Module() == "LatExportFilter" &&
                               (error.Code() == 0 || error.Code() == 1 || error.Code() == 27);
      LAT_FUZZ_CHECK_MSG(filterError, error.Module() + " " + std::to_string(error.Code()) + ": " +
                                          error.Message());
      expected_.reset();
      failed_ = true;
      return std::nullopt;
    }
  }

  void SendHeader() {
    SentHeader sent;
    const std::unique_ptr<hostfw::TrLattice> header = DecodeHeader(in_, sent);
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
    LAT_FUZZ_CHECK_MSG(sent.Valid(), "a header outside the format was accepted");
    expected_.reset();
    if (*status == hostfw::ExportStatus_Accepted) expected_ = Expected{sent, 0, {}, {}};
  }

  void SendScans(std::int64_t count, bool rightSize) {
    for (std::int64_t i = 0; i < count; ++i) {
      const std::size_t needed = expected_ ? expected_->header.ScanBytes(expected_->scansSent) : 0;
      const std::size_t bytes = rightSize ? needed : in_.Byte();
      const std::unique_ptr<hostfw::TrLatticeScan> scan = DecodeScan(in_, bytes);
      const bool fits = bytes >= needed;
      const std::optional<ExportStatus> status =
          Guarded([&] { return filter_.ExportObject(*scan); });
      if (!status) {
        LAT_FUZZ_CHECK_MSG(!fits, "a scan that fits its row was refused");
        return;
      }
      LAT_FUZZ_CHECK(*status == hostfw::ExportStatus_Accepted ||
                     (*status == hostfw::ExportStatus_Cancelled && host_.saidStop));
      if (!expected_) continue;
      LAT_FUZZ_CHECK_MSG(fits, "a scan shorter than its row was taken");
      Take(*scan, needed);
    }
  }

  // Keeps a taken scan as the file will hold it.
  void Take(const hostfw::TrLatticeScan& scan, std::size_t bytes) {
    Expected& e = *expected_;
    const bool coordScan = e.header.kind == 2 && e.scansSent % 2 == 0;
    const int from = coordScan ? e.header.coordType : e.header.dataType;
    const int to = coordScan ? CPrimType::Float : WrittenType(e.header.dataType);
    const std::size_t count = bytes / static_cast<std::size_t>(CPrimType::TypeSize[from]);
    std::vector<unsigned char>& into = coordScan ? e.coords : e.values;
    const std::size_t at = into.size();
    into.resize(at + count * static_cast<std::size_t>(CPrimType::TypeSize[to]));
    if (count != 0) CPrimType::CastArray(from, scan.data, to, into.data() + at, count, 1);
    if (++e.scansSent == e.header.Scans()) {
      complete_ = std::move(e);
      expected_.reset();
    }
  }

  void SendOther() {
    OtherObject other;
    LAT_FUZZ_CHECK(filter_.ExportObject(other) == hostfw::ExportStatus_NotHandled);
    hostfw::TrLatticeEnd end;
    LAT_FUZZ_CHECK(filter_.ExportObject(end) == hostfw::ExportStatus_Accepted);
  }

  // Ends the export: a completed lattice is in the file and reads back; otherwise the
  // output is as it was before, and no other file is left in the directory.
  void EndExport() {
    const std::optional<ExportStatus> status = Guarded([&] { return filter_.EndExportToFile(); });
    LAT_FUZZ_CHECK_MSG(status.has_value(), "the end of an export raised");
    if (complete_) {
      LAT_FUZZ_CHECK(*status == hostfw::ExportStatus_Accepted);
      ImportBack(*complete_);
      committed_ = ReadAll(scratch_.Path());
    } else {
      LAT_FUZZ_CHECK(*status == hostfw::ExportStatus_Accepted ||
                     *status == hostfw::ExportStatus_NoLattice);
      const bool exists = fs::exists(scratch_.Path());
      LAT_FUZZ_CHECK_MSG(exists == committed_.has_value(), "the output appeared or vanished");
      if (exists) LAT_FUZZ_CHECK_MSG(ReadAll(scratch_.Path()) == *committed_, "the output changed");
    }
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(scratch_.Directory()))
      ++entries;
    LAT_FUZZ_CHECK_MSG(entries == (committed_ ? 1u : 0u), "a file was left behind");
    complete_.reset();
    expected_.reset();
  }

  void ImportBack(const Expected& sent) {
    const std::vector<std::uint8_t> file = ReadAll(scratch_.Path());
    hostfw::IoManager manager;
    ImportChecker checker(manager, scratch_.Path(), file, StopPlan{});
    RoundTripSink sink(checker);
    manager.SetObjectSink(&sink);
    LatImportFilter filter(manager);
    try {
      checker.Finish(filter.ImportFromFile(scratch_.Path().c_str()));
    } catch (const hostbase::CError& error) {
      LAT_FUZZ_FAIL(std::string("an exported file does not import: ") + error.Message());
    }
    const SentHeader& h = sent.header;
    const std::vector<std::int32_t> shape{h.nx, h.ny, h.nz, h.numComponents,
                                          WrittenType(h.dataType)};
    LAT_FUZZ_CHECK_MSG(sink.shape == shape, "the lattice read back has another shape or type");
    if (!h.blanks) LAT_FUZZ_CHECK_MSG(sink.values == sent.values, "values differ after export");
    if (h.kind == 1) LAT_FUZZ_CHECK_MSG(SameFloats(sink.axes, h.axes), "axes differ after export");
    if (h.kind == 2) LAT_FUZZ_CHECK_MSG(sink.coords == sent.coords, "coordinates differ");
  }

  FuzzBytes& in_;
  const ScratchFile& scratch_;
  hostfw::IoManager manager_;
  ExportHost host_{manager_};
  LatExportFilter filter_{manager_};
  std::optional<Expected> expected_;                    // the lattice being received
  std::optional<Expected> complete_;                    // the lattice completed in this export
  std::optional<std::vector<std::uint8_t>> committed_;  // the output's bytes, once written
  bool failed_ = false;
};

}  // namespace

void FuzzExport(const std::uint8_t* data, std::size_t size) {
  static const ScratchFile scratch("out.lat");
  scratch.Clear();
  FuzzBytes in(data, size);
  ExportRun run(in, scratch);
  run.Run();
}

}  // namespace latfuzz
