// The export filter against the tests' own binary encoder, its blanks, options and refusals;
// on POSIX also cancels at every report and outputs that cannot take the file.
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#if !defined(_WIN32)
#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#endif

#include "export/LatExportFilter.h"
#include "formats/LatBinaryFormat.h"
#include "hostbase/PrimType.h"
#include "tests/support/LatBinaryWriter.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/SentLattice.h"
#include "tests/support/TempDir.h"

namespace lattest {
namespace {

namespace bin = lat::binary;
using hostbase::CPrimType;
constexpr hostfw::ExportStatus kAccepted = hostfw::ExportStatus_Accepted;
using Tree = std::map<std::string, std::string>;  // a folder's entries and their bytes

// The file the export must write, with `values` as the values written.
std::string ExpectedFile(const SentLattice& l, const std::vector<double>* values) {
  std::int32_t written = l.dataType;  // the format's promotions of the types it lacks
  if (written == CPrimType::UInt8) written = CPrimType::Int16;
  if (written == CPrimType::UInt16) written = CPrimType::Int32;
  if (written == CPrimType::UInt32 || written == CPrimType::Int64) written = CPrimType::Double;
  BinaryLattice file;
  file.dims = {l.nx, l.ny, l.nz};
  file.nDataVar = l.numComponents;
  file.primType = bin::CodeOfPrimType(written);
  file.geometryType = l.kind;
  file.values = values != nullptr ? *values : l.values;
  std::vector<double> coords = l.nodeCoords;
  if (l.kind == bin::kUniform) {  // first and last coordinate per axis
    const std::int32_t counts[3] = {l.nx, l.ny, l.nz};
    coords.clear();
    for (std::size_t a = 0; a < 3; ++a)
      coords.insert(coords.end(), {l.origin[a], l.origin[a] + (counts[a] - 1) * l.spacing[a]});
  } else if (l.kind == bin::kRectilinear) {
    coords = l.axes;
  }
  for (const double c : coords) file.coords.push_back(static_cast<float>(c));
  const std::vector<std::uint8_t> bytes = EncodeBinary(file).bytes;
  return std::string(bytes.begin(), bytes.end());
}

class ExportTest : public ::testing::Test {
 protected:
  hostfw::ExportStatus Begin() { return filter.BeginExportToFile(out.c_str(), false); }
  hostfw::ExportStatus SendHeader(const SentLattice& lattice) {
    header = lattice.Header();  // kept for the scans
    return hostfw::ExportStatus(toFilter(*header));
  }
  // Scans [from, to); the first status that is not 0, or 0.
  hostfw::ExportStatus SendScans(const SentLattice& l, std::size_t from, std::size_t to) {
    return hostfw::ExportStatus(l.SendScans(*header, from, to, toFilter));
  }
  hostfw::ExportStatus SendLattice(const SentLattice& lattice) {  // header, scans, end
    return hostfw::ExportStatus(lattice.SendAll(toFilter));
  }
  // A whole export to `out`, every status 0, makes the file of ExpectedFile.
  void ExpectExport(const SentLattice& lattice, const std::vector<double>* values = nullptr) {
    EXPECT_EQ(Begin(), kAccepted);
    EXPECT_EQ(SendLattice(lattice), kAccepted);
    EXPECT_EQ(filter.EndExportToFile(), kAccepted);
    EXPECT_EQ(ReadFile(out), ExpectedFile(lattice, values));
  }
  // `action` raises an error of `module` with `code` and `args`, or without either and with
  // a message that contains `text` when that is not empty.
  template <class Action, class Code = hostfw::ErrCode>
  void ExpectFilterError(const Action& action, const std::string& text, Code code = {},
                         const std::vector<hostbase::CErrorArg>& args = {},
                         const char* module = "LatExportFilter") {
    try {
      action();
      ADD_FAILURE() << "the action returned instead of raising";
    } catch (const hostbase::CError& error) {
      EXPECT_EQ(error.Module(), module);
      EXPECT_NE(std::string(error.Message()).find(text), std::string::npos) << error.Message();
      EXPECT_EQ(error.Code(), text.empty() ? static_cast<int>(code) : hostbase::kNoErrorCode);
      EXPECT_EQ(error.Args(), args) << error.Message();
    }
  }
  Tree Files() const {  // everything in `dir`, folders as "<dir>"
    Tree tree;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.Path())) {
      tree[std::filesystem::relative(entry.path(), dir.Path()).string()] =
          entry.is_directory() ? "<dir>" : ReadFile(entry.path().string());
    }
    return tree;
  }

