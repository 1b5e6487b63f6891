// The user32 stand-in's property sheets: pages built from their PROPSHEETPAGEA records and
// the notifications the sheet buttons send.
#include <gtest/gtest.h>

#include <vector>

#include <prsht.h>
#include <windows.h>

#include "ScriptedUser.h"
#include "resources/LatResource.h"

namespace {

using dialogtest::ScriptedUser;
using user32::SheetButton;

// What a page received, and how it answers notifications.
struct PageRecord {
  const PROPSHEETPAGEA* initRecord = nullptr;  // the sheet's copy: gone when the sheet ends
  DLGPROC initDlgProc = nullptr;               // taken from that copy while it exists
  HWND page = nullptr;
  std::vector<UINT> codes;
  std::vector<LPARAM> notifyParams;
  std::vector<HWND> from;
  bool refuseKillActive = false;
  bool refuseApply = false;
};

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM /*wParam*/, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const auto* record = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
    auto* state = reinterpret_cast<PageRecord*>(record->lParam);
    state->initRecord = record;
    state->initDlgProc = record->pfnDlgProc;
    state->page = page;
    SetWindowLongPtrA(page, DWLP_USER, record->lParam);
    return 1;
  }
  auto* state = reinterpret_cast<PageRecord*>(GetWindowLongPtrA(page, DWLP_USER));
  if (state == nullptr || message != WM_NOTIFY) return 0;
  const auto* notify = reinterpret_cast<const PSHNOTIFY*>(lParam);
  state->codes.push_back(notify->hdr.code);
  state->notifyParams.push_back(notify->lParam);
  state->from.push_back(notify->hdr.hwndFrom);
  if (notify->hdr.code == PSN_KILLACTIVE && state->refuseKillActive) {
    SetWindowLongPtrA(page, DWLP_MSGRESULT, TRUE);
  }
  if (notify->hdr.code == PSN_APPLY && state->refuseApply) {
    SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_INVALID);
  }
  return 1;
}

PROPSHEETPAGEA PageFor(PageRecord& state, DWORD flags = PSP_HASHELP) {
  PROPSHEETPAGEA page{};
  page.dwSize = sizeof page;
  page.dwFlags = flags;
  page.pszTemplate = MAKEINTRESOURCEA(IDD_LAT_EXPORT_PAGE);
  page.pfnDlgProc = &PageProc;
  page.lParam = reinterpret_cast<LPARAM>(&state);
  return page;
}

INT_PTR RunSheet(const PROPSHEETPAGEA* pages, UINT count, DWORD flags = 0) {
  PROPSHEETHEADERA header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | flags;
  header.pszCaption = "Export";
  header.nPages = count;
  header.ppsp = pages;
  return PropertySheetA(&header);
}

TEST(StandInSheet, PagesGetACopyOfTheirRecordAndTheFirstIsShownActive) {
  PageRecord first, second;
  const PROPSHEETPAGEA pages[] = {PageFor(first), PageFor(second)};
  ScriptedUser user([](HWND page, user32::DialogKind kind) {
    EXPECT_EQ(kind, user32::DialogKind::PropertySheet);
    EXPECT_EQ(user32::GetDialogTitle(GetParent(page)), "Export");
    user32::PressSheetButton(page, SheetButton::Ok);
  });
  EXPECT_EQ(RunSheet(pages, 2), 1);
  ASSERT_NE(first.initRecord, nullptr);
  EXPECT_NE(first.initRecord, &pages[0]);  // the sheet's own copy
  EXPECT_EQ(first.initDlgProc, &PageProc);
  ASSERT_EQ(user.titles.size(), 1u);
  EXPECT_EQ(user.titles[0], "LAT Export Options");
  EXPECT_EQ(user.controls[0].size(), 13u);
  // OK: the page shown leaves (KILLACTIVE), then every page applies with lParam TRUE.
  EXPECT_EQ(first.codes, (std::vector<UINT>{PSN_SETACTIVE, PSN_KILLACTIVE, PSN_APPLY}));
  EXPECT_EQ(second.codes, (std::vector<UINT>{PSN_APPLY}));
  EXPECT_EQ(first.notifyParams.back(), TRUE);
  EXPECT_EQ(first.from.back(), second.from.back());
  EXPECT_NE(first.from.back(), nullptr);
}

