// The second-thread user of the real dialogs, and window pictures for review.
#include "DialogRobot.h"

#include <cstdint>
#include <fstream>
#include <vector>

namespace wintest {
namespace {

constexpr int kWaitSteps = 2000;  // gives up after about 20 s: the test then fails
constexpr DWORD kStepMs = 10;
constexpr DWORD kPaintMs = 300;  // lets the dialog's thread finish painting

BOOL CALLBACK TakeOwnDialog(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  if (process != GetCurrentProcessId() || std::string(className) != "#32770" ||
      !IsWindowVisible(window)) {
    return TRUE;
  }
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

HWND WaitForDialog() {
  for (int step = 0; step < kWaitSteps; ++step) {
    HWND found = nullptr;
    EnumWindows(TakeOwnDialog, reinterpret_cast<LPARAM>(&found));
    if (found != nullptr) return found;
    Sleep(kStepMs);
  }
  return nullptr;
}

}  // namespace

DialogRobot::DialogRobot(Script script)
    : script_(std::move(script)), thread_([this] {
        const HWND window = WaitForDialog();
        found_ = window != nullptr;
        if (found_) script_(window);
      }) {}

DialogRobot::~DialogRobot() {
  if (thread_.joinable()) thread_.join();
}

bool DialogRobot::FoundDialog() {
  if (thread_.joinable()) thread_.join();
  return found_;
}

std::string TextOf(HWND window, int id) {
  char text[256] = {};
  GetDlgItemTextA(window, id, text, sizeof text);
  return text;
}

void Click(HWND window, int id) {
  SendMessageA(GetDlgItem(window, id), BM_CLICK, 0, 0);
}

bool SaveWindowPicture(HWND window, const std::string& path) {
  RECT box{};
  if (!GetWindowRect(window, &box)) return false;
  const int width = box.right - box.left;
  const int height = box.bottom - box.top;
  if (width <= 0 || height <= 0) return false;
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
  const HGDIOBJ previous = SelectObject(memory, picture);
  // What the screen shows at the window, once the window has painted itself completely.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(kPaintMs);
  const bool printed = BitBlt(memory, 0, 0, width, height, screen, box.left, box.top, SRCCOPY) != 0;
  SelectObject(memory, previous);
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 32;
  info.biCompression = BI_RGB;
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
  const int rows = GetDIBits(memory, picture, 0, static_cast<UINT>(height), pixels.data(),
                             reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!printed || rows != height) return false;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(reinterpret_cast<const char*>(pixels.data()),
            static_cast<std::streamsize>(pixels.size()));
  return static_cast<bool>(out);
}

}  // namespace wintest
