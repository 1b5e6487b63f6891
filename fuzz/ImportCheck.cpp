// The import checker the drivers share, and the import targets: arbitrary bytes as a file,
// imported through a module's factory on a recording host, then checked.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <variant>

#include "fuzz/Fuzz.h"
#include "hostbase/Error.h"
#include "hostbase/Path.h"
#include "hostbase/PrimType.h"
#include "hostfw/Status.h"
#include "import/LatImportFilter.h"
#include "tests/support/TempDir.h"
#include "vtk/VtkImportFilter.h"

namespace latfuzz {

void CheckFailed(const char* file, int line, const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s:%d: fuzz check failed: %s %s\n", file, line, what, detail.c_str());
  std::fflush(stderr);
  std::abort();
}

namespace {

using hostbase::CPrimType;
using hostfw::ErrCode;
using Kind = lattest::RecordedObject::Kind;
constexpr const char* kLat = "Iris Explorer LAT";

std::string Describe(const hostbase::CError& error) {
  std::string text = error.Module() + " " + std::to_string(error.Code());
  for (const hostbase::CErrorArg& arg : error.Args())
    text += std::holds_alternative<std::string>(arg)
                ? " '" + std::get<std::string>(arg) + "'"
                : " " + std::to_string(std::get<std::int64_t>(arg));
  return text;
}

template <class Container>
std::string_view Bytes(const Container& c) {
  return {reinterpret_cast<const char*>(std::data(c)), std::size(c) * sizeof *std::data(c)};
}

using enum ErrCode;
// The errors an import raises, by module and code; the binary reader's unknown code (a value
// type it cannot convert) names nothing, the others name the path.
bool Raised(const std::string& module, int code, bool& namesPath) {
  const auto any = [code](auto... codes) { return ((code == static_cast<int>(codes)) || ...); };
  namesPath = !(module == "LatImpBinary" && any(UnknownCode));
  if (module.starts_with("Vtk"))
    return any(NotLatFile, UnsupportedFeature, PlainSyntax, BadBinaryData, UnknownCode);
  return (module == "LatImportFilter" && any(NotLatFile, UnsupportedFeature)) ||
         (module == "LatImpPlain" && any(PlainSyntax)) ||
         (module == "LatImpBinary" && any(BadBinaryData, UnknownCode));
}

void CheckError(const hostbase::CError& error, const std::string& path,
                std::span<const std::uint8_t> file, const lattest::RecordingHost& host) {
  const std::string what = Describe(error) + ": " + error.Message();
  // Only the plain reader fails after it handed over rows; the binary one at most after a
  // curvilinear header.
  LAT_FUZZ_CHECK_MSG(host.objects.empty() || error.Module() == "LatImpPlain" ||
                         (error.Module() == "LatImpBinary" && host.objects.size() == 1 &&
                          host.objects[0].kind == Kind::Curvilinear),
                     what);
  bool mustName = true;
  LAT_FUZZ_CHECK_MSG(Raised(error.Module(), error.Code(), mustName),
                     "an error an import never raises: " + what);
  // Its numbers are lines or byte positions in the file.
  bool named = std::string_view(error.Message()).find(path) != std::string_view::npos;
  for (const hostbase::CErrorArg& arg : error.Args()) {
    const auto* n = std::get_if<std::int64_t>(&arg);
    named = named || arg == hostbase::CErrorArg(path);
    LAT_FUZZ_CHECK_MSG(n == nullptr || (*n >= 0 && *n <= std::ssize(file) + 1), what);
  }
  LAT_FUZZ_CHECK_MSG(named || !mustName, what);
}

// LAT files hold five value types, float coordinates and no blanks; VTK files any type,
// float or double coordinates, and blanks.
void CheckHeader(const lattest::RecordedObject& h, bool lat, const std::string& name,
                 const std::string& format) {
  LAT_FUZZ_CHECK(h.nx >= 1 && h.ny >= 1 && h.nz >= 1 && h.numComponents >= 1);
  const int t = h.dataType;
  LAT_FUZZ_CHECK(lat ? (t == CPrimType::Int8 || t == CPrimType::Int16 || t == CPrimType::Int32 ||
                        t == CPrimType::Float || t == CPrimType::Double)
                     : CPrimType::IsValid(t));
  if (h.kind != Kind::Uniform)
    LAT_FUZZ_CHECK(h.coordType == CPrimType::Float || (!lat && h.coordType == CPrimType::Double));
  LAT_FUZZ_CHECK(h.scanMode == 0 && h.scanParam == 0);
  LAT_FUZZ_CHECK((h.flags == 0 && h.blankValue == 0.0) || (!lat && h.flags == 1));
  const std::string label = h.kind == Kind::Uniform ? "Name:\t" : "Filename:\t";
  LAT_FUZZ_CHECK_MSG(
      h.hasLatticeInfo &&
          h.latticeInfo.starts_with(label + name + "\r\nFormat:\t" + format + "\r\n") &&
          h.latticeInfo.ends_with("\r\n"),
      h.latticeInfo);
}

}  // namespace

Delivery CheckedImport(hostfw::IoImportFilter& filter, lattest::RecordingHost& host,
                       const std::string& path, std::span<const std::uint8_t> file) {
  host.Clear();
  const std::string& format = filter.GetManager().formatName;
  const bool lat = format == kLat;
  const std::string name = hostbase::CPath::GetNamePtr(path.c_str());
  Delivery d;
  try {
    const hostfw::ImportStatus status = filter.ImportFromFile(path.c_str());
    LAT_FUZZ_CHECK(status == hostfw::ImportStatus_Complete ||
                   status == hostfw::ImportStatus_Stopped);
    d.end =
        status == hostfw::ImportStatus_Complete ? Delivery::End::Complete : Delivery::End::Stopped;
  } catch (const hostbase::CError& error) {
    CheckError(error, path, file, host);
    d.error = Describe(error);
  } catch (const std::exception& error) {  // bad_alloc: sizes not bounded by the file
    LAT_FUZZ_FAIL(std::string("an exception that is not the host's: ") + error.what());
  }
  LAT_FUZZ_CHECK(host.beginMessages ==
                 std::vector<std::string>{"Importing " + format + " file " + name});
  LAT_FUZZ_CHECK(host.stops == 1 && host.helpTopics.empty());
  // Only the VTK import warns: of cell data it skips.
  for (const std::string& warning : host.warnings)
    LAT_FUZZ_CHECK_MSG(!lat && warning.starts_with("Cell data is not imported"), warning);

  // The objects form lattices: a header, its scans, an end marker. After each accepted data
  // scan of a row that is a multiple of ten, its fraction is reported.
  const lattest::RecordedObject* h = nullptr;  // the header of the lattice being received
  bool curvilinear = false;
  std::int64_t rows = 0, scans = 0;
  std::size_t lastDue = 0;
  std::vector<double> due;
  for (std::size_t i = 0; i < host.objects.size(); ++i) {
    const lattest::RecordedObject& o = host.objects[i];
    LAT_FUZZ_CHECK_MSG(!o.refused || i + 1 == host.objects.size(), "an object after a refused one");
    d.objects += static_cast<char>(o.kind);
    if (o.IsHeader()) {
      LAT_FUZZ_CHECK_MSG(h == nullptr, "a header inside a lattice");
      CheckHeader(o, lat, name, format);
      h = &o;
      curvilinear = o.kind == Kind::Curvilinear;
      rows = std::int64_t{o.ny} * o.nz;
      scans = 0;
      for (std::string_view bytes :
           {std::string_view(o.latticeInfo), Bytes(o.origin), Bytes(o.spacing), Bytes(o.xCoords),
            Bytes(o.yCoords), Bytes(o.zCoords)})
        d.objects += bytes;
    } else if (o.kind == Kind::Scan) {
      LAT_FUZZ_CHECK_MSG(h != nullptr && scans < ScanCount(*h), "a scan outside a lattice's rows");
      const bool coordScan = curvilinear && scans % 2 == 0;
      LAT_FUZZ_CHECK_MSG(o.bytes.size() == ScanSize(*h, coordScan),
                         "a scan of " + std::to_string(o.bytes.size()) + " bytes");
      d.objects += Bytes(o.bytes);
      const std::int64_t row = curvilinear ? scans / 2 : scans;
      if (!coordScan && row % 10 == 0 && !o.refused) {
        due.push_back(static_cast<double>(row) / static_cast<double>(rows));
        lastDue = i;
      }
      ++scans;
    } else {
      LAT_FUZZ_CHECK_MSG(o.kind == Kind::End, "an object of a class an import never sends");
      LAT_FUZZ_CHECK_MSG(h != nullptr && scans == ScanCount(*h), "an early end marker");
      h = nullptr;
      ++d.lattices;
    }
  }
  d.fractions = host.fractions;
  d.dueFractions = due.size();
  LAT_FUZZ_CHECK_MSG(d.fractions.size() <= due.size() &&
                         std::equal(d.fractions.begin(), d.fractions.end(), due.begin()),
                     "progress reports that are not the rows' fractions");
  const bool refused = !host.objects.empty() && host.objects.back().refused;
  const bool cancelled =
      host.cancelAtProportion >= 0 &&
      d.fractions.size() == static_cast<std::size_t>(host.cancelAtProportion) + 1;
  // A cancelled report is the last thing the import did after its row.
  if (cancelled)
    LAT_FUZZ_CHECK(d.fractions.size() == due.size() && lastDue + 1 == host.objects.size());
  if (host.cancelAtBegin) LAT_FUZZ_CHECK(host.objects.empty());
  const bool saidStop = host.cancelAtBegin || refused || cancelled;
  LAT_FUZZ_CHECK_MSG(saidStop == (d.end == Delivery::End::Stopped),
                     "stopped if and only if the host said stop: " + d.error);
  if (d.end == Delivery::End::Complete)
    LAT_FUZZ_CHECK(h == nullptr && d.lattices >= 1 && d.fractions.size() == due.size());
  return d;
}

namespace {

using Factory = hostfw::IoImportFilter* (*)(hostfw::IoManager&);

// Imports the bytes three times with one filter: as they are, stopped by the host at a
// place they choose, and again as they are, which must repeat the first import exactly
// (nothing of one import leaks into the next).
Delivery ImportThrice(std::span<const std::uint8_t> file, Factory factory) {
  static const lattest::TempDir dir;
  const std::string path = dir.Write("input.lat", Bytes(file));
  hostfw::IoManager manager(factory == &ImportVTK ? "VTK XML" : kLat);
  lattest::RecordingHost host(manager);
  const std::unique_ptr<hostfw::IoImportFilter> filter(factory(manager));
  LAT_FUZZ_CHECK(filter != nullptr);
  filter->CanImportFile(path.c_str());
  const Delivery first = CheckedImport(*filter, host, path, file);
  LAT_FUZZ_CHECK(first.end != Delivery::End::Stopped);
  const auto objects = static_cast<std::uint32_t>(host.objects.size());
  std::uint32_t choice = 0;
  for (std::uint8_t b : file) choice = choice * 31 + b;
  host.refuseObject = choice % 3 == 0 ? static_cast<int>(choice / 3 % (objects + 1)) : -1;
  host.cancelAtProportion =
      choice % 3 == 1 ? static_cast<int>(choice / 3 % (first.dueFractions + 1)) : -1;
  host.cancelAtBegin = choice % 3 == 2;
  CheckedImport(*filter, host, path, file);
  host.refuseObject = host.cancelAtProportion = -1;
  host.cancelAtBegin = false;
  LAT_FUZZ_CHECK_MSG(CheckedImport(*filter, host, path, file) == first,
                     "a later import of the same file differed");
  return first;
}

}  // namespace

void FuzzImport(const std::uint8_t* data, std::size_t size) {
  ImportThrice({data, size}, &ImportLAT);
}

void FuzzImportVtk(const std::uint8_t* data, std::size_t size) {
  ImportThrice({data, size}, &ImportVTK);
}

void FuzzImportComplete(const std::uint8_t* data, std::size_t size) {
  const Delivery d = ImportThrice({data, size}, &ImportLAT);
  LAT_FUZZ_CHECK_MSG(d.end == Delivery::End::Complete, d.error);
}

}  // namespace latfuzz
