// Option pages in a property sheet: IoPropPageDlgProc finds the page in the sheet's record
// and routes every later message to it; AppendFilenameToWindowTitle names the file in the
// caption. The sheet is the user32 stand-in's, with the module's page template.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <prsht.h>
#include <windows.h>

#include "hostfw/IoPropertyPage.h"
#include "resources/LatResource.h"
#include "user32/DialogUser.h"

namespace {

using hostfw::AppendFilenameToWindowTitle;
using hostfw::IoPropertyPage;
using hostfw::IoPropPageDlgProc;

struct Message {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// A page that logs what reaches it and answers `result` (and the record's lParam seen with
// WM_INITDIALOG, when it is a sheet record).
class LoggingPage : public IoPropertyPage {
 public:
  INT_PTR DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    log.push_back({window, message, wParam, lParam});
    if (message == WM_INITDIALOG && lParam != 0)
      initRecordParam = reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam;
    if (message == WM_NOTIFY) notifyCodes.push_back(reinterpret_cast<const NMHDR*>(lParam)->code);
    return result;
  }
  std::vector<Message> log;
  std::vector<UINT> notifyCodes;
  LPARAM initRecordParam = 0;
  INT_PTR result = 1;
};

// The dialog user of one test: runs `act` on the page the sheet shows.
class PageUser final : public user32::DialogUser {
 public:
  explicit PageUser(std::function<void(HWND)> act) : act_(std::move(act)) {
    user32::SetDialogUser(this);
  }
  ~PageUser() override { user32::SetDialogUser(nullptr); }
  PageUser(const PageUser&) = delete;
  PageUser& operator=(const PageUser&) = delete;
  void Interact(HWND page, user32::DialogKind) override {
    ++shown;
    act_(page);
  }
  int shown = 0;

 private:
  std::function<void(HWND)> act_;
};

// The record a filter builds for its page.
PROPSHEETPAGEA RecordFor(IoPropertyPage& page) {
  PROPSHEETPAGEA record{};
  record.dwSize = sizeof record;
  record.dwFlags = PSP_HASHELP;
  record.pszTemplate = MAKEINTRESOURCEA(IDD_LAT_EXPORT_PAGE);
  record.pfnDlgProc = &IoPropPageDlgProc;
  record.lParam = reinterpret_cast<LPARAM>(&page);
  return record;
}

INT_PTR RunSheet(const std::vector<PROPSHEETPAGEA>& records) {
  PROPSHEETHEADERA header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_HASHELP;
  header.pszCaption = "Export";
  header.nPages = static_cast<UINT>(records.size());
  header.ppsp = records.data();
  return PropertySheetA(&header);
}

std::string TitleOf(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

TEST(PropPageDlgProc, RoutesEveryMessageOfTheSheetToThePage) {
  LoggingPage page;
  HWND shownPage = nullptr;
  PageUser user([&](HWND window) {
    shownPage = window;
    EXPECT_EQ(GetWindowLongPtrA(window, DWLP_USER), reinterpret_cast<LONG_PTR>(&page));
    user32::ClickButton(window, IDC_DEFAULTS);
    // The caption's help button exists with the context help style only.
    SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_CONTEXTHELP);
    user32::RequestContextHelp(window);
    user32::PressSheetButton(window, user32::SheetButton::Help);
    user32::PressSheetButton(window, user32::SheetButton::Ok);
  });
  EXPECT_EQ(RunSheet({RecordFor(page)}), 1);
  ASSERT_EQ(user.shown, 1);
  ASSERT_GE(page.log.size(), 4u);
  // WM_INITDIALOG first, with the sheet's record of this page.
  EXPECT_EQ(page.log.front().message, static_cast<UINT>(WM_INITDIALOG));
  EXPECT_NE(page.log.front().lParam, 0);
  EXPECT_EQ(page.initRecordParam, reinterpret_cast<LPARAM>(&page));
  for (const Message& m : page.log) EXPECT_EQ(m.window, shownPage);

  std::vector<UINT> commands;
  std::vector<WPARAM> sysCommands;
  for (const Message& m : page.log) {
    if (m.message == WM_COMMAND) commands.push_back(LOWORD(m.wParam));
    if (m.message == WM_SYSCOMMAND) sysCommands.push_back(m.wParam & 0xFFF0);
  }
  EXPECT_EQ(commands, std::vector<UINT>{IDC_DEFAULTS});
  EXPECT_EQ(sysCommands, std::vector<WPARAM>{SC_CONTEXTHELP});
  // Help, then OK's kill-active and apply (PSN_SETACTIVE came when the page was shown).
  const std::vector<UINT> tail{PSN_HELP, PSN_KILLACTIVE, PSN_APPLY};
  ASSERT_GE(page.notifyCodes.size(), tail.size());
  EXPECT_EQ(std::vector<UINT>(page.notifyCodes.end() - 3, page.notifyCodes.end()), tail);
}

TEST(PropPageDlgProc, ReturnsThePagesAnswer) {
  LoggingPage page;
  PageUser user([&](HWND window) {
    page.result = 4242;
    EXPECT_EQ(IoPropPageDlgProc(window, WM_COMMAND, 77, 5), 4242);
    page.result = 0;
    EXPECT_EQ(IoPropPageDlgProc(window, WM_COMMAND, 78, 6), 0);
    page.result = -3;  // widened with its sign
    EXPECT_EQ(IoPropPageDlgProc(window, WM_SYSCOMMAND, SC_CLOSE, 0), -3);
    page.result = 1;
    user32::PressSheetButton(window, user32::SheetButton::Cancel);
  });
  EXPECT_EQ(RunSheet({RecordFor(page)}), 0);
  ASSERT_GE(page.log.size(), 3u);
  const auto direct = std::find_if(page.log.begin(), page.log.end(),
                                   [](const Message& m) { return m.wParam == 77; });
  ASSERT_NE(direct, page.log.end());
  EXPECT_EQ(direct->message, static_cast<UINT>(WM_COMMAND));
  EXPECT_EQ(direct->lParam, 5);
}

TEST(PropPageDlgProc, AnswersZeroWhileNoPageIsKnown) {
  LoggingPage page;
  PageUser user([&](HWND window) {
    const std::size_t seen = page.log.size();
    // A window whose slot holds no page: nothing is routed.
    SetWindowLongPtrA(window, DWLP_USER, 0);
    EXPECT_EQ(IoPropPageDlgProc(window, WM_COMMAND, IDC_DEFAULTS, 0), 0);
    EXPECT_EQ(IoPropPageDlgProc(nullptr, WM_COMMAND, IDC_DEFAULTS, 0), 0);
    EXPECT_EQ(page.log.size(), seen);
    // WM_INITDIALOG without a record leaves the slot empty and routes nothing.
    EXPECT_EQ(IoPropPageDlgProc(window, WM_INITDIALOG, 0, 0), 0);
    EXPECT_EQ(GetWindowLongPtrA(window, DWLP_USER), 0);
    EXPECT_EQ(page.log.size(), seen);
    // A record again: the page is known from then on and gets the message itself.
    const PROPSHEETPAGEA record = RecordFor(page);
    EXPECT_EQ(IoPropPageDlgProc(window, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&record)), 1);
    ASSERT_EQ(page.log.size(), seen + 1);
    EXPECT_EQ(page.log.back().message, static_cast<UINT>(WM_INITDIALOG));
    EXPECT_EQ(page.log.back().lParam, reinterpret_cast<LPARAM>(&record));
    user32::PressSheetButton(window, user32::SheetButton::Cancel);
  });
  EXPECT_EQ(RunSheet({RecordFor(page)}), 0);
}

