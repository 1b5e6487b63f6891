// lattool stopped by a signal once its output exists and once half of it is written, on the
// unnamed and the named temporary file: the output's folder holds what it held before.
#include <dirent.h>
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <map>
#include <memory>

#include "LattoolTestSupport.h"
#include "tests/support/LatBinaryWriter.h"

namespace lattest {
namespace {

constexpr const char* kEarlierOut = "the lattice that was here";
constexpr std::int32_t kNx = 1000, kNy = 1000, kNz = 5;  // 20 MB of floats

// The child's open file inside `dir`: its link text and size; an empty text when none.
std::pair<std::string, std::int64_t> OpenOutput(pid_t pid, const std::string& dir) {
  const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
  std::unique_ptr<DIR, int (*)(DIR*)> listing(opendir(fds.c_str()), closedir);
  for (dirent* entry; listing && (entry = readdir(listing.get())) != nullptr;) {
    const std::string fd = fds + "/" + entry->d_name;
    char target[4096];
    const ssize_t n = readlink(fd.c_str(), target, sizeof target - 1);
    struct stat info {};
    if (n <= 0 || std::string(target, n).rfind(dir + "/", 0) != 0) continue;
    if (stat(fd.c_str(), &info) == 0) return {std::string(target, n), info.st_size};
  }
  return {"", 0};
}

// Traces the child call by call until its output file in `dir` holds `size` bytes and leaves
// it stopped there: the file's link text, or empty (and reaped) when the child ended first.
std::string StopAt(pid_t pid, const std::string& dir, std::int64_t size) {
  const auto data = [](std::intptr_t value) { return reinterpret_cast<void*>(value); };
  ptrace(PTRACE_SEIZE, pid, nullptr, data(PTRACE_O_TRACESYSGOOD));
  ptrace(PTRACE_INTERRUPT, pid, nullptr, nullptr);
  for (int status = 0;;) {
    if (waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status)) return "";
    const auto [link, written] = OpenOutput(pid, dir);
    if (!link.empty() && written >= size) return link;
    // A signal the child was sent goes on to it; the tracer's own stops pass.
    const int stop = WSTOPSIG(status);
    const bool own = stop == (SIGTRAP | 0x80) || (status >> 16) != 0;
    ptrace(PTRACE_SYSCALL, pid, nullptr, data(own ? 0 : stop));
  }
}

// The folder's files and their bytes (a large file as "a lattice").
std::map<std::string, std::string> Listing(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string bytes = ReadFile(entry.path().string());
    files[entry.path().filename().string()] = bytes.size() < 100 ? bytes : "a lattice";
  }
  return files;
}

TEST(StopTest, AStoppedConvertLeavesTheOutputFolderAsItWas) {
  ExportDir dir;
  BinaryLattice lattice;
  lattice.dims = {kNx, kNy, kNz};
  lattice.coords = {0, 1, 0, 1, 0, 1};
  lattice.rawValues = std::vector<std::uint8_t>(std::size_t{4} * kNx * kNy * kNz, 0x41);
  EncodeBinary(lattice).WriteTo(dir.File("in.lat"));
  const std::string outDir = dir.File("out");
  std::filesystem::create_directory(outDir);
  dir.Write("out/notes.txt", "the user's own notes");
  dir.Write("out/out.lat", kEarlierOut);
  const auto before = Listing(outDir);
  const std::int64_t half = std::int64_t{2} * kNx * kNy * kNz;
  const struct {
    int signal;
    bool named;
  } cases[] = {{SIGKILL, false}, {SIGHUP, false}, {SIGHUP, true}, {SIGTERM, true}};
  for (const auto& c : cases) {
    for (const std::int64_t point : {std::int64_t{0}, half}) {
      SCOPED_TRACE(testing::Message() << strsignal(c.signal) << (c.named ? ", named" : "") << " at "
                                      << point << " bytes");
      std::vector<std::string> env = dir.Environment();
      env.push_back(std::string("HOSTBASE_NAMED_TEMPORARY=") + (c.named ? "1" : ""));
      pid_t pid = 0;
      std::string written;
      for (int attempt = 0; attempt < 5 && written.empty(); ++attempt) {
        dir.Write("out/out.lat", kEarlierOut);
        pid = StartTool({"--quiet", "convert", dir.File("in.lat"), outDir + "/out.lat"}, env);
        written = StopAt(pid, outDir, point);
      }
      ASSERT_FALSE(written.empty()) << "lattool always ended first";
      int status = 0;
      EXPECT_EQ(written.find(" (deleted)") != std::string::npos, !c.named) << written;
      EXPECT_EQ(written.rfind(outDir + "/.out.lat.", 0) == 0, c.named) << written;
      kill(pid, c.signal);
      ptrace(PTRACE_DETACH, pid, nullptr, nullptr);
      waitpid(pid, &status, 0);
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << "status " << status;
      EXPECT_EQ(Listing(outDir), before);
    }
  }
}

}  // namespace
}  // namespace lattest
