// Dialogs 105 and 106 on the system's user32 and comctl32, in this program (which carries
// LAT.rc) and in a lattool.exe child (--interactive, --page): a second thread reads them,
// picks a method, types a value and presses OK, Cancel or Apply; the tests check what
// reached the filter or the file.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "export/LatExportDlg.h"
#include "export/LatExportFilter.h"
#include "hostfw/IoManager.h"
#include "import/LatImportFilter.h"
#include "resources/LatResource.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TempDir.h"

namespace {

// The folder of this program, which holds LAT.dll and lattool.exe too.
std::string ProgramFolder() {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  return std::filesystem::path(self).parent_path().string();
}

// Plays the user from a second thread: waits for a visible dialog of process `process`, then
// runs `script` on it while the dialog's thread sits in its modal message loop.
class DialogRobot {
 public:
  explicit DialogRobot(std::function<void(HWND)> script, DWORD process = GetCurrentProcessId())
      : process_(process), thread_([this, script] {
          for (int step = 0; step < 2000 && window_ == nullptr; ++step) {  // about 20 s
            EnumWindows(TakeDialog, reinterpret_cast<LPARAM>(this));
            if (window_ == nullptr) Sleep(10);
          }
          if (window_ != nullptr) script(window_);
        }) {}
  ~DialogRobot() { FoundDialog(); }
  // Whether a dialog appeared at all (waits for the script's end).
  bool FoundDialog() {
    if (thread_.joinable()) thread_.join();
    return window_ != nullptr;
  }

 private:
  static BOOL CALLBACK TakeDialog(HWND window, LPARAM self) {  // for EnumWindows
    auto* robot = reinterpret_cast<DialogRobot*>(self);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    const bool found =
        process == robot->process_ && std::string(className) == "#32770" && IsWindowVisible(window);
    if (found) robot->window_ = window;
    return !found;
  }

  const DWORD process_;
  HWND window_ = nullptr;
  std::thread thread_;  // last: starts once the other members are set
};

std::string TextOf(HWND window, int id) {
  char text[256] = {};
  GetDlgItemTextA(window, id, text, sizeof text);
  return text;
}
// Presses a button as a click would.
void Click(HWND window, int id) {
  SendMessageA(GetDlgItem(window, id), BM_CLICK, 0, 0);
}

BOOL CALLBACK NotePendingPaint(HWND window, LPARAM pending) {
  if (GetUpdateRect(window, nullptr, FALSE)) *reinterpret_cast<bool*>(pending) = true;
  return TRUE;
}
bool PaintPending(HWND window) {
  bool pending = GetUpdateRect(window, nullptr, FALSE) != FALSE;
  EnumChildWindows(window, NotePendingPaint, reinterpret_cast<LPARAM>(&pending));
  return pending;
}

// Takes the picture of `window` through its own device context once its thread has painted
// everything (a message sent returns only once that thread is back in its loop). It must
// show the dialog's face colour and, inside `control`, that control's text on its
// background: a blank capture, or one taken before the controls painted, fails.
void CheckPicture(HWND window, HWND control) {
  bool painted = false;
  for (int step = 0; step < 2000 && !painted; ++step) {
    painted = !PaintPending(window) && (SendMessageA(window, WM_NULL, 0, 0), !PaintPending(window));
    if (!painted) Sleep(10);
  }
  RECT box{}, part{};
  ASSERT_TRUE(painted && GetWindowRect(window, &box) && GetWindowRect(control, &part));
  OffsetRect(&part, -box.left, -box.top);
  const LONG width = box.right - box.left, height = box.bottom - box.top;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const HDC memory = CreateCompatibleDC(nullptr);
  const HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ previous = SelectObject(memory, bitmap);
  const HDC source = GetWindowDC(window);
  std::vector<std::uint32_t> pixels;
  if (bitmap != nullptr && source != nullptr &&
      BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY)) {
    GdiFlush();
    const auto* first = static_cast<const std::uint32_t*>(bits);
    pixels.assign(first, first + width * height);
  }
  if (source != nullptr) ReleaseDC(window, source);
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ASSERT_FALSE(pixels.empty());
  // The pixels in `area` of the colour `element` (a pixel is 0xXXRRGGBB, a COLORREF 0xBBGGRR).
  const auto count = [&](int element, RECT area) {
    const COLORREF colour = GetSysColor(element);
    const std::uint32_t wanted =
        (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    std::size_t found = 0;
    for (LONG y = std::max(area.top, 0L); y < std::min(area.bottom, height); ++y) {
      for (LONG x = std::max(area.left, 0L); x < std::min(area.right, width); ++x) {
        found += (pixels[y * width + x] & 0xFFFFFFu) == wanted;
      }
    }
    return found;
  };
  EXPECT_GT(count(COLOR_BTNFACE, {0, 0, width, height}), pixels.size() / 10);
  const auto area = static_cast<std::size_t>((part.right - part.left) * (part.bottom - part.top));
  EXPECT_GT(count(COLOR_BTNTEXT, part), area / 50);
  EXPECT_LT(count(COLOR_BTNTEXT, part), area / 2);
}

class RealDialogTest : public ::testing::Test {
 protected:
  RealDialogTest() {
    manager.resourceInstance = GetModuleHandleA(nullptr);  // which carries the templates
    dialog.filter = &filter;
  }
  // The method and fixed value handed to the filter, if any.
  std::optional<std::pair<int, double>> Saved() const {
    std::pair choice{-1, 0.0};
    if (manager.GetOption("BlankMethod", choice.first, true) &&
        manager.GetOption("FixedBlankValue", choice.second, true)) {
      return choice;
    }
    return std::nullopt;
  }
  INT_PTR RunModal() { return dialog.RunModal(GetModuleHandleA(nullptr), nullptr); }
  // The page made by GetPropertyPages, inside a property sheet.
  INT_PTR RunSheet() {
    std::vector<hostfw::IoPropertyPage*> pages;
    filter.GetPropertyPages(pages, "sheet.lat");
    EXPECT_EQ(pages.size(), 1u);
    if (pages.empty()) return -1;
    using Page = hostfw::IoPropertyPage;
    pages[0]->SetProperty(Page::GetLatticeExportPropName_DataMin(), -2.5);
    pages[0]->SetProperty(Page::GetLatticeExportPropName_DataMax(), 3.0);
    pages[0]->SetProperty(Page::GetLatticeExportPropName_DataType(),
                          static_cast<int>(hostbase::CPrimType::Int16));
    PROPSHEETPAGEA record = pages[0]->GetPropSheetPage();
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_HASHELP;
    header.hInstance = GetModuleHandleA(nullptr);
    header.pszCaption = "Export";
    header.nPages = 1;
    header.ppsp = &record;
    return PropertySheetA(&header);
  }