TEST(PropPageDlgProc, EachPageOfASheetGetsItsOwnMessages) {
  LoggingPage first, second;
  PageUser user([&](HWND window) { user32::PressSheetButton(window, user32::SheetButton::Ok); });
  EXPECT_EQ(RunSheet({RecordFor(first), RecordFor(second)}), 1);
  ASSERT_FALSE(first.log.empty());
  ASSERT_FALSE(second.log.empty());
  EXPECT_EQ(first.initRecordParam, reinterpret_cast<LPARAM>(&first));
  EXPECT_EQ(second.initRecordParam, reinterpret_cast<LPARAM>(&second));
  EXPECT_NE(first.log.front().window, second.log.front().window);
  for (const Message& m : first.log) EXPECT_EQ(m.window, first.log.front().window);
  for (const Message& m : second.log) EXPECT_EQ(m.window, second.log.front().window);
  // Both pages are applied by OK.
  EXPECT_NE(std::find(first.notifyCodes.begin(), first.notifyCodes.end(), PSN_APPLY),
            first.notifyCodes.end());
  EXPECT_NE(std::find(second.notifyCodes.begin(), second.notifyCodes.end(), PSN_APPLY),
            second.notifyCodes.end());
}

// Runs `check` on the page window of a sheet, then closes the sheet.
void OnPageWindow(const std::function<void(HWND)>& check) {
  LoggingPage page;
  PageUser user([&](HWND window) {
    check(window);
    user32::PressSheetButton(window, user32::SheetButton::Cancel);
  });
  RunSheet({RecordFor(page)});
  EXPECT_EQ(user.shown, 1);
}

TEST(WindowTitle, AppendsTheFileNameWithoutItsDirectory) {
  OnPageWindow([](HWND window) {
    const std::string caption = TitleOf(window);
    EXPECT_EQ(caption, "LAT Export Options");
    AppendFilenameToWindowTitle(window, "/data/run 7/out.lat");
    EXPECT_EQ(TitleOf(window), caption + " - out.lat");
    for (auto [path, name] :
         {std::pair{"C:\\exports\\cube.lat", "cube.lat"}, std::pair{"plain.lat", "plain.lat"},
          std::pair{"mixed/dir\\deep/x", "x"}}) {
      SetWindowTextA(window, "Options");
      AppendFilenameToWindowTitle(window, path);
      EXPECT_EQ(TitleOf(window), std::string("Options - ") + name) << path;
    }
  });
}

TEST(WindowTitle, NothingWithoutAFileName) {
  OnPageWindow([](HWND window) {
    SetWindowTextA(window, "Options");
    AppendFilenameToWindowTitle(window, nullptr);
    AppendFilenameToWindowTitle(window, "");
    AppendFilenameToWindowTitle(window, "/data/exports/");
    EXPECT_EQ(TitleOf(window), "Options");
    AppendFilenameToWindowTitle(nullptr, "a.lat");  // no window: nothing to do
  });
}

TEST(WindowTitle, LongAndEmptyCaptionsAndRepeats) {
  OnPageWindow([](HWND window) {
    const std::string longCaption(2000, 'c');
    SetWindowTextA(window, longCaption.c_str());
    AppendFilenameToWindowTitle(window, "/x/y.lat");
    const int length = GetWindowTextLengthA(window);
    std::string title(static_cast<std::size_t>(length) + 1, '\0');
    GetWindowTextA(window, title.data(), length + 1);
    title.resize(static_cast<std::size_t>(length));
    EXPECT_EQ(title, longCaption + " - y.lat");

    SetWindowTextA(window, "");
    AppendFilenameToWindowTitle(window, "y.lat");
    EXPECT_EQ(TitleOf(window), " - y.lat");
    AppendFilenameToWindowTitle(window, "z.lat");
    EXPECT_EQ(TitleOf(window), " - y.lat - z.lat");
  });
}

}  // namespace
