// Hostile imports, failing exports, concurrent imports. Sizes a file claims are not trusted;
// a file that changes or fails under the import gives its error, after which the same filter
// imports a sound file. A cancelled export, or one to a place that cannot take the file, ends
// without a partial file and leaves what was at the output path, and beside it, as it was.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <barrier>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <new>
#include <thread>

#include "export/LatExportFilter.h"
#include "formats/LatBinaryFormat.h"
#include "hostbase/BufferedFile.h"
#include "hostbase/PrimType.h"
#include "import/LatImportFilter.h"
#include "tests/support/LatBinaryWriter.h"
#include "tests/support/LatPlainWriter.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TempDir.h"
#include "user32/DialogUser.h"

namespace lattest {
namespace {

namespace fs = std::filesystem;
using hostbase::CErrorArg;
using hostfw::ErrCode;
using hostfw::ExportStatus;
using Tree = std::map<std::string, std::string>;
constexpr std::size_t kFileSize = 200;
const std::string kMagic = "#!/usr/explorer/bin/explorer cxLattice plain 1.0\n";
constexpr const char* kPrecious = "the file that was at the output path before";
constexpr int kSyntax = static_cast<int>(ErrCode::PlainSyntax);

// `call` raises the host's error from `module` with `code` and `args`.
void ExpectRaises(const std::function<void()>& call, const char* module, int code,
                  const std::vector<CErrorArg>& args) {
  try {
    call();
    ADD_FAILURE() << "the call returned instead of raising";
  } catch (const hostbase::CError& error) {
    EXPECT_EQ(error.Module(), module) << error.Message();
    EXPECT_EQ(error.Code(), code) << error.Message();
    EXPECT_EQ(error.Args(), args) << error.Message();
  }
}

std::uint64_t AddressSpaceInUse() {
  std::uint64_t pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  return pages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
}

// In a child process whose address space allows only 256 MiB more than it uses, so that an
// allocation of the claimed size fails there, the import raises `code` at `position` (a
// byte or a line) and hands nothing to the host; the exit code says what went wrong.
[[noreturn]] void ImportUnderLimit(const std::string& path, const char* module, int code,
                                   std::int64_t position) {
  const rlim_t bytes = AddressSpaceInUse() + (256 << 20);
  const rlimit limit{bytes, bytes};
  if (setrlimit(RLIMIT_AS, &limit) != 0) std::_Exit(3);
  if (std::unique_ptr<char[]> probe{new (std::nothrow) char[(std::size_t{1} << 31) - 1]})
    std::_Exit(4);
  hostfw::IoManager manager;
  RecordingHost host(manager);
  LatImportFilter filter(manager);
  try {
    filter.ImportFromFile(path.c_str());
  } catch (const hostbase::CError& error) {
    const bool expected = error.Module() == module && error.Code() == code &&
                          error.Args() == std::vector<CErrorArg>{position, path};
    std::_Exit(!expected ? 6 : host.objects.empty() ? 0 : 8);
  } catch (const std::bad_alloc&) {
    std::_Exit(7);
  }
  std::_Exit(5);
}

// A binary value list of `count` values, 2^31 - 1 bytes or just under, in a 200-byte file.
std::string BinaryClaim(std::int32_t primType, std::int32_t count) {
  BinaryLattice lat;
  lat.dims = {count, 1, 1};
  lat.primType = primType;
  lat.rawValues = std::vector<std::uint8_t>(kFileSize, 0x5A);
  lat.coords = {0, 1, 0, 0, 0, 0};
  BinaryImage image = EncodeBinary(lat);
  image.SetInt(BinaryField::ValueCount, count);
  image.Truncate(kFileSize);
  return std::string(image.bytes.begin(), image.bytes.end());
}

// A plain file padded with a comment to 200 bytes.
std::string PlainClaim(const std::string& body) {
  std::string text = kMagic + body + "#";
  text.resize(kFileSize - 1, 'x');
  return text + "\n";
}

TEST(AllocationLimit, ClaimsOfAboutTwoGigabytesInATwoHundredByteFile) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit allows";
#endif
  const int binary = static_cast<int>(ErrCode::BadBinaryData);
  const auto firstValue = static_cast<std::int64_t>(lat::binary::offset::kUniformFirstValue);
  const struct {
    std::string bytes;
    const char* module;
    int code;
    std::int64_t position;
  } claims[] = {
      {BinaryClaim(0, 2147483647), "LatImpBinary", binary, firstValue},
      {BinaryClaim(4, 268435455), "LatImpBinary", binary, firstValue},  // 2^31 - 8 bytes
      // A row of 2^31 - 1 bytes, refused once the value type is known.
      {PlainClaim("1\n2147483647\n1 0 0 1\n0 1\n"), "LatImpPlain", kSyntax, 3},
      // A y axis of 2^31 - 1 four-byte coordinates.
      {PlainClaim("2\n3 2147483647\n1 3 1 1\n0 1 2\n"), "LatImpPlain", kSyntax, 4},
      // 178 million nodes of 12 bytes: 2136000000 bytes of node coordinates.
      {PlainClaim("3\n10 1000 17800\n1 3 2 1\n3\n0 0 0\n"), "LatImpPlain", kSyntax, 5},
  };
  TempDir dir;
  for (const auto& c : claims) {
    SCOPED_TRACE(c.bytes.substr(0, 80));
    ASSERT_EQ(c.bytes.size(), kFileSize);
    const std::string path = dir.Write("claim.lat", c.bytes);
    EXPECT_EXIT(ImportUnderLimit(path, c.module, c.code, c.position),
                ::testing::ExitedWithCode(0), "");
  }
}

// A plain file cut inside the first number after the first read buffer, once its header
// has arrived; a file emptied when the import begins; a file whose reading fails (it opens,
// reports its length as 0, and fails at the first read); a folder (also with a trailing
// separator) and a missing path, refused at the open before any report.
TEST(FileFaults, FilesThatChangeOrFailUnderTheImport) {
  TempDir dir;
  hostfw::IoManager manager;
  RecordingHost host(manager);
  LatImportFilter filter(manager);
  std::string text = kMagic + "2\n500 600\n1 3 0 1\n0 1 0 1\n";
  for (int n = 0; n < 500 * 600; ++n)
    text += std::to_string(1000 + n % 8000) + (n % 500 == 499 ? ".5\n" : ".5 ");
  const std::size_t cut = text.find(' ', hostbase::CBufferedFile::kBufferSize + 12345) + 3;
  const std::int64_t lines = std::count(text.begin(), text.begin() + long(cut), '\n');
  const std::string large = dir.Write("large.lat", text);
  const std::string small = kMagic + "2\n3 2\n1 3 0 1\n0 1 10 20\n1.5 2.5 3.5\n4.5 5.5 6.5\n";
  const std::string emptied = dir.Write("emptied.lat", small), sound = dir.Write("s.lat", small);
  const auto resize = [](const std::string& path, std::size_t size) {
    return [=] { fs::resize_file(path, size); };
  };
  const std::string folder = dir.Path(), missing = dir.File("x/x.lat"), mem = "/proc/self/mem";
  const int open = hostbase::kErrFileOpen, notLat = static_cast<int>(ErrCode::NotLatFile);
  const char* const file = "CBufferedFile";
  const struct {
    std::string path;
    std::function<void()> atBegin, atHeader;
    const char* module;
    int code;
    std::vector<CErrorArg> args;
    std::size_t objects;  // the header and the rows before the cut
  } cases[] = {
      {large, {}, resize(large, cut), "LatImpPlain", kSyntax, {lines, large}, size_t(lines - 4)},
      {emptied, resize(emptied, 0), {}, "LatImportFilter", notLat, {emptied}, 0},
      {mem, {}, {}, file, hostbase::kErrFileRead, {mem, std::strerror(EIO)}, 0},
      {folder, {}, {}, file, open, {folder, std::strerror(EISDIR)}, 0},
      {folder + "/", {}, {}, file, open, {folder + "/", std::strerror(EISDIR)}, 0},
      {missing, {}, {}, file, open, {missing, std::strerror(ENOENT)}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    host.Clear();
    host.atBegin = c.atBegin;
    host.atObject = c.atHeader;
    EXPECT_EQ(filter.CanImportFile(c.path.c_str()), c.module != std::string(file));
    ExpectRaises([&] { filter.ImportFromFile(c.path.c_str()); }, c.module, c.code, c.args);
    EXPECT_EQ(host.objects.size(), c.objects);
    const int begun = c.code == open ? 0 : 1;
    EXPECT_EQ(host.beginMessages.size(), std::size_t(begun));
    EXPECT_EQ(host.stops, begun);
    host.Clear();
    host.atBegin = host.atObject = nullptr;
    EXPECT_EQ(filter.ImportFromFile(sound.c_str()), hostfw::ImportStatus_Complete);
    EXPECT_EQ(host.Sequence(), "U S S E");
  }
}

// Everything under `root`: each entry's relative path with a file's bytes or "<dir>".
Tree TreeSnapshot(const std::string& root) {
  Tree tree;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    std::ifstream in(entry.path(), std::ios::binary);
    tree[fs::relative(entry.path(), root).string()] =
        entry.is_directory() ? "<dir>" : std::string(std::istreambuf_iterator<char>(in), {});
  }
  return tree;
}

struct Sent {
  ExportStatus status = hostfw::ExportStatus_Accepted, end = hostfw::ExportStatus_Accepted;
  std::size_t objects = 0;  // sent, the one refused included
  std::vector<double> fractions{};
};

// A float lattice of `kind` (0 uniform, 1 rectilinear, 2 curvilinear) sent as its header,
// scans and end marker, up to the first status other than accepted.
Sent SendLattice(hostfw::IoExportFilter& filter, int kind, int nx, int ny, int nz) {
  const int f = hostbase::CPrimType::Float;
  std::unique_ptr<hostfw::TrLattice> header;
  if (kind == 0) header = std::make_unique<hostfw::TrUniformLattice>(f, nx, ny, nz, 1);
  if (kind == 1) header = std::make_unique<hostfw::TrRectilinearLattice>(f, f, nx, ny, nz, 1);
  if (kind == 2) header = std::make_unique<hostfw::TrCurvilinearLattice>(f, f, nx, ny, nz, 1);
  Sent sent;
  const auto send = [&](hostfw::TrBase& object) {
    ++sent.objects;
    sent.status = filter.ExportObject(object);
    return sent.status == hostfw::ExportStatus_Accepted;
  };
  if (!send(*header)) return sent;
  for (int row = 0; row < ny * nz; ++row) {
    hostfw::TrLatticeScan coords(nx * 3 * 4), values(*header);
    for (int x = 0; x < nx; ++x) static_cast<float*>(values.data)[x] = static_cast<float>(row + x);
    if ((kind == 2 && !send(coords)) || !send(values)) return sent;
  }
  hostfw::TrLatticeEnd end;
  send(end);
  return sent;
}

// One export of 30 rows on a filter of its own, the host cancelling at progress report
// `cancelAt` (-1: as the report begins; a number beyond the reports: never).
Sent RunExport(const std::string& out, int kind, int cancelAt) {
  hostfw::IoManager manager;
  RecordingHost host(manager);
  host.cancelAtProportion = cancelAt;
  host.cancelAtBegin = cancelAt == -1;
  LatExportFilter filter(manager);
  EXPECT_EQ(filter.BeginExportToFile(out.c_str(), false), hostfw::ExportStatus_Accepted);
  Sent run = SendLattice(filter, kind, 3, 10, 3);
  run.end = filter.EndExportToFile();
  run.fractions = host.fractions;
  EXPECT_EQ(host.stops, 1);
  return run;
}

// Every tenth row is reported (a curvilinear lattice's at row 0 too, and at its coordinates
// and its values); the last report comes when the lattice is complete, which is then written.
TEST(ExportCancel, AtEveryProgressReportOfEveryKindOverAnExistingFile) {
  const double third = 1.0 / 3, twoThirds = 2.0 / 3;
  for (int kind = 0; kind < 3; ++kind) {
    TempDir dir;
    const std::string out = dir.File("out.lat");
    const Sent whole = RunExport(out, kind, 1 << 30);  // never
    ASSERT_EQ(whole.end, hostfw::ExportStatus_Accepted);
    EXPECT_EQ(whole.fractions, (kind == 2 ? std::vector{0.0, third, third, twoThirds, twoThirds, 1.0}
                                          : std::vector{third, twoThirds, 1.0}));
    const int reports = static_cast<int>(whole.fractions.size());
    const Tree complete = TreeSnapshot(dir.Path());
    for (int k = -1; k < reports; ++k) {
      SCOPED_TRACE("kind " + std::to_string(kind) + ", cancel at report " + std::to_string(k));
      dir.Write("out.lat", kPrecious);
      const Sent cancelled = RunExport(out, kind, k);
      const bool last = k + 1 == reports;
      EXPECT_EQ(cancelled.status, hostfw::ExportStatus_Cancelled);
      EXPECT_EQ(cancelled.fractions.size(), static_cast<std::size_t>(k + 1));
      // Everything but the end marker went out when the last report was cancelled.
      EXPECT_EQ(cancelled.objects + 1 == whole.objects, last);
      EXPECT_TRUE(k != -1 || cancelled.objects == 1u);  // the header only
      EXPECT_EQ(cancelled.end, last ? ExportStatus(hostfw::ExportStatus_Accepted)
                                    : hostfw::ExportStatus_NoLattice);
      EXPECT_EQ(TreeSnapshot(dir.Path()), (last ? complete : Tree{{"out.lat", kPrecious}}));
    }
  }
}

// Plays the user of the options dialog: presses Cancel.
class CancellingUser final : public user32::DialogUser {
 public:
  CancellingUser() { user32::SetDialogUser(this); }
  ~CancellingUser() override { user32::SetDialogUser(nullptr); }
  CancellingUser(const CancellingUser&) = delete;
  CancellingUser& operator=(const CancellingUser&) = delete;
  void Interact(HWND dialog, user32::DialogKind /*kind*/) override {
    ++shown;
    user32::ClickButton(dialog, IDCANCEL);
  }
  int shown = 0;
};

// The dialog comes before the file is opened: the cancelled header returns 2, the end has
// no unfinished file to remove and returns 0.
TEST(ExportCancel, InTheDialogLeavesTheFileThatWasThere) {
  TempDir dir;
  const std::string out = dir.Write("out.lat", kPrecious);
  const CancellingUser user;
  hostfw::IoManager manager;
  RecordingHost host(manager);
  LatExportFilter filter(manager);
  hostfw::TrUniformLattice header(hostbase::CPrimType::Float, 3, 10, 3, 1);
  header.flags = hostfw::TrLattice::kFlagMayHaveBlanks;
  ASSERT_EQ(filter.BeginExportToFile(out.c_str(), true), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(filter.ExportObject(header), hostfw::ExportStatus_Cancelled);
  EXPECT_EQ(user.shown, 1);
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_TRUE(host.beginMessages.empty());
  EXPECT_EQ(TreeSnapshot(dir.Path()), (Tree{{"out.lat", kPrecious}}));
}

// A directory that does not exist, a path that is a directory, a full device. 300000
// floats are more than the output's buffer, so rows reach the file during the export.
TEST(ExportFaults, PlacesThatCannotTakeTheFileTouchNothing) {
  TempDir dir;
  hostfw::IoManager manager;
  RecordingHost host(manager);
  LatExportFilter filter(manager);
  // An earlier export and the user's own files, beside where the output goes.
  ASSERT_EQ(filter.BeginExportToFile(dir.File("earlier.lat").c_str(), false),
            hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendLattice(filter, 1, 3, 4, 2).status, hostfw::ExportStatus_Accepted);
  ASSERT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  fs::create_directory(dir.File("folder"));
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
    if (written && !fs::is_character_file(c.out)) continue;
    const Tree before = TreeSnapshot(dir.Path());
    host.Clear();
    ASSERT_EQ(filter.BeginExportToFile(c.out.c_str(), false), hostfw::ExportStatus_Accepted);
    ExpectRaises([&] { SendLattice(filter, 0, 600, c.ny, 1); }, "CBufferedFile", c.code,
                 {c.out, std::strerror(c.error)});
    EXPECT_EQ(filter.EndExportToFile(),
              written ? hostfw::ExportStatus_NoLattice : hostfw::ExportStatus_Accepted);
    EXPECT_EQ(host.beginMessages.size(), written ? 1u : 0u);
    EXPECT_EQ(host.stops, written ? 1 : 0);
    EXPECT_EQ(TreeSnapshot(dir.Path()), before);
    EXPECT_TRUE(!written || fs::is_character_file(c.out));
  }
}

// In a child process whose files may not grow beyond 64 KiB, the export over an existing
// file fails with the write error and ends with status 1; the parent checks the disk.
TEST(ExportFaults, DiskThatFillsUpKeepsTheFileThatWasThere) {
  TempDir dir;
  const std::string out = dir.Write("out.lat", kPrecious);
  const Tree before = TreeSnapshot(dir.Path());
  const auto exportOntoAFullDisk = [&] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64 << 10, 64 << 10};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) std::_Exit(3);
    hostfw::IoManager manager;
    LatExportFilter filter(manager);
    if (filter.BeginExportToFile(out.c_str(), false) != hostfw::ExportStatus_Accepted)
      std::_Exit(4);
    try {
      SendLattice(filter, 0, 600, 500, 1);
      std::_Exit(7);
    } catch (const hostbase::CError& error) {
      // The first argument names the temporary file the export writes.
      const auto& args = error.Args();
      if (error.Module() != "CBufferedFile" || error.Code() != hostbase::kErrFileWrite ||
          args.size() != 2 || args[1] != CErrorArg(std::strerror(EFBIG)))
        std::_Exit(8);
    }
    std::_Exit(filter.EndExportToFile() == hostfw::ExportStatus_NoLattice ? 0 : 9);
  };
  EXPECT_EXIT(exportOntoAFullDisk(), ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(TreeSnapshot(dir.Path()), before);
}