TEST(StandInSheet, ApplyKeepsTheSheetOpenAndCancelResets) {
  PageRecord state;
  const PROPSHEETPAGEA page = PageFor(state);
  ScriptedUser user([](HWND shown, user32::DialogKind) {
    user32::PressSheetButton(shown, SheetButton::Apply);
    EXPECT_FALSE(user32::IsDialogEnded(shown));
    user32::PressSheetButton(shown, SheetButton::Cancel);
    EXPECT_TRUE(user32::IsDialogEnded(shown));
    user32::PressSheetButton(shown, SheetButton::Ok);  // the sheet is gone
  });
  EXPECT_EQ(RunSheet(&page, 1), 1);  // applied once
  EXPECT_EQ(state.codes, (std::vector<UINT>{PSN_SETACTIVE, PSN_KILLACTIVE, PSN_APPLY, PSN_RESET}));
  EXPECT_EQ(state.notifyParams[2], FALSE);
}

TEST(StandInSheet, CancelOrLeavingItOpenAppliesNothing) {
  PageRecord state;
  const PROPSHEETPAGEA page = PageFor(state);
  {
    ScriptedUser user;
    EXPECT_EQ(RunSheet(&page, 1), 0);
  }
  EXPECT_EQ(state.codes, (std::vector<UINT>{PSN_SETACTIVE, PSN_RESET}));
}

TEST(StandInSheet, APageThatRefusesKeepsTheSheetOpen) {
  PageRecord state;
  state.refuseKillActive = true;
  const PROPSHEETPAGEA page = PageFor(state);
  ScriptedUser user([&state](HWND shown, user32::DialogKind) {
    user32::PressSheetButton(shown, SheetButton::Ok);
    EXPECT_FALSE(user32::IsDialogEnded(shown));
    state.refuseKillActive = false;
    state.refuseApply = true;
    user32::PressSheetButton(shown, SheetButton::Ok);
    EXPECT_FALSE(user32::IsDialogEnded(shown));
    state.refuseApply = false;
    user32::PressSheetButton(shown, SheetButton::Ok);
    EXPECT_TRUE(user32::IsDialogEnded(shown));
  });
  EXPECT_EQ(RunSheet(&page, 1), 1);
  EXPECT_EQ(state.codes, (std::vector<UINT>{PSN_SETACTIVE, PSN_KILLACTIVE, PSN_KILLACTIVE,
                                            PSN_APPLY, PSN_KILLACTIVE, PSN_APPLY}));
}

TEST(StandInSheet, HelpAndApplyOnlyWhenTheSheetHasThem) {
  PageRecord withHelp, without;
  const PROPSHEETPAGEA helpPage = PageFor(withHelp);
  const PROPSHEETPAGEA plainPage = PageFor(without, PSP_DEFAULT);
  const auto pressHelpAndApply = [](HWND shown, user32::DialogKind) {
    user32::PressSheetButton(shown, SheetButton::Help);
    user32::PressSheetButton(shown, SheetButton::Apply);
  };
  {
    ScriptedUser user(pressHelpAndApply);
    RunSheet(&helpPage, 1, PSH_NOAPPLYNOW);
  }
  EXPECT_EQ(withHelp.codes, (std::vector<UINT>{PSN_SETACTIVE, PSN_HELP, PSN_RESET}));
  {
    ScriptedUser user(pressHelpAndApply);
    RunSheet(&plainPage, 1);
  }
  EXPECT_EQ(without.codes,
            (std::vector<UINT>{PSN_SETACTIVE, PSN_KILLACTIVE, PSN_APPLY, PSN_RESET}));
}

TEST(StandInSheet, BadSheetsFail) {
  PageRecord state;
  PROPSHEETPAGEA page = PageFor(state);
  EXPECT_EQ(RunSheet(&page, 1), -1);  // no user
  ScriptedUser user;
  EXPECT_EQ(PropertySheetA(nullptr), -1);
  EXPECT_EQ(RunSheet(&page, 0), -1);
  PROPSHEETHEADERA header{};
  header.nPages = 1;
  header.ppsp = &page;
  EXPECT_EQ(PropertySheetA(&header), -1);  // without PSH_PROPSHEETPAGE
  page.pszTemplate = MAKEINTRESOURCEA(IDD_LAT_EXPORT_PAGE + 1);
  EXPECT_EQ(RunSheet(&page, 1), -1);
  page.pszTemplate = MAKEINTRESOURCEA(IDD_LAT_EXPORT_PAGE);
  page.dwSize = 16;
  EXPECT_EQ(RunSheet(&page, 1), -1);
  EXPECT_EQ(state.initRecord, nullptr);
  EXPECT_TRUE(user.kinds.empty());
}

}  // namespace