  TempDir dir;
  std::string out = dir.File("out.lat");
  hostfw::IoManager manager;
  RecordingHost host{manager};
  LatExportFilter filter{manager};
  std::unique_ptr<hostfw::TrLattice> header;
  std::size_t sent = 0;  // objects sent, one refused included
  const SentLattice::Send toFilter = [this](hostfw::TrBase& object) {  // counted
    ++sent;
    return static_cast<int>(filter.ExportObject(object));
  };
};

// Every type the host has, written as the format's type (a promoted one with a warning);
// only the header is on file before the last scan, and a new export drops the old one.
TEST_F(ExportTest, EveryGeometryAndReceivedTypeIsTheEncodedFile) {
  for (std::int32_t kind = 0; kind < 3; ++kind) {
    for (std::int32_t type = CPrimType::Int8; type <= CPrimType::Double; ++type) {
      SCOPED_TRACE(testing::Message() << "kind " << kind << " type " << type);
      const bool isUnsigned =
          type == CPrimType::UInt8 || type == CPrimType::UInt16 || type == CPrimType::UInt32;
      SentLattice lattice(kind, type, 3, 2, 2, 1 + type % 2);
      lattice.coordType = type % 2 ? CPrimType::Double : CPrimType::Float;
      for (std::size_t i = 0; i < lattice.values.size() && !isUnsigned; i += 3)
        lattice.values[i] *= -1;
      lattice.values[1] = hostbase::CPrimData::GetWideReal(
          type, hostbase::CPrimData::PrimMax(type).GetDataPtr());
      if (type >= CPrimType::Float) lattice.values[2] = 0.375;
      host.Clear();
      ASSERT_EQ(Begin(), kAccepted);
      ASSERT_EQ(SendHeader(lattice), kAccepted);
      EXPECT_EQ(host.warnings.size(), isUnsigned || type == CPrimType::Int64 ? 1u : 0u);
      const std::int64_t headerBytes = kind == bin::kUniform ? 145 : 149;
      EXPECT_EQ(filter.OutputPosition(), headerBytes);
      ASSERT_EQ(SendScans(lattice, 0, lattice.ScanCount() - 1), kAccepted);
      EXPECT_EQ(filter.OutputPosition(), headerBytes);
      ExpectExport(lattice);
      const std::string head("\0\0\0\x18\xBF\x80", 6);  // big-endian, whatever the encoder
      EXPECT_TRUE(kind != bin::kUniform || type != CPrimType::Float ||
                  ReadFile(out).substr(145, 6) == head);
    }
  }
}

// A blanked value is one that reads as exactly the blank value (every NaN for a NaN); the
// data range spans the components, one value makes it inverted.
TEST_F(ExportTest, EveryMethodReplacesExactlyTheBlankedValues) {
  const std::vector<double> i16 = {4, -1, 5, -1, -2};
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    std::int32_t type;
    std::vector<double> values;
    double blank;
    std::vector<double> min, max;
    const char* options;
    std::vector<double> written;
  } cases[] = {
      {CPrimType::Int16, i16, -1, {0}, {10}, "BlankMethod=1", {4, 10, 5, 10, -2}},
      {CPrimType::Int16, i16, -1, {0}, {10}, "BlankMethod=2", {4, -32768, 5, -32768, -2}},
      {CPrimType::Int16, i16, -1, {0}, {10}, "BlankMethod=4,FixedBlankValue=-2.6", {4, -3, 5, -3, -2}},
      {CPrimType::Int16, {1, 2}, 2, {0}, {10}, "BlankMethod=4,FixedBlankValue=-32768", {1, -32768}},
      {CPrimType::Int32, {-99}, -99, {3, 1}, {5, 9}, "BlankMethod=0", {1}},
      {CPrimType::Int32, {-99}, -99, {3, 1, 2}, {5}, "BlankMethod=1", {5}},  // not read past
      {CPrimType::Int32, {-99}, -99, {7}, {7}, "BlankMethod=0", {8}},
      {CPrimType::Double, {-99}, -99, {}, {}, "BlankMethod=1", {-std::numeric_limits<double>::max()}},
      {CPrimType::Float, {0.1, 0.5}, 0.1f, {0}, {10}, "BlankMethod=4,FixedBlankValue=-7", {-7, 0.5}},
      {CPrimType::Float, {1, nan, -nan}, nan, {0}, {10}, "BlankMethod=4,FixedBlankValue=-1", {1, -1, -1}},
      {CPrimType::Double, {nan, -1}, -1, {0}, {10}, "BlankMethod=4,FixedBlankValue=9", {nan, 9}},
      // Promoted data: the written type's range, and a fixed value beyond 8 bits.
      {CPrimType::UInt8, {200, 0}, 0, {0}, {10}, "BlankMethod=3", {200, 32767}},
      {CPrimType::UInt8, {200, 0}, 0, {0}, {10}, "BlankMethod=4,FixedBlankValue=-1000", {200, -1000}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.type << " " << c.options << " " << c.values[0]);
    SentLattice lattice(bin::kUniform, c.type, std::int32_t(c.values.size()), 1, 1);
    lattice.values = c.values;
    lattice.blanks = true;
    lattice.blankValue = c.blank;
    lattice.componentMin = c.min;
    lattice.componentMax = c.max;
    filter.SetOptions(c.options);
    ExpectExport(lattice, &c.written);
    if (c.type != CPrimType::Int16) continue;
    lattice.blanks = false;  // without the flag the blank value is data, the value unchecked
    filter.SetOptions("BlankMethod=4,FixedBlankValue=1e300");
    ExpectExport(lattice);
  }
}