// Each object waits for the other thread's next object (or its end), so neither import gets
// ahead of the other by more than one object.
class LockstepSink final : public hostfw::IoObjectSink {
 public:
  LockstepSink(std::barrier<>& lockstep, RecordingHost& host) : lockstep_(lockstep), host_(host) {}
  bool Receive(hostfw::TrBase& object) override {
    lockstep_.arrive_and_wait();
    return host_.Receive(object);
  }

 private:
  std::barrier<>& lockstep_;
  RecordingHost& host_;
};

// Everything an import delivered, as text: the status or error, the objects with every
// scan's bytes and every summary, the progress.
std::string Delivery(LatImportFilter& filter, RecordingHost& host, const std::string& path) {
  host.Clear();
  std::string d;
  try {
    d = std::to_string(filter.ImportFromFile(path.c_str()));
  } catch (const hostbase::CError& error) {
    d = error.Message();
  }
  d += host.Sequence() + host.beginMessages.at(0);
  const std::vector<std::uint8_t> bytes = host.ScanBytes();
  d.append(bytes.begin(), bytes.end());
  for (const RecordedObject& o : host.objects) d += o.latticeInfo;
  for (double f : host.fractions) d += std::to_string(f);
  return d;
}

// Two filters used from two threads at once, twice each, deliver exactly what they deliver
// alone, in step from their first object to their last: plain and binary files of different
// geometries and value types, two plain files through the same word reader, one file twice.
TEST(ConcurrentImports, EachDeliversWhatItDeliversAlone) {
  TempDir dir;
  const auto binary = [&](int geometry, int primType) {
    BinaryLattice lat;
    lat.dims = {5, 7, 3};
    lat.primType = primType;
    lat.nDataVar = 2;
    lat.geometryType = geometry;
    lat.values = Ramp(2 * 105, primType == 0 ? -100.0 : 1.25, 0.75);
    const std::size_t coords[] = {6, 15, 3 * 105};
    for (double c : Ramp(coords[geometry], -1.0, 0.5)) lat.coords.push_back(static_cast<float>(c));
    return dir.Write("b" + std::to_string(geometry), EncodeBinary(lat).bytes);
  };
  const auto plain = [&](int geometry, std::size_t blocks) {
    PlainLattice lat;
    lat.dims = {4, 6, 3};
    lat.geometryType = geometry;
    lat.primType = geometry == 0 ? 4 : 1;
    const std::size_t coords[] = {6, 13, 3 * 72};
    lat.geometry = Ramp(coords[geometry], 0.0, 0.25);
    for (std::size_t b = 0; b < blocks; ++b)
      lat.blocks.push_back(Ramp(72, 100.0 * static_cast<double>(b), 0.5));
    return dir.Write("p" + std::to_string(geometry), PlainLatticeText(lat));
  };
  const std::array<std::string, 2> pairs[] = {{plain(0, 3), binary(2, 3)},
                                              {plain(1, 2), plain(2, 1)},
                                              {binary(0, 0), binary(1, 4)},
                                              {dir.File("p2"), dir.File("p2")}};
  for (const auto& paths : pairs) {
    std::string alone[2], together[2][2];
    for (int t = 0; t < 2; ++t) {
      hostfw::IoManager manager;
      RecordingHost host(manager);
      LatImportFilter filter(manager);
      alone[t] = Delivery(filter, host, paths[t]);
      ASSERT_EQ(alone[t].substr(0, 1), "0");  // complete
    }
    std::barrier lockstep(2);
    const auto run = [&](int me) {
      hostfw::IoManager manager;
      RecordingHost host(manager);
      LockstepSink sink(lockstep, host);
      manager.SetObjectSink(&sink);
      LatImportFilter filter(manager);
      for (std::string& delivery : together[me]) delivery = Delivery(filter, host, paths[me]);
      manager.SetObjectSink(&host);
      lockstep.arrive_and_drop();
    };
    std::thread first(run, 0), second(run, 1);
    first.join();
    second.join();
    for (int t = 0; t < 2; ++t) {
      EXPECT_EQ(together[t][0], alone[t]) << "first import of " << paths[t];
      EXPECT_EQ(together[t][1], alone[t]) << "second import of " << paths[t];
    }
  }
}

}  // namespace
}  // namespace lattest