  hostfw::IoManager manager;
  lattest::RecordingHost host{manager};
  LatExportFilter filter{manager};
  LatExportDlg dialog;
};

// What a dialog or page shows: its title, the data and type ranges, the fixed value and
// whether Data min is checked.
std::string Shown(HWND window) {
  char title[128] = {};
  GetWindowTextA(window, title, sizeof title);
  std::string shown = std::string(title) + " ";
  for (const int id : {IDC_SHOW_DATA_MIN, IDC_SHOW_DATA_MAX, IDC_SHOW_TYPE_MIN, IDC_SHOW_TYPE_MAX})
    shown += TextOf(window, id);
  return shown + " " + TextOf(window, IDC_FIXED_VALUE) +
         (IsDlgButtonChecked(window, IDC_BLANK_DATA_MIN) == BST_CHECKED ? " min" : "");
}

// A choice made and cancelled leaves the filter alone; OK hands it to the filter.
TEST_F(RealDialogTest, ModalDialogShowsTheRangesAndOkHandsTheChoiceToTheFilter) {
  dialog.dataMin = 0.1;
  dialog.dataMax = 1e300;
  dialog.dataType = hostbase::CPrimType::Int16;
  dialog.fileName = "result.lat";
  DialogRobot cancel([](HWND window) {
    Click(window, IDC_BLANK_TYPE_MAX);
    SetDlgItemTextA(window, IDC_FIXED_VALUE, "7");
    Click(window, IDCANCEL);
  });
  EXPECT_EQ(RunModal(), 0);
  ASSERT_TRUE(cancel.FoundDialog());
  EXPECT_EQ(Saved(), std::nullopt);
  std::string shown;
  bool fixedChecked = false;
  DialogRobot robot([&](HWND window) {
    shown = Shown(window);
    CheckPicture(window, GetDlgItem(window, IDC_SHOW_DATA_MAX));
    Click(window, IDC_BLANK_FIXED);
    fixedChecked = IsDlgButtonChecked(window, IDC_BLANK_FIXED) == BST_CHECKED;
    SetDlgItemTextA(window, IDC_FIXED_VALUE, "-12.5");
    Click(window, IDOK);
  });
  EXPECT_EQ(RunModal(), 1);
  ASSERT_TRUE(robot.FoundDialog());
  EXPECT_EQ(shown,
            "LAT Export Options - result.lat "
            "[0.10000000000000001][1.0000000000000001E+300][-32768][32767] 0 min");
  EXPECT_TRUE(fixedChecked);  // an auto radio button checks itself when clicked
  EXPECT_EQ(Saved(), std::pair(4, -12.5));
}

// Cancel without Apply leaves the filter alone; Apply hands the choice to it, and a Cancel
// after Apply keeps it.
TEST_F(RealDialogTest, PageApplyHandsTheChoiceToTheFilterAndCancelKeepsIt) {
  DialogRobot cancel([](HWND sheet) {
    const HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    Click(page, IDC_BLANK_FIXED);
    SetDlgItemTextA(page, IDC_FIXED_VALUE, "3");
    Click(sheet, IDCANCEL);
  });
  RunSheet();
  ASSERT_TRUE(cancel.FoundDialog());
  EXPECT_EQ(Saved(), std::nullopt);
  std::string shown;
  DialogRobot robot([&](HWND sheet) {
    const HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    shown = Shown(page);
    CheckPicture(sheet, GetDlgItem(page, IDC_SHOW_DATA_MIN));
    Click(page, IDC_BLANK_TYPE_MIN);
    SetDlgItemTextA(page, IDC_FIXED_VALUE, "99");
    PropSheet_Apply(sheet);
    Click(sheet, IDCANCEL);
  });
  RunSheet();
  ASSERT_TRUE(robot.FoundDialog());
  EXPECT_EQ(shown.substr(shown.find('[')), "[-2.5][3][-32768][32767] 0 min");
  EXPECT_EQ(Saved(), std::pair(2, 99.0));
}

// Six 16-bit values, two of them the blank value -1 (data range 5 to 300).
constexpr const char* kBlanked = R"({"kind": "uniform", "dataType": 2, "nx": 6, "ny": 1, "nz": 1,
  "components": 1, "flags": 1, "blankValue": -1, "origin": [0, 0, 0], "spacing": [1, 1, 1],
  "values": [5, -1, 300, -1, 40, 7]})";