TEST(ExportOptionsTest, OptionsStringOverSavedOptionsAndSavedBack) {
  const std::string saved = "BlankMethod=1\nFixedBlankValue=9\n";
  const struct {
    std::string saved;
    const char* options;
    std::string session, savedAfter;
  } cases[] = {
      {"BlankMethod=2\n", nullptr, "BlankMethod=2,FixedBlankValue=0", "BlankMethod=2\nFixedBlankValue=0\n"},
      {"BlankMethod=7\nFixedBlankValue=1.5\n", "", "BlankMethod=3,FixedBlankValue=1.5", "BlankMethod=3\nFixedBlankValue=1.5\n"},
      {"", "BlankMethod=-1", "BlankMethod=3,FixedBlankValue=0", "BlankMethod=3\nFixedBlankValue=0\n"},
      {saved, "BlankMethod=max,FixedBlankValue=lots", "BlankMethod=1,FixedBlankValue=9", saved},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options == nullptr ? "null" : c.options);
    hostfw::IoManager manager;
    manager.LoadSavedOptions(c.saved);
    LatExportFilter filter(manager);
    filter.SetOptions(c.options);
    EXPECT_EQ(filter.GetOptionsInStringForm(), c.session);
    EXPECT_EQ(manager.SavedOptionsText(), c.savedAfter);
  }
}

// Only a complete lattice replaces the file; a short scan is refused and not counted; a header
// restarts an unfinished lattice, a second lattice is refused; ending twice raises.
TEST_F(ExportTest, OnlyACompleteLatticeReplacesTheFile) {
  dir.Write("out.lat", "precious");
  const SentLattice first(bin::kCurvilinear, CPrimType::Int16, 3, 2, 2);
  const SentLattice second(bin::kUniform, CPrimType::UInt16, 2, 2, 1);
  ASSERT_EQ(Begin(), kAccepted);
  ASSERT_EQ(SendHeader(first), kAccepted);
  const Tree during = Files();
#if defined(_WIN32)
  ASSERT_EQ(during.size(), 2u);
  EXPECT_EQ(during.begin()->first.rfind(".out.lat.", 0), 0u) << during.begin()->first;
  EXPECT_EQ(during.begin()->first.size(), std::string(".out.lat.").size() + 6);
#else
  EXPECT_EQ(during, (Tree{{"out.lat", "precious"}}));
#endif
  for (std::size_t s = 0; s + 1 < first.ScanCount(); ++s) {
    const std::string bytes = s % 2 ? "5" : "35", needed = s % 2 ? "6" : "36";
    hostfw::TrLatticeScan shortScan(std::stoi(bytes));
    ExpectFilterError([&] { filter.ExportObject(shortScan); },
                      "Lattice scan " + std::to_string(s) + " holds " + bytes +
                          " bytes, fewer than the " + needed);
    ASSERT_EQ(SendScans(first, s, s + 1), kAccepted);
  }
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_NoLattice);
  EXPECT_EQ(Files(), (Tree{{"out.lat", "precious"}}));
  host.Clear();
  ASSERT_EQ(Begin(), kAccepted);
  ASSERT_EQ(SendHeader(first), kAccepted);
  ASSERT_EQ(SendScans(first, 0, 3), kAccepted);
  ASSERT_EQ(SendLattice(second), kAccepted);
  EXPECT_EQ(host.stops, 1);  // the first report was stopped before the second began
  ExpectFilterError([&] { SendHeader(first); },
                    "Export of multiple lattices to one Iris LAT file is not supported.");
  EXPECT_EQ(SendScans(first, 0, first.ScanCount()), kAccepted);  // ignored
  EXPECT_EQ(host.warnings.size(), 1u);  // the promotion of the lattice written, once
  EXPECT_EQ(filter.EndExportToFile(), kAccepted);
  EXPECT_EQ(host.beginMessages.back(), "Exporting Iris Explorer LAT file out.lat");
  EXPECT_EQ(host.stops, 2);
  ExpectFilterError([&] { filter.EndExportToFile(); }, "", hostfw::ErrCode::ExportFileNotOpen);
  EXPECT_EQ(Files(), (Tree{{"out.lat", ExpectedFile(second, nullptr)}}));
}

