// Plays the user of the real Win32 dialogs from a second thread: waits for this process's
// dialog window, then runs a script against it while the first thread sits in the modal
// message loop.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

namespace wintest {

class DialogRobot {
 public:
  using Script = std::function<void(HWND window)>;

  // Starts the thread; it runs `script` once the dialog is shown.
  explicit DialogRobot(Script script);
  ~DialogRobot();
  DialogRobot(const DialogRobot&) = delete;
  DialogRobot& operator=(const DialogRobot&) = delete;

  // Whether a dialog appeared at all (valid after the dialog has ended).
  bool FoundDialog();

 private:
  Script script_;
  bool found_ = false;
  std::thread thread_;
};

// The text of control `id` of `window`.
std::string TextOf(HWND window, int id);
// Presses a button as a click would.
void Click(HWND window, int id);
// Saves the window's picture as a BMP file; false when it cannot be captured.
bool SaveWindowPicture(HWND window, const std::string& path);

}  // namespace wintest
