// The window side of option pages: the dialog procedure every filter page runs under, and
// the file name in a page's caption.
#include <algorithm>
#include <string>

#include "hostbase/Path.h"
#include "hostfw/IoPropertyPage.h"

namespace hostfw {

INT_PTR CALLBACK IoPropPageDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    // The sheet hands over its copy of the page record, whose lParam is the page.
    const auto* record = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
    const LPARAM page = record != nullptr ? record->lParam : 0;
    SetWindowLongPtrA(window, DWLP_USER, static_cast<LONG_PTR>(page));
  }
  auto* page = reinterpret_cast<IoPropertyPage*>(GetWindowLongPtrA(window, DWLP_USER));
  return page != nullptr ? page->DialogProc(window, message, wParam, lParam) : 0;
}

void AppendFilenameToWindowTitle(HWND window, const char* path) {
  if (window == nullptr || path == nullptr || *path == '\0') return;
  const char* name = hostbase::CPath::GetNamePtr(path);
  if (name == nullptr || *name == '\0') return;  // a directory: no file name to show
  std::string title(static_cast<std::size_t>(std::max(GetWindowTextLengthA(window), 0)) + 1, '\0');
  const int length = GetWindowTextA(window, title.data(), static_cast<int>(title.size()));
  title.resize(static_cast<std::size_t>(std::max(length, 0)));
  title += " - ";
  title += name;
  SetWindowTextA(window, title.c_str());
}

}  // namespace hostfw
