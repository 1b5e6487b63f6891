// The user's terminal, for the dialogs lattool shows as text forms: /dev/tty when the
// process has one, else stdin and stderr when both are terminals.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace lattool {

class Terminal {
 public:
  // The terminal, or null when the process has none.
  static std::unique_ptr<Terminal> Open();
  // A terminal on two descriptors that the caller keeps open (for tests).
  Terminal(int inFd, int outFd) noexcept : inFd_(inFd), outFd_(outFd) {}
  ~Terminal();
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  // The next line typed, without its line end; false at the end of input.
  bool ReadLine(std::string& line);
  void Write(std::string_view text);

 private:
  int inFd_;
  int outFd_;
  int ownedFd_ = -1;  // /dev/tty, when opened here
  std::string pending_;
  bool ended_ = false;
};

}  // namespace lattool
