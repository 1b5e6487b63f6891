// Property sheets: PropertySheetA builds a sheet and its pages from PROPSHEETPAGEA records,
// and the sheet buttons send the pages the notifications a real sheet sends.
#include <prsht.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "WindowSystem.h"
#include "user32/DialogUser.h"

namespace user32::detail {
namespace {

// The smallest record accepted: up to and including pfnCallback.
constexpr std::size_t kMinPageRecord = offsetof(PROPSHEETPAGEA, pcRefParent);

LRESULT Notify(HWND sheet, HWND page, UINT code, LPARAM lParam) {
  PSHNOTIFY notify{};
  notify.hdr.hwndFrom = sheet;
  notify.hdr.idFrom = 0;
  notify.hdr.code = code;
  notify.lParam = lParam;
  return SendToDialog(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
}

struct SheetView {
  HWND sheet = nullptr;
  std::vector<HWND> pages;
  HWND active = nullptr;
  bool hasApply = false;
  DWORD activeFlags = 0;
};

SheetView ViewOf(HWND page) {
  SheetView view;
  WindowSystem::Get().Visit(page, [&view](Window& w) {
    if (w.kind == WindowKind::Page) view.sheet = w.parent;
  });
  WindowSystem::Get().Visit(view.sheet, [&view](Window& w) {
    view.pages = w.children;
    view.hasApply = w.hasApply;
    if (w.activePage < w.children.size()) view.active = w.children[w.activePage];
  });
  WindowSystem::Get().Visit(view.active, [&view](Window& w) { view.activeFlags = w.pageFlags; });
  return view;
}

void EndSheet(HWND sheet, bool applied) {
  WindowSystem::Get().Visit(sheet, [applied](Window& w) {
    w.ended = true;
    w.applied = w.applied || applied;
  });
}

// PSN_KILLACTIVE to the page shown, then PSN_APPLY to every page; false when a page
// refuses (nonzero result), and the sheet stays open.
bool ApplyPages(const SheetView& view, bool ok) {
  if (Notify(view.sheet, view.active, PSN_KILLACTIVE, 0) != 0) return false;
  for (HWND page : view.pages) {
    if (Notify(view.sheet, page, PSN_APPLY, ok ? TRUE : FALSE) != PSNRET_NOERROR) return false;
  }
  WindowSystem::Get().Visit(view.sheet, [](Window& w) { w.applied = true; });
  return true;
}

void CancelSheet(const SheetView& view) {
  for (HWND page : view.pages) Notify(view.sheet, page, PSN_RESET, 0);
  EndSheet(view.sheet, false);
}

// Copies the page records, as a sheet keeps its own copies: each is `dwSize` bytes (a
// caller may extend the record), padded with zeros to a whole PROPSHEETPAGEA; false when a
// record is too small.
bool CopyRecords(const PROPSHEETHEADERA& header, std::vector<std::vector<unsigned char>>& out) {
  const auto* at = reinterpret_cast<const unsigned char*>(header.ppsp);
  for (UINT i = 0; i < header.nPages; ++i) {
    DWORD size = 0;
    std::memcpy(&size, at, sizeof size);
    if (size < kMinPageRecord) return false;
    std::vector<unsigned char> record(std::max<std::size_t>(size, sizeof(PROPSHEETPAGEA)));
    std::memcpy(record.data(), at, size);
    out.push_back(std::move(record));
    at += size;
  }
  return true;
}

// Creates the page windows; false when a page's template is unknown.
bool CreatePages(HWND sheet, std::vector<std::vector<unsigned char>>& records) {
  for (auto& bytes : records) {
    const auto& record = *reinterpret_cast<const PROPSHEETPAGEA*>(bytes.data());
    if ((record.dwFlags & PSP_DLGINDIRECT) != 0 || !IS_INTRESOURCE(record.pszTemplate))
      return false;
    const DialogTemplate* dialogTemplate = FindDialogTemplate(LOWORD(record.pszTemplate));
    if (dialogTemplate == nullptr) return false;
    const HWND page =
        CreateDialogWindow(*dialogTemplate, WindowKind::Page, sheet, record.pfnDlgProc);
    WindowSystem::Get().Visit(page, [&record](Window& w) {
      w.pageFlags = record.dwFlags;
      if ((record.dwFlags & PSP_USETITLE) != 0 && !IS_INTRESOURCE(record.pszTitle)) {
        w.text = record.pszTitle;
      }
    });
    WindowSystem::Get().Visit(sheet, [page](Window& w) { w.children.push_back(page); });
  }
  return true;
}

// Every page gets WM_INITDIALOG with the sheet's copy of its record, then the page shown
// PSN_SETACTIVE.
SheetView InitPages(HWND sheet, std::vector<std::vector<unsigned char>>& records) {
  std::vector<HWND> pages;
  WindowSystem::Get().Visit(sheet, [&pages](Window& w) { pages = w.children; });
  for (std::size_t i = 0; i < pages.size(); ++i) {
    SendToDialog(pages[i], WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(records[i].data()));
  }
  const SheetView view = ViewOf(pages.front());
  Notify(view.sheet, view.active, PSN_SETACTIVE, 0);
  return view;
}

HWND CreateSheet(const PROPSHEETHEADERA& header) {
  Window sheet;
  sheet.kind = WindowKind::Sheet;
  sheet.parent = header.hwndParent;
  if (!IS_INTRESOURCE(header.pszCaption)) sheet.text = header.pszCaption;
  sheet.hasApply = (header.dwFlags & PSH_NOAPPLYNOW) == 0;
  sheet.activePage = header.nStartPage < header.nPages ? header.nStartPage : 0;
  return WindowSystem::Get().Add(std::move(sheet));
}

}  // namespace
}  // namespace user32::detail

using user32::detail::Window;
using user32::detail::WindowSystem;

INT_PTR WINAPI PropertySheetA(LPCPROPSHEETHEADERA header) {
  user32::DialogUser* const user = WindowSystem::Get().GetUser();
  if (user == nullptr || header == nullptr || header->nPages == 0 || header->ppsp == nullptr ||
      (header->dwFlags & PSH_PROPSHEETPAGE) == 0) {
    return -1;
  }
  std::vector<std::vector<unsigned char>> records;
  if (!user32::detail::CopyRecords(*header, records)) return -1;
  const user32::detail::WindowGuard sheet(user32::detail::CreateSheet(*header));
  if (!user32::detail::CreatePages(sheet.Handle(), records)) return -1;
  const auto view = user32::detail::InitPages(sheet.Handle(), records);
  if (!user32::detail::HasEnded(view.sheet)) {
    user->Interact(view.active, user32::DialogKind::PropertySheet);
  }
  if (!user32::detail::HasEnded(view.sheet)) user32::detail::CancelSheet(view);
  bool applied = false;
  WindowSystem::Get().Visit(sheet.Handle(), [&applied](Window& w) { applied = w.applied; });
  return applied ? 1 : 0;
}

void user32::PressSheetButton(HWND page, SheetButton button) {
  const auto view = detail::ViewOf(page);
  if (view.sheet == nullptr || view.active == nullptr || detail::HasEnded(view.sheet)) return;
  switch (button) {
    case SheetButton::Ok:
      if (detail::ApplyPages(view, true)) detail::EndSheet(view.sheet, true);
      break;
    case SheetButton::Apply:
      if (view.hasApply) detail::ApplyPages(view, false);
      break;
    case SheetButton::Cancel:
      detail::CancelSheet(view);
      break;
    case SheetButton::Help:
      if ((view.activeFlags & PSP_HASHELP) != 0) {
        detail::Notify(view.sheet, view.active, PSN_HELP, 0);
      }
      break;
  }
}
