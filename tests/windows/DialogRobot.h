// Plays the user of the real Win32 dialogs from a second thread: waits for a dialog window
// of this process (or of a child process), then runs a script against it while the
// dialog's thread sits in its modal message loop.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace wintest {

class DialogRobot {
 public:
  using Script = std::function<void(HWND window)>;

  // Starts the thread; it runs `script` once a dialog of process `process` (this one
  // unless given) is shown.
  explicit DialogRobot(Script script, DWORD process = GetCurrentProcessId());
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
// A window's picture: rows from the top, 32-bit BGRX pixels.
struct WindowPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// The window as it paints itself, frame and controls included; empty when it cannot be
// captured. Call it from a thread other than the window's.
WindowPicture TakeWindowPicture(HWND window);
// How many different colours the picture holds (0 for an empty one).
std::size_t ColourCount(const WindowPicture& picture);
// How many pixels have the colour `colour` (a COLORREF, as GetSysColor gives).
std::size_t PixelsOf(const WindowPicture& picture, COLORREF colour);
// The part of `picture` (taken of `window`) that the child window `part` covers.
WindowPicture PartOf(const WindowPicture& picture, HWND window, HWND part);
// Saves the picture as a BMP file; false when it cannot be written.
bool SavePicture(const WindowPicture& picture, const std::string& path);

}  // namespace wintest
