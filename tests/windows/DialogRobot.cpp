// The second-thread user of the real dialogs, and window pictures for review.
#include "DialogRobot.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <memory>
#include <type_traits>
#include <vector>

namespace wintest {
namespace {

constexpr int kWaitSteps = 2000;  // gives up after about 20 s: the test then fails
constexpr DWORD kStepMs = 10;

struct DialogSearch {
  DWORD process = 0;
  HWND found = nullptr;
};

BOOL CALLBACK TakeDialogOf(HWND window, LPARAM search) {
  auto& wanted = *reinterpret_cast<DialogSearch*>(search);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  if (process != wanted.process || std::string(className) != "#32770" || !IsWindowVisible(window)) {
    return TRUE;
  }
  wanted.found = window;
  return FALSE;
}

HWND WaitForDialog(DWORD process) {
  for (int step = 0; step < kWaitSteps; ++step) {
    DialogSearch search{process, nullptr};
    EnumWindows(TakeDialogOf, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    Sleep(kStepMs);
  }
  return nullptr;
}

BOOL CALLBACK NotePendingPaint(HWND window, LPARAM pending) {
  if (GetUpdateRect(window, nullptr, FALSE)) *reinterpret_cast<bool*>(pending) = true;
  return TRUE;
}

// Whether `window` or one of its child windows still waits for WM_PAINT.
bool PaintPending(HWND window) {
  bool pending = GetUpdateRect(window, nullptr, FALSE) != FALSE;
  EnumChildWindows(window, NotePendingPaint, reinterpret_cast<LPARAM>(&pending));
  return pending;
}

// Waits until the window's thread has painted everything it was asked to. A message sent
// to the window returns only once that thread is back in its message loop, so a paint
// under way when no update region was left has finished too. False after about 20 s.
bool WaitUntilPainted(HWND window) {
  for (int step = 0; step < kWaitSteps; ++step) {
    if (!PaintPending(window)) {
      SendMessageA(window, WM_NULL, 0, 0);
      if (!PaintPending(window)) return true;
    }
    Sleep(kStepMs);
  }
  return false;
}

// Owners of the GDI objects a picture needs.
struct DcDeleter {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;
struct BitmapDeleter {
  void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};
using GdiBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter>;

class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~Selection() { SelectObject(dc_, previous_); }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

struct WindowDc {
  explicit WindowDc(HWND owner) : window(owner), dc(GetWindowDC(owner)) {}
  ~WindowDc() {
    if (dc != nullptr) ReleaseDC(window, dc);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HWND window;
  HDC dc;
};

}  // namespace

DialogRobot::DialogRobot(Script script, DWORD process)
    : script_(std::move(script)), thread_([this, process] {
        const HWND window = WaitForDialog(process);
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

WindowPicture TakeWindowPicture(HWND window) {
  if (!WaitUntilPainted(window)) return {};
  RECT box{};
  if (!GetWindowRect(window, &box)) return {};
  WindowPicture picture;
  picture.width = box.right - box.left;
  picture.height = box.bottom - box.top;
  if (picture.width <= 0 || picture.height <= 0) return {};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const MemoryDc memory(CreateCompatibleDC(nullptr));
  const GdiBitmap bitmap(CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!memory || !bitmap) return {};
  const Selection selected(memory.get(), bitmap.get());
  // The window's own device context reads what the window and its controls painted,
  // whether or not the display shows it.
  const WindowDc source(window);
  if (!source.dc ||
      !BitBlt(memory.get(), 0, 0, picture.width, picture.height, source.dc, 0, 0, SRCCOPY)) {
    return {};
  }
  GdiFlush();
  const auto* first = static_cast<const std::uint32_t*>(bits);
  picture.pixels.assign(first, first + static_cast<std::size_t>(picture.width) *
                                           static_cast<std::size_t>(picture.height));
  return picture;
}

std::size_t ColourCount(const WindowPicture& picture) {
  std::vector<std::uint32_t> colours;
  colours.reserve(picture.pixels.size());
  for (const std::uint32_t pixel : picture.pixels) colours.push_back(pixel & 0xFFFFFFu);
  std::sort(colours.begin(), colours.end());
  return static_cast<std::size_t>(std::unique(colours.begin(), colours.end()) - colours.begin());
}

std::size_t PixelsOf(const WindowPicture& picture, COLORREF colour) {
  // COLORREF is 0x00BBGGRR, a pixel 0xXXRRGGBB.
  const std::uint32_t wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) |
                               static_cast<std::uint32_t>(GetBValue(colour));
  return static_cast<std::size_t>(
      std::count_if(picture.pixels.begin(), picture.pixels.end(),
                    [wanted](std::uint32_t pixel) { return (pixel & 0xFFFFFFu) == wanted; }));
}

WindowPicture PartOf(const WindowPicture& picture, HWND window, HWND part) {
  RECT outer{}, inner{};
  if (!GetWindowRect(window, &outer) || !GetWindowRect(part, &inner)) return {};
  const int left = std::max<int>(inner.left - outer.left, 0);
  const int top = std::max<int>(inner.top - outer.top, 0);
  const int right = std::min<int>(inner.right - outer.left, picture.width);
  const int bottom = std::min<int>(inner.bottom - outer.top, picture.height);
  if (right <= left || bottom <= top || picture.pixels.empty()) return {};
  WindowPicture cut;
  cut.width = right - left;
  cut.height = bottom - top;
  for (int row = top; row < bottom; ++row) {
    const auto start = picture.pixels.begin() + row * picture.width;
    cut.pixels.insert(cut.pixels.end(), start + left, start + right);
  }
  return cut;
}

// A 24-bit BMP: no alpha channel, which viewers would take for transparency (GDI leaves
// the fourth byte of its 32-bit pixels at zero).
bool SavePicture(const WindowPicture& picture, const std::string& path) {
  if (picture.pixels.empty()) return false;
  const std::size_t rowBytes = (static_cast<std::size_t>(picture.width) * 3 + 3) & ~std::size_t{3};
  std::vector<char> rows(rowBytes * static_cast<std::size_t>(picture.height), 0);
  for (int row = 0; row < picture.height; ++row) {
    char* out = rows.data() + rowBytes * static_cast<std::size_t>(row);
    for (int column = 0; column < picture.width; ++column) {
      const std::uint32_t pixel =
          picture.pixels[static_cast<std::size_t>(row * picture.width + column)];
      *out++ = static_cast<char>(pixel & 0xFF);          // blue
      *out++ = static_cast<char>((pixel >> 8) & 0xFF);   // green
      *out++ = static_cast<char>((pixel >> 16) & 0xFF);  // red
    }
  }
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = picture.width;
  info.biHeight = -picture.height;  // top row first
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = static_cast<DWORD>(file.bfOffBits + rows.size());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(rows.data(), static_cast<std::streamsize>(rows.size()));
  return static_cast<bool>(out);
}

}  // namespace wintest
