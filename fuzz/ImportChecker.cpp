// Checks an import's object stream, progress and errors as they arrive.
#include "fuzz/ImportChecker.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <variant>

#include "fuzz/FuzzCheck.h"
#include "hostbase/Path.h"
#include "hostbase/PrimType.h"

namespace latfuzz {
namespace {

using hostbase::CPrimType;
using hostfw::ErrCode;

constexpr const char* kLatFormat = "Iris Explorer LAT";

bool IsImportDataType(int type) {
  return type == CPrimType::Int8 || type == CPrimType::Int16 || type == CPrimType::Int32 ||
         type == CPrimType::Float || type == CPrimType::Double;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool IsInt(const hostbase::CErrorArg& arg) {
  return std::holds_alternative<std::int64_t>(arg);
}

bool IsText(const hostbase::CErrorArg& arg, const std::string& text) {
  return std::holds_alternative<std::string>(arg) && std::get<std::string>(arg) == text;
}

std::string Describe(const hostbase::CError& error) {
  return error.Module() + " code " + std::to_string(error.Code()) + ": " + error.Message();
}

}  // namespace

ImportChecker::ImportChecker(hostfw::IoManager& manager, std::string path,
                             std::span<const std::uint8_t> file, StopPlan plan)
    : manager_(manager),
      path_(std::move(path)),
      name_(hostbase::CPath::GetNamePtr(path_.c_str())),
      file_(file),
      plan_(plan) {
  manager_.SetObjectSink(this);
  manager_.SetProgressSink(this);
  manager_.SetMessageSink(this);
}

ImportChecker::~ImportChecker() {
  manager_.SetObjectSink(nullptr);
  manager_.SetProgressSink(nullptr);
  manager_.SetMessageSink(nullptr);
}

bool ImportChecker::Answer(bool stopHere) {
  if (stopHere) answeredStop_ = true;
  return !stopHere;
}

bool ImportChecker::Receive(hostfw::TrBase& object) {
  LAT_FUZZ_CHECK_MSG(!answeredStop_, "an object arrived after the host said stop");
  LAT_FUZZ_CHECK_MSG(begins_ == 1, "an object arrived outside the progress report");
  LAT_FUZZ_CHECK_MSG(proportionDue_ < 0, "a row's progress report was skipped");
  const hostbase::CTypeInfo* type = object.GetTypeId();
  lastWasCurvilinearHeader_ = false;
  if (type == hostfw::TrUniformLattice::GetClassTypeId()) {
    const auto& u = static_cast<const hostfw::TrUniformLattice&>(object);
    CheckHeader(u, false, "Name:\t");
    MixValue(u.origin);
    MixValue(u.spacing);
  } else if (type == hostfw::TrRectilinearLattice::GetClassTypeId()) {
    const auto& r = static_cast<const hostfw::TrRectilinearLattice&>(object);
    CheckHeader(r, false, "Filename:\t");
    CheckCoordType(r.coordType);
    LAT_FUZZ_CHECK(r.xCoords != nullptr && r.yCoords != nullptr && r.zCoords != nullptr);
    const auto size = static_cast<std::size_t>(CPrimType::TypeSize[r.coordType]);
    Mix(r.xCoords, static_cast<std::size_t>(r.nx) * size);
    Mix(r.yCoords, static_cast<std::size_t>(r.ny) * size);
    Mix(r.zCoords, static_cast<std::size_t>(r.nz) * size);
  } else if (type == hostfw::TrCurvilinearLattice::GetClassTypeId()) {
    const auto& c = static_cast<const hostfw::TrCurvilinearLattice&>(object);
    CheckHeader(c, true, "Filename:\t");
    CheckCoordType(c.coordType);
    coordBytes_ = static_cast<std::size_t>(c.nx) * 3 * CPrimType::TypeSize[c.coordType];
    lastWasCurvilinearHeader_ = true;
  } else if (type == hostfw::TrLatticeScan::GetClassTypeId()) {
    CheckScan(static_cast<const hostfw::TrLatticeScan&>(object));
  } else if (type == hostfw::TrLatticeEnd::GetClassTypeId()) {
    CheckEnd();
  } else {
    LAT_FUZZ_FAIL("an object of a class an import never sends");
  }
  MixValue(type);
  const bool stopHere = objects_ == plan_.refuseObject;
  ++objects_;
  return Answer(stopHere);
}

// LAT coordinates are floats; VTK ones floats or doubles.
void ImportChecker::CheckCoordType(int coordType) const {
  LAT_FUZZ_CHECK(coordType == CPrimType::Float ||
                 (manager_.formatName != kLatFormat && coordType == CPrimType::Double));
}

void ImportChecker::CheckHeader(const hostfw::TrLattice& header, bool curvilinear,
                                const char* infoLabel) {
  LAT_FUZZ_CHECK_MSG(!inLattice_, "a header arrived inside a lattice");
  LAT_FUZZ_CHECK(header.nx >= 1 && header.ny >= 1 && header.nz >= 1);
  LAT_FUZZ_CHECK(header.numComponents >= 1);
  // LAT files hold five types and no blanks; VTK files every type, and blanks.
  const bool lat = manager_.formatName == kLatFormat;
  LAT_FUZZ_CHECK(lat ? IsImportDataType(header.dataType) : CPrimType::IsValid(header.dataType));
  LAT_FUZZ_CHECK(header.scanMode == 0 && header.scanParam == 0);
  LAT_FUZZ_CHECK((header.flags == 0 && header.blankValue == 0.0) || (!lat && header.flags == 1));
  LAT_FUZZ_CHECK(header.componentMin.empty() && header.componentMax.empty());
  const char* info = header.params.Get("LatticeInfo");
  LAT_FUZZ_CHECK_MSG(info != nullptr, "a header without its summary");
  const std::string text(info);
  LAT_FUZZ_CHECK_MSG(
      StartsWith(text, infoLabel + name_ + "\r\nFormat:\t" + manager_.formatName + "\r\n"), text);
  LAT_FUZZ_CHECK(EndsWith(text, "\r\n"));
  const auto size = static_cast<std::size_t>(CPrimType::TypeSize[header.dataType]);
  inLattice_ = true;
  curvilinear_ = curvilinear;
  rows_ = std::int64_t{header.ny} * header.nz;
  rowsDone_ = 0;
  scans_ = 0;
  dataBytes_ =
      static_cast<std::size_t>(header.nx) * static_cast<std::size_t>(header.numComponents) * size;
  ++headers_;
  MixValue(header.nx);
  MixValue(header.ny);
  MixValue(header.nz);
  MixValue(header.numComponents);
  MixValue(header.dataType);
  Mix(text.data(), text.size());
}

void ImportChecker::CheckScan(const hostfw::TrLatticeScan& scan) {
  LAT_FUZZ_CHECK_MSG(inLattice_, "a scan arrived outside a lattice");
  const std::int64_t expectedScans = curvilinear_ ? 2 * rows_ : rows_;
  LAT_FUZZ_CHECK_MSG(scans_ < expectedScans, "more scans than the lattice has rows");
  const bool coordScan = curvilinear_ && scans_ % 2 == 0;
  const std::size_t expected = coordScan ? coordBytes_ : dataBytes_;
  LAT_FUZZ_CHECK_MSG(scan.GetSize() == expected, "scan of " + std::to_string(scan.GetSize()) +
                                                     " bytes, row needs " +
                                                     std::to_string(expected));
  LAT_FUZZ_CHECK(expected == 0 || scan.data != nullptr);
  Mix(scan.data, scan.GetSize());
  ++scans_;
  if (coordScan) return;
  const std::int64_t row = rowsDone_++;
  // The fraction of a row that is a multiple of ten follows the row's accepted scan.
  if (row % 10 == 0 && objects_ != plan_.refuseObject) proportionDue_ = row;
}

void ImportChecker::CheckEnd() {
  LAT_FUZZ_CHECK_MSG(inLattice_, "an end marker outside a lattice");
  const std::int64_t expectedScans = curvilinear_ ? 2 * rows_ : rows_;
  LAT_FUZZ_CHECK_MSG(scans_ == expectedScans, "an end marker before the last row");
  inLattice_ = false;
  ++latticesEnded_;
}

bool ImportChecker::Begin(const std::string& message) {
  LAT_FUZZ_CHECK_MSG(begins_ == 0 && objects_ == 0, "a second progress message");
  LAT_FUZZ_CHECK_MSG(message == "Importing " + manager_.formatName + " file " + name_, message);
  ++begins_;
  return Answer(plan_.cancelAtBegin);
}

bool ImportChecker::Proportion(double fraction) {
  LAT_FUZZ_CHECK_MSG(!answeredStop_, "a progress report after the host said stop");
  LAT_FUZZ_CHECK_MSG(proportionDue_ >= 0, "a progress report for no row of ten");
  const double expected = static_cast<double>(proportionDue_) / static_cast<double>(rows_);
  LAT_FUZZ_CHECK_MSG(fraction == expected,
                     std::to_string(fraction) + " instead of " + std::to_string(expected));
  proportionDue_ = -1;
  MixValue(fraction);
  const bool stopHere = fractions_ == plan_.cancelAtProportion;
  ++fractions_;
  return Answer(stopHere);
}

void ImportChecker::Stop() {
  ++stops_;
}

// Only the VTK import warns: of cell data it skips, before it hands anything over.
void ImportChecker::Warning(const std::string& text) {
  LAT_FUZZ_CHECK_MSG(manager_.formatName != kLatFormat && objects_ == 0 &&
                         StartsWith(text, "Cell data is not imported"),
                     "an import warned: " + text);
}

void ImportChecker::ShowHelp(const std::string& topic) {
  LAT_FUZZ_FAIL("an import asked for help: " + topic);
}

ImportOutcome ImportChecker::Finish(hostfw::ImportStatus status) {
  LAT_FUZZ_CHECK(begins_ == 1 && stops_ == 1);
  if (status == hostfw::ImportStatus_Complete) {
    LAT_FUZZ_CHECK_MSG(!answeredStop_, "complete although the host said stop");
    LAT_FUZZ_CHECK_MSG(!inLattice_ && latticesEnded_ >= 1, "complete without a whole lattice");
    LAT_FUZZ_CHECK(proportionDue_ < 0);
    return Outcome(ImportOutcome::End::Complete);
  }
  LAT_FUZZ_CHECK_MSG(status == hostfw::ImportStatus_Stopped, std::to_string(status));
  LAT_FUZZ_CHECK_MSG(answeredStop_, "stopped although the host never said stop");
  return Outcome(ImportOutcome::End::Stopped);
}

ImportOutcome ImportChecker::Finish(const hostbase::CError& error) {
  LAT_FUZZ_CHECK_MSG(begins_ == 1 && stops_ == 1, Describe(error));
  LAT_FUZZ_CHECK_MSG(!answeredStop_, "an error after the host said stop: " + Describe(error));
  CheckErrorArgs(error);
  ImportOutcome outcome = Outcome(ImportOutcome::End::Failed);
  outcome.errorCode = error.Code();
  outcome.errorModule = error.Module();
  outcome.errorArgs = error.Args();
  return outcome;
}

// Each module raises only its own codes, with their arguments; the binary reader has
// handed over nothing when it fails (a curvilinear header at most).
void ImportChecker::CheckErrorArgs(const hostbase::CError& error) const {
  const std::vector<hostbase::CErrorArg>& args = error.Args();
  const int code = error.Code();
  const std::string what = Describe(error);
  if (error.Module() == "LatImportFilter") {
    LAT_FUZZ_CHECK_MSG(objects_ == 0, what);
    if (code == static_cast<int>(ErrCode::NotLatFile)) {
      LAT_FUZZ_CHECK_MSG(args.size() == 1 && IsText(args[0], path_), what);
    } else {
      LAT_FUZZ_CHECK_MSG(code == static_cast<int>(ErrCode::UnsupportedFeature), what);
      LAT_FUZZ_CHECK_MSG(args.size() == 3 && IsText(args[0], "Iris Explorer LAT") &&
                             IsText(args[1], "import of 'ASCII' format files") &&
                             IsText(args[2], path_),
                         what);
    }
  } else if (error.Module() == "LatImpPlain") {
    LAT_FUZZ_CHECK_MSG(code == static_cast<int>(ErrCode::PlainSyntax), what);
    LAT_FUZZ_CHECK_MSG(args.size() == 2 && IsInt(args[0]) && IsText(args[1], path_), what);
    const auto lineFeeds = std::count(file_.begin(), file_.end(), std::uint8_t{10});
    const std::int64_t line = std::get<std::int64_t>(args[0]);
    LAT_FUZZ_CHECK_MSG(line >= 0 && line <= lineFeeds, what);
  } else if (error.Module() == "LatImpBinary") {
    const bool onlyCurvilinearHeader = objects_ == 1 && lastWasCurvilinearHeader_;
    LAT_FUZZ_CHECK_MSG(objects_ == 0 || onlyCurvilinearHeader, what);
    if (code == static_cast<int>(ErrCode::UnknownCode)) {
      LAT_FUZZ_CHECK_MSG(args.empty() && objects_ == 0, what);
      return;
    }
    LAT_FUZZ_CHECK_MSG(code == static_cast<int>(ErrCode::BadBinaryData), what);
    LAT_FUZZ_CHECK_MSG(args.size() == 2 && IsInt(args[0]) && IsText(args[1], path_), what);
    const std::int64_t position = std::get<std::int64_t>(args[0]);
    LAT_FUZZ_CHECK_MSG(position >= 1 && position <= static_cast<std::int64_t>(file_.size()), what);
  } else if (error.Module().rfind("Vtk", 0) == 0) {
    // The VTK import reads the whole file before it hands anything over.
    LAT_FUZZ_CHECK_MSG(objects_ == 0, what);
    const auto lineFeeds = std::count(file_.begin(), file_.end(), std::uint8_t{10});
    if (code == static_cast<int>(ErrCode::PlainSyntax))
      LAT_FUZZ_CHECK_MSG(args.size() == 2 && IsInt(args[0]) && IsText(args[1], path_) &&
                             std::get<std::int64_t>(args[0]) >= 1 &&
                             std::get<std::int64_t>(args[0]) <= lineFeeds + 1,
                         what);
    else if (code == static_cast<int>(ErrCode::BadBinaryData))
      LAT_FUZZ_CHECK_MSG(
          args.size() == 2 && IsInt(args[0]) && IsText(args[1], path_) &&
              std::get<std::int64_t>(args[0]) >= 0 &&
              std::get<std::int64_t>(args[0]) <= static_cast<std::int64_t>(file_.size()),
          what);
    else if (code == static_cast<int>(ErrCode::NotLatFile))
      LAT_FUZZ_CHECK_MSG(args.size() == 1 && IsText(args[0], path_), what);
    else if (code == static_cast<int>(ErrCode::UnsupportedFeature))
      LAT_FUZZ_CHECK_MSG(args.size() == 3 && IsText(args[0], "VTK XML") && IsText(args[2], path_),
                         what);
    else
      LAT_FUZZ_CHECK_MSG(
          args.empty() && std::string(error.Message()).find(path_) != std::string::npos, what);
  } else {
    LAT_FUZZ_FAIL("an error of a module an import never names: " + what);
  }
}

void ImportChecker::Mix(const void* bytes, std::size_t size) {
  const auto* p = static_cast<const unsigned char*>(bytes);
  for (std::size_t i = 0; i < size; ++i) digest_ = (digest_ ^ p[i]) * 0x100000001b3ull;
}

ImportOutcome ImportChecker::Outcome(ImportOutcome::End end) const {
  ImportOutcome outcome;
  outcome.end = end;
  outcome.objects = objects_;
  outcome.lattices = latticesEnded_;
  outcome.digest = digest_;
  return outcome;
}

}  // namespace latfuzz