// Refused before the file is opened; scans after them are ignored.
TEST_F(ExportTest, LatticesTheFormatCannotHoldAreRefusedBeforeOpening) {
  enum Fixed { kNone, kBlanks, kPage };
  const struct {
    std::int32_t kind, type, nx, ny, nz, components;
    const char* message;  // with a fixed value: the name of the written type
    Fixed fixed = kNone;
    const char* value = "0";
  } cases[] = {
      {bin::kUniform, CPrimType::Float, 0, 3, 1, 1, "with 0 columns (nx): every count must be"},
      {bin::kUniform, CPrimType::Int8, 65536, 32768, 1, 1, "of 65536 x 32768 x 1 nodes with 1"},
      {bin::kUniform, CPrimType::UInt16, 16384, 16384, 2, 1, "its value list"},  // promoted
      {bin::kCurvilinear, CPrimType::Int8, 178956971, 1, 1, 1, "coordinate list would exceed the LAT format's limit of 2147483647 bytes."},
      {bin::kUniform, CPrimType::Int16, 2, 1, 1, 1, "16-bit signed integer", kBlanks, "32768"},
      {bin::kRectilinear, CPrimType::UInt16, 2, 1, 1, 1, "32-bit signed integer", kBlanks, "2147483648"},
      {bin::kUniform, CPrimType::UInt8, 2, 1, 1, 1, "16-bit signed integer", kPage, "40000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    filter.SetOptions((std::string("BlankMethod=4,FixedBlankValue=") + c.value).c_str());
    std::vector<hostfw::IoPropertyPage*> pages;
    if (c.fixed == kPage) filter.GetPropertyPages(pages, out.c_str());
    SentLattice lattice(c.kind, c.type, 1, 1, 1);
    lattice.nx = c.nx, lattice.ny = c.ny, lattice.nz = c.nz, lattice.numComponents = c.components;
    lattice.blanks = c.fixed == kBlanks;
    ASSERT_EQ(Begin(), kAccepted);
    if (c.fixed == kNone) ExpectFilterError([&] { SendHeader(lattice); }, c.message);
    if (c.fixed != kNone)
      ExpectFilterError([&] { SendHeader(lattice); }, "", hostfw::ErrCode::DataTypeNotSupported,
                        {std::string(c.message)});
    lattice = SentLattice(c.kind, c.type, 1, 1, 1);  // unknown type codes
    (c.kind == bin::kUniform ? lattice.dataType : lattice.coordType) = -1;
    ExpectFilterError([&] { SendHeader(lattice); }, "", hostfw::ErrCode::UnknownCode);
    hostfw::TrLatticeScan scan(64);
    EXPECT_EQ(filter.ExportObject(scan), kAccepted);
    EXPECT_EQ(filter.EndExportToFile(), kAccepted);
    EXPECT_TRUE(Files().empty());
    EXPECT_TRUE(host.beginMessages.empty());
  }
}

#if !defined(_WIN32)
constexpr const char* kPrecious = "the file that was at the output path before";

// A cancel at any report but the last (the lattice complete) leaves the file that was there.
TEST_F(ExportTest, CancelAtEveryProgressReportOfEveryKindOverAnExistingFile) {
  const double third = 1.0 / 3, twoThirds = 2.0 / 3;
  for (std::int32_t kind = 0; kind < 3; ++kind) {
    const SentLattice lattice(kind, CPrimType::Float, 3, 10, 3);
    const auto run = [&](int cancelAt) {  // the lattice's status, then the end's
      host.Clear();
      host.cancelAtProportion = cancelAt;
      host.cancelAtBegin = cancelAt == -1;
      sent = 0;
      EXPECT_EQ(Begin(), kAccepted);
      const hostfw::ExportStatus status = SendLattice(lattice);
      const std::pair<int, int> statuses(status, filter.EndExportToFile());
      EXPECT_EQ(host.stops, 1);
      return statuses;
    };
    ASSERT_EQ(run(1 << 30), std::pair(0, 0));
    EXPECT_EQ(host.fractions, (kind == 2 ? std::vector{0.0, third, third, twoThirds, twoThirds, 1.0}
                                         : std::vector{third, twoThirds, 1.0}));
    const int reports = static_cast<int>(host.fractions.size());
    const std::size_t all = sent;
    const Tree complete = Files();
    for (int k = -1; k < reports; ++k) {
      SCOPED_TRACE("kind " + std::to_string(kind) + ", cancel at report " + std::to_string(k));
      dir.Write("out.lat", kPrecious);
      const bool last = k + 1 == reports;
      EXPECT_EQ(run(k), std::pair(2, last ? 0 : 1));
      EXPECT_EQ(host.fractions.size(), static_cast<std::size_t>(k + 1));
      // Everything but the end marker went out when the last report was cancelled.
      EXPECT_EQ(sent + 1 == all, last);
      EXPECT_TRUE(k != -1 || sent == 1u);  // the header only
      EXPECT_EQ(Files(), (last ? complete : Tree{{"out.lat", kPrecious}}));
    }
  }
}

// Nothing beside changes; 300000 floats reach the file during the export.
TEST_F(ExportTest, PlacesThatCannotTakeTheFileTouchNothing) {
  // An earlier export and the user's own files, beside where the output goes.
  ASSERT_EQ(filter.BeginExportToFile(dir.File("earlier.lat").c_str(), false), kAccepted);
  ASSERT_EQ(SendLattice(SentLattice(bin::kRectilinear, CPrimType::Float, 3, 4, 2)), kAccepted);
  ASSERT_EQ(filter.EndExportToFile(), kAccepted);
  std::filesystem::create_directory(dir.File("folder"));
  dir.Write("folder/inside.txt", kPrecious);
  const struct {
    std::string out;
    int ny, code, error;
  } cases[] = {
      {dir.File("missing/out.lat"), 4, hostbase::kErrFileOpen, ENOENT},
      {dir.File("folder"), 4, hostbase::kErrFileOpen, EISDIR},
      {"/dev/full", 500, hostbase::kErrFileWrite, ENOSPC},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.out);
    const bool written = c.code == hostbase::kErrFileWrite;  // the file was opened
    if (written && !std::filesystem::is_character_file(c.out)) continue;
    const Tree before = Files();
    host.Clear();
    ASSERT_EQ(filter.BeginExportToFile(c.out.c_str(), false), kAccepted);
    const SentLattice lattice(bin::kUniform, CPrimType::Float, 600, c.ny, 1);
    ExpectFilterError([&] { SendLattice(lattice); }, "", c.code, {c.out, std::strerror(c.error)},
                      "CBufferedFile");
    EXPECT_EQ(filter.EndExportToFile(), written ? hostfw::ExportStatus_NoLattice : kAccepted);
    EXPECT_EQ(host.beginMessages.size(), written ? 1u : 0u);
    EXPECT_EQ(host.stops, written ? 1 : 0);
    EXPECT_EQ(Files(), before);
    EXPECT_TRUE(!written || std::filesystem::is_character_file(c.out));
  }
}

// In a child whose files may not grow beyond 64 KiB; the parent checks the disk.
TEST_F(ExportTest, DiskThatFillsUpKeepsTheFileThatWasThere) {
  dir.Write("out.lat", kPrecious);
  const Tree before = Files();
  const SentLattice lattice(bin::kUniform, CPrimType::Float, 600, 500, 1);
  const auto exportOntoAFullDisk = [&] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64 << 10, 64 << 10};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0 || Begin() != kAccepted) std::_Exit(3);
    try {
      SendLattice(lattice);
      std::_Exit(7);
    } catch (const hostbase::CError& error) {
      // The first argument names the temporary file the export writes.
      const auto& args = error.Args();
      if (error.Module() != "CBufferedFile" || error.Code() != hostbase::kErrFileWrite ||
          args.size() != 2 || args[1] != hostbase::CErrorArg(std::strerror(EFBIG)))
        std::_Exit(8);
    }
    std::_Exit(filter.EndExportToFile() == hostfw::ExportStatus_NoLattice ? 0 : 9);
  };
  EXPECT_EXIT(exportOntoAFullDisk(), ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(Files(), before);
}
#endif

}  // namespace
}  // namespace lattest
