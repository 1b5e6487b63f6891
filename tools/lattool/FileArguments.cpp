// Checks of the files named on the command line, and the spool of inputs that are streams.
#include "FileArguments.h"

#include <chrono>
#include <cstdio>
#include <random>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "Commands.h"
#include "InterruptGuard.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

namespace lattool {

namespace fs = std::filesystem;

void RefuseSameFile(const std::string& input, const std::string& output) {
  if (input == "-" || output == "-") return;
  std::error_code error;
  bool same = fs::equivalent(input, output, error) && !error;
  // A file that does not exist yet has no identity: compare the spelling then.
  const fs::path a = fs::absolute(input, error).lexically_normal();
  const fs::path b = error ? fs::path() : fs::absolute(output, error).lexically_normal();
  same = same || (!error && a == b);
  if (same) throw UsageError("IN and OUT name the same file ('" + output + "')");
}

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// A stream cannot be read twice nor seeked, as the plug-in does with a file.
bool IsStream(const std::string& argument) {
  if (argument == "-") return true;
  std::error_code error;
  const fs::file_status status = fs::status(argument, error);
  return !error && (status.type() == fs::file_type::fifo ||
                    status.type() == fs::file_type::character ||
                    status.type() == fs::file_type::socket);
}

}  // namespace

TempFolder::TempFolder(const std::string& purpose) {
  std::random_device random;
  const fs::path temp = fs::temp_directory_path();
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    const fs::path folder = temp / ("lattool-" + std::to_string(random()));
    std::error_code error;
    if (fs::create_directory(folder, error)) path_ = folder.string();
  }
  if (path_.empty()) throw std::runtime_error("cannot make a temporary folder for " + purpose);
}

TempFolder::~TempFolder() {
  std::error_code error;
  fs::remove_all(path_, error);
}

InputFile::InputFile(const std::string& argument, bool progress) : path_(argument) {
  if (!IsStream(argument)) return;
  const std::string name = argument == "-" ? "standard input" : "'" + argument + "'";
  FilePtr owned;
  std::FILE* source = stdin;
  if (argument == "-") {
#if defined(_WIN32)
    _setmode(_fileno(stdin), _O_BINARY);
#endif
  } else {
    owned.reset(std::fopen(argument.c_str(), "rb"));
    if (!owned) throw std::runtime_error("cannot open " + name);
    source = owned.get();
  }
  spool_ = std::make_unique<hostbase::CAtomicFile>();
  std::string reason;
  const fs::path place = fs::temp_directory_path() / "lattool-input";
  if (!spool_->Prepare(place.string(), reason)) {
    throw std::runtime_error("cannot make a temporary copy of " + name + ": " + reason);
  }
  FilePtr copy(std::fopen(spool_->WritePath().c_str(), "wb"));
  if (!copy) throw std::runtime_error("cannot make a temporary copy of " + name);
  spool_->Opened();
  std::vector<char> block(std::size_t{1} << 20);
  std::uint64_t total = 0;
  auto lastShown = std::chrono::steady_clock::now();
  while (const std::size_t n = std::fread(block.data(), 1, block.size(), source)) {
    if (std::fwrite(block.data(), 1, n, copy.get()) != n) {
      throw std::runtime_error("cannot make a temporary copy of " + name + " (disk full?)");
    }
    total += n;
    if (InterruptGuard::Flag() != 0) throw std::runtime_error("reading " + name + " was interrupted");
    const auto now = std::chrono::steady_clock::now();
    if (progress && now - lastShown >= std::chrono::milliseconds(100)) {
      std::fprintf(stderr, "\rReading %s: %.1f MB", name.c_str(), static_cast<double>(total) / 1e6);
      lastShown = now;
    }
  }
  if (progress) std::fprintf(stderr, "\r\x1b[K");
  if (std::ferror(source)) throw std::runtime_error("cannot read " + name);
  if (std::fclose(copy.release()) != 0) throw std::runtime_error("cannot make a temporary copy of " + name);
  path_ = spool_->WritePath();
#if !defined(_WIN32)
  // On Linux the copy has no name of its own (it is reached through /proc/self/fd, and
  // vanishes even when lattool is killed), so the plug-in would call it "3" in the
  // lattice's summary and name /proc/self/fd/3 in its errors. A link named after the input
  // gives it a name the user knows.
  if (path_.starts_with("/proc/")) {
    folder_ = std::make_unique<TempFolder>("a copy of " + name);
    const std::string link = (fs::path(folder_->Path()) /
                              (argument == "-" ? std::string("stdin")
                                               : fs::path(argument).filename().string()))
                                 .string();
    std::error_code error;
    fs::create_symlink(path_, link, error);
    if (!error) path_ = link;
  }
#endif
}

OutputFile::OutputFile(const std::string& argument) : path_(argument) {
  if (argument != "-") return;
  folder_ = std::make_unique<TempFolder>("standard output");
  // No extension: the format is LAT, or the one --to names.
  path_ = (fs::path(folder_->Path()) / "stdout").string();
}

OutputFile::~OutputFile() = default;

void OutputFile::Deliver() const {
  if (!folder_) return;
#if defined(_WIN32)
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  FilePtr file(std::fopen(path_.c_str(), "rb"));
  if (!file) throw std::runtime_error("cannot read back the written lattice");
  std::vector<char> block(std::size_t{1} << 20);
  while (const std::size_t n = std::fread(block.data(), 1, block.size(), file.get())) {
    if (std::fwrite(block.data(), 1, n, stdout) != n) {
      throw std::runtime_error("cannot write to standard output");
    }
  }
  if (std::fflush(stdout) != 0) throw std::runtime_error("cannot write to standard output");
}

}  // namespace lattool
