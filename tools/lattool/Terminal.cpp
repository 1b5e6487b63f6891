// Line input and text output on the user's terminal through plain descriptors.
#include "Terminal.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace lattool {

std::unique_ptr<Terminal> Terminal::Open() {
  const int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (tty >= 0) {
    auto terminal = std::make_unique<Terminal>(tty, tty);
    terminal->ownedFd_ = tty;
    return terminal;
  }
  if (::isatty(STDIN_FILENO) && ::isatty(STDERR_FILENO)) {
    return std::make_unique<Terminal>(STDIN_FILENO, STDERR_FILENO);
  }
  return nullptr;
}

Terminal::~Terminal() {
  if (ownedFd_ >= 0) ::close(ownedFd_);
}

bool Terminal::ReadLine(std::string& line) {
  while (true) {
    const std::size_t end = pending_.find('\n');
    if (end != std::string::npos) {
      line.assign(pending_, 0, end);
      pending_.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return true;
    }
    if (ended_) break;
    char chunk[512];
    const ssize_t n = ::read(inFd_, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ended_ = true;
    } else {
      pending_.append(chunk, static_cast<std::size_t>(n));
    }
  }
  // A last line without its line end still counts.
  if (pending_.empty()) return false;
  line.swap(pending_);
  pending_.clear();
  return true;
}

void Terminal::Write(std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(outFd_, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // a terminal that went away: nothing more to show
    text.remove_prefix(static_cast<std::size_t>(n));
  }
}

}  // namespace lattool