// The values of the file's one lattice, read back through the import filter.
std::vector<std::int16_t> ImportedValues(const std::string& path) {
  hostfw::IoManager manager;
  lattest::RecordingHost host(manager);
  LatImportFilter filter(manager);
  EXPECT_EQ(filter.ImportFromFile(path.c_str()), hostfw::ImportStatus_Complete);
  const std::vector<std::uint8_t> bytes = host.ScanBytes();
  std::vector<std::int16_t> values(bytes.size() / 2);
  std::memcpy(values.data(), bytes.data(), values.size() * 2);
  return values;
}

class LattoolDialog : public ::testing::Test {
 protected:
  // Runs `lattool --quiet create <flag> in.json out.lat` (beside this program, with APPDATA
  // in the test's folder), answers its dialog with `script` and returns its exit code, or
  // -1 when it did not end within a minute.
  int Create(const char* flag, const std::function<void(HWND)>& script) {
    const std::string program = ProgramFolder() + "\\lattool.exe";
    std::string commandLine = "\"" + program + "\" --quiet create " + flag + " \"" +
                              dir.Write("in.json", kBlanked) + "\" \"" + Output() + "\"";
    SetEnvironmentVariableA("APPDATA", dir.Path().c_str());
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    EXPECT_TRUE(CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                               nullptr, nullptr, &startup, &child))
        << program;
    DialogRobot robot(script, child.dwProcessId);
    DWORD exitCode = static_cast<DWORD>(-1);
    if (WaitForSingleObject(child.hProcess, 60000) != WAIT_OBJECT_0) {
      TerminateProcess(child.hProcess, static_cast<UINT>(-1));
      WaitForSingleObject(child.hProcess, 60000);
    }
    GetExitCodeProcess(child.hProcess, &exitCode);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    EXPECT_TRUE(robot.FoundDialog());
    return static_cast<int>(exitCode);
  }
  std::string Output() const { return dir.File("out.lat"); }
  std::string SavedOptions() const {
    std::ifstream in(dir.Path() + "\\lattool\\options.ini", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  lattest::TempDir dir;
};

TEST_F(LattoolDialog, InteractiveShowsTheModalDialogAndOkWritesTheChoice) {
  std::string shown;
  EXPECT_EQ(Create("--interactive",
                   [&](HWND window) {
                     shown = Shown(window);
                     Click(window, IDC_BLANK_TYPE_MAX);
                     Click(window, IDOK);
                   }),
            0);
  EXPECT_EQ(shown, "LAT Export Options - out.lat [5][300][-32768][32767] 0 min");
  EXPECT_EQ(ImportedValues(Output()), (std::vector<std::int16_t>{5, 32767, 300, 32767, 40, 7}));
  EXPECT_NE(SavedOptions().find("BlankMethod=3\n"), std::string::npos) << SavedOptions();
}

TEST_F(LattoolDialog, PageShowsThePropertySheetAndOkWritesTheFixedValue) {
  std::string shown;
  EXPECT_EQ(Create("--page",
                   [&](HWND sheet) {
                     const HWND page = PropSheet_GetCurrentPageHwnd(sheet);
                     shown = Shown(page);
                     Click(page, IDC_BLANK_FIXED);
                     SetDlgItemTextA(page, IDC_FIXED_VALUE, "-12");
                     Click(sheet, IDOK);
                   }),
            0);
  EXPECT_NE(shown.find("[5][300][-32768][32767]"), std::string::npos) << shown;
  EXPECT_EQ(ImportedValues(Output()), (std::vector<std::int16_t>{5, -12, 300, -12, 40, 7}));
  EXPECT_EQ(SavedOptions(), "BlankMethod=4\nFixedBlankValue=-12\n");
}

}  // namespace
