// Dialogs 105 and 106 on the system's user32 and comctl32, in this program (which carries
// LAT.rc) and in a lattool.exe child (--interactive, --page): a second thread reads them,
// picks a method, types a value and presses OK, Cancel or Apply; the tests check what
// reached the filter or the file. And the two templates in LAT.dll, against the table.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
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

// Leaves the picture, as a 24-bit BMP named `name`, in the folder LAT_DIALOG_PICTURES names
// (for review; nothing when it is not set). No alpha channel, which viewers would take for
// transparency: GDI leaves the fourth byte of its 32-bit pixels at zero.
void SavePicture(const std::vector<std::uint32_t>& pixels, LONG width, LONG height,
                 const char* name) {
  const char* folder = std::getenv("LAT_DIALOG_PICTURES");
  if (folder == nullptr || *folder == '\0') return;
  const auto rowBytes = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  std::vector<char> rows(rowBytes * static_cast<std::size_t>(height), 0);
  for (LONG y = 0; y < height; ++y) {
    char* out = rows.data() + rowBytes * static_cast<std::size_t>(y);
    for (LONG x = 0; x < width; ++x) {
      const std::uint32_t pixel = pixels[static_cast<std::size_t>(y * width + x)];
      for (int shift : {0, 8, 16}) *out++ = static_cast<char>((pixel >> shift) & 0xFF);
    }
  }
  BITMAPINFOHEADER info{sizeof info, width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = static_cast<DWORD>(file.bfOffBits + rows.size());
  std::ofstream out(std::filesystem::path(folder) / name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(rows.data(), static_cast<std::streamsize>(rows.size()));
  EXPECT_TRUE(out) << "cannot write the picture " << name;
}

// Takes the picture of `window` through its own device context once its thread has painted
// everything (a message sent returns only once that thread is back in its loop). It must
// show the dialog's face colour and, inside `control`, that control's text on its
// background: a blank capture, or one taken before the controls painted, fails.
void CheckPicture(HWND window, HWND control, const char* name) {
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
  SavePicture(pixels, width, height, name);
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

using Texts = std::vector<std::string>;
struct Shown {
  std::string title, fixed;
  bool minChecked = false;
  Texts ranges;  // data min and max, type min and max
};

Shown Read(HWND window) {
  char title[128] = {};
  GetWindowTextA(window, title, sizeof title);
  Shown shown{title,
              TextOf(window, IDC_FIXED_VALUE),
              IsDlgButtonChecked(window, IDC_BLANK_DATA_MIN) == BST_CHECKED,
              {}};
  for (const int id : {IDC_SHOW_DATA_MIN, IDC_SHOW_DATA_MAX, IDC_SHOW_TYPE_MIN, IDC_SHOW_TYPE_MAX})
    shown.ranges.push_back(TextOf(window, id));
  return shown;
}

TEST_F(RealDialogTest, ModalDialogShowsTheRangesAndOkHandsTheChoiceToTheFilter) {
  dialog.dataMin = 0.1;
  dialog.dataMax = 1e300;
  dialog.dataType = hostbase::CPrimType::Int16;
  dialog.fileName = "result.lat";
  Shown shown;
  bool fixedChecked = false;
  DialogRobot robot([&](HWND window) {
    shown = Read(window);
    CheckPicture(window, GetDlgItem(window, IDC_SHOW_DATA_MAX), "dialog-105.bmp");
    Click(window, IDC_BLANK_FIXED);
    fixedChecked = IsDlgButtonChecked(window, IDC_BLANK_FIXED) == BST_CHECKED;
    SetDlgItemTextA(window, IDC_FIXED_VALUE, "-12.5");
    Click(window, IDOK);
  });
  const INT_PTR result = RunModal();
  ASSERT_TRUE(robot.FoundDialog());
  EXPECT_EQ(result, 1);
  EXPECT_EQ(shown.title, "LAT Export Options - result.lat");
  EXPECT_EQ(shown.ranges,
            Texts({"[0.10000000000000001]", "[1.0000000000000001E+300]", "[-32768]", "[32767]"}));
  EXPECT_EQ(shown.fixed, "0");
  EXPECT_TRUE(shown.minChecked);
  EXPECT_TRUE(fixedChecked);  // an auto radio button checks itself when clicked
  EXPECT_EQ(Saved(), std::pair(4, -12.5));
  EXPECT_EQ(dialog.blankMethod, 4);
}

TEST_F(RealDialogTest, PageApplyHandsTheChoiceToTheFilterAndCancelKeepsIt) {
  Shown shown;
  DialogRobot robot([&](HWND sheet) {
    const HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    shown = Read(page);
    CheckPicture(sheet, GetDlgItem(page, IDC_SHOW_DATA_MIN), "page-106.bmp");
    Click(page, IDC_BLANK_TYPE_MIN);
    SetDlgItemTextA(page, IDC_FIXED_VALUE, "99");
    PropSheet_Apply(sheet);
    Click(sheet, IDCANCEL);
  });
  RunSheet();
  ASSERT_TRUE(robot.FoundDialog());
  EXPECT_EQ(shown.ranges, Texts({"[-2.5]", "[3]", "[-32768]", "[32767]"}));
  EXPECT_EQ(Saved(), std::pair(2, 99.0));
}

// A choice made and then cancelled, in the modal dialog and on the page without Apply.
TEST_F(RealDialogTest, CancelLeavesTheFilterAlone) {
  DialogRobot modal([](HWND window) {
    Click(window, IDC_BLANK_TYPE_MAX);
    SetDlgItemTextA(window, IDC_FIXED_VALUE, "7");
    Click(window, IDCANCEL);
  });
  EXPECT_EQ(RunModal(), 0);
  ASSERT_TRUE(modal.FoundDialog());
  DialogRobot sheet([](HWND window) {
    const HWND page = PropSheet_GetCurrentPageHwnd(window);
    Click(page, IDC_BLANK_FIXED);
    SetDlgItemTextA(page, IDC_FIXED_VALUE, "3");
    Click(window, IDCANCEL);
  });
  RunSheet();
  ASSERT_TRUE(sheet.FoundDialog());
  EXPECT_EQ(Saved(), std::nullopt);
}

// Dialog templates 105 and 106 as LAT.dll holds them, read as the system reads them (an
// extended template: a header, menu, class, title and font, then one DWORD-aligned record
// per control; names are UTF-16 text ending in a zero, or 0xFFFF and an ordinal). A control:
// id, class, text, style, x, y, width, height.
using Item = std::tuple<int, std::string, std::string, DWORD, int, int, int, int>;

#pragma pack(push, 1)
struct DialogHeader {
  WORD version, signature;
  DWORD helpId, exStyle, style;
  WORD count;
  short x, y, width, height;
};
struct ItemHeader {
  DWORD helpId, exStyle, style;
  short x, y, width, height;
  DWORD id;
};
#pragma pack(pop)

struct TemplateBytes {  // reading past the end throws
  const unsigned char *start, *at, *end;
  template <class T>
  T Take() {
    if (end - at < static_cast<std::ptrdiff_t>(sizeof(T))) throw std::runtime_error("too short");
    T value;
    std::memcpy(&value, at, sizeof value);
    at += sizeof value;
    return value;
  }
  std::string TakeName() {  // ordinals as "#<number>"
    std::string text;
    for (WORD unit = Take<WORD>(); unit != 0; unit = Take<WORD>()) {
      if (unit == 0xFFFF && text.empty()) return "#" + std::to_string(Take<WORD>());
      text += unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    return text;
  }
};

// The predefined control classes, by ordinal or by name in any case ("BUTTON" for "Button").
std::string ClassName(const std::string& name) {
  for (const auto& [ordinal, canonical] :
       {std::pair{"#128", "Button"}, std::pair{"#129", "Edit"}, std::pair{"#130", "Static"}}) {
    if (name == ordinal || lstrcmpiA(name.c_str(), canonical) == 0) return canonical;
  }
  return name;
}

// The US English template of dialog `id` in LAT.dll: header, title, font size and name, controls.
std::tuple<DialogHeader, std::string, int, std::string, std::vector<Item>> ModuleDialog(int id) {
  const std::string path = ProgramFolder() + "\\LAT.dll";
  const HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) throw std::runtime_error("cannot load " + path);
  const HRSRC found =
      FindResourceExA(module, MAKEINTRESOURCEA(5) /* RT_DIALOG */, MAKEINTRESOURCEA(id),
                      MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  if (found == nullptr) throw std::runtime_error(path + " has no dialog " + std::to_string(id));
  const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(module, found)));
  TemplateBytes in{bytes, bytes, bytes + SizeofResource(module, found)};
  const auto header = in.Take<DialogHeader>();
  if (header.version != 1 || header.signature != 0xFFFF) throw std::runtime_error("not DIALOGEX");
  in.TakeName();  // menu
  in.TakeName();  // window class
  const std::string title = in.TakeName();
  int fontSize = 0;
  std::string fontName;
  if (header.style & (DS_SETFONT | DS_SHELLFONT)) {
    fontSize = in.Take<WORD>();
    in.Take<DWORD>();  // weight, italic, character set
    fontName = in.TakeName();
  }
  std::vector<Item> items;
  for (WORD i = 0; i < header.count; ++i) {
    in.at = in.start + ((in.at - in.start + 3) & ~3);
    const auto item = in.Take<ItemHeader>();
    const std::string className = ClassName(in.TakeName());
    const std::string text = in.TakeName();
    for (WORD extra = in.Take<WORD>(); extra > 0; --extra) in.Take<BYTE>();  // creation data
    items.emplace_back(static_cast<int>(item.id), className, text, DWORD{item.style}, int{item.x},
                       int{item.y}, int{item.width}, int{item.height});
  }
  FreeLibrary(module);
  return {header, title, fontSize, fontName, items};
}

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kText = kChild | SS_LEFT | WS_GROUP;
constexpr DWORD kRadio = kChild | BS_AUTORADIOBUTTON;
constexpr DWORD kButton = kChild | BS_PUSHBUTTON | WS_TABSTOP;

// Both forms: the same frame, the shared controls in tab order, then their own buttons.
TEST(ModuleResources, DialogsHoldTheFrameAndControlsOfTheTable) {
  const std::vector<std::pair<int, std::vector<Item>>> forms = {
      {IDD_LAT_EXPORT_MODAL,
       {{IDC_DEFAULTS, "Button", "&Defaults", kButton, 57, 105, 41, 14},
        {IDOK, "Button", "OK", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 102, 105, 41, 14},
        {IDCANCEL, "Button", "Cancel", kButton, 147, 105, 41, 14}}},
      {IDD_LAT_EXPORT_PAGE, {{IDC_DEFAULTS, "Button", "&Defaults", kButton, 147, 105, 41, 16}}},
  };
  for (const auto& [id, own] : forms) {
    SCOPED_TRACE("dialog " + std::to_string(id));
    const auto [header, title, fontSize, fontName, items] = ModuleDialog(id);
    EXPECT_EQ(std::make_tuple(header.style, header.exStyle, header.x, header.y, header.width,
                              header.height, title, fontSize, fontName),
              std::make_tuple(DS_SHELLFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                              DWORD{0}, short{0}, short{0}, short{198}, short{123},
                              std::string("LAT Export Options"), 8, std::string("MS Shell Dlg")));
    std::vector<Item> want = {
        // the controls both forms share, in tab order
        {IDC_STATIC, "Static",
         "Some exported nodes may contain missing (blanked) data, which this file format "
         "doesn't support.",
         kText, 5, 5, 188, 20},
        {IDC_STATIC, "Button", "Set any blanked nodes to", kChild | BS_GROUPBOX, 5, 25, 182, 77},
        {IDC_BLANK_DATA_MIN, "Button", "Data mi&n", kRadio | WS_GROUP | WS_TABSTOP, 10, 37, 45, 10},
        {IDC_BLANK_DATA_MAX, "Button", "Data ma&x", kRadio, 10, 49, 45, 10},
        {IDC_BLANK_TYPE_MIN, "Button", "&Type min", kRadio, 10, 61, 45, 10},
        {IDC_BLANK_TYPE_MAX, "Button", "Type &max", kRadio, 10, 73, 45, 10},
        {IDC_BLANK_FIXED, "Button", "&Fixed   ", kRadio, 10, 85, 45, 10},
        {IDC_SHOW_DATA_MIN, "Static", "", kText, 60, 37, 100, 10},
        {IDC_SHOW_DATA_MAX, "Static", "", kText, 60, 49, 100, 10},
        {IDC_SHOW_TYPE_MIN, "Static", "", kText, 60, 61, 100, 10},
        {IDC_SHOW_TYPE_MAX, "Static", "", kText, 60, 73, 100, 10},
        {IDC_FIXED_VALUE, "Edit", "", kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 60, 85, 118,
         12},
    };
    want.insert(want.end(), own.begin(), own.end());
    ASSERT_EQ(items.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
      EXPECT_EQ(items[i], want[i]) << "control " << i;
    }
  }
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
  std::vector<std::int16_t> values;
  for (const lattest::RecordedObject& object : host.objects) {
    const auto row = object.Values<std::int16_t>();
    if (object.kind != lattest::RecordedObject::Kind::Scan) continue;
    values.insert(values.end(), row.begin(), row.end());
  }
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
  Shown shown;
  const int exitCode = Create("--interactive", [&](HWND window) {
    shown = Read(window);
    Click(window, IDC_BLANK_TYPE_MAX);
    Click(window, IDOK);
  });
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(shown.title, "LAT Export Options - out.lat");
  EXPECT_EQ(shown.ranges, Texts({"[5]", "[300]", "[-32768]", "[32767]"}));
  EXPECT_EQ(ImportedValues(Output()), (std::vector<std::int16_t>{5, 32767, 300, 32767, 40, 7}));
  EXPECT_NE(SavedOptions().find("BlankMethod=3\n"), std::string::npos) << SavedOptions();
}

TEST_F(LattoolDialog, PageShowsThePropertySheetAndOkWritesTheFixedValue) {
  Shown shown;
  const int exitCode = Create("--page", [&](HWND sheet) {
    const HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    shown = Read(page);
    Click(page, IDC_BLANK_FIXED);
    SetDlgItemTextA(page, IDC_FIXED_VALUE, "-12");
    Click(sheet, IDOK);
  });
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(shown.ranges, Texts({"[5]", "[300]", "[-32768]", "[32767]"}));
  EXPECT_EQ(ImportedValues(Output()), (std::vector<std::int16_t>{5, -12, 300, -12, 40, 7}));
  EXPECT_EQ(SavedOptions(), "BlankMethod=4\nFixedBlankValue=-12\n");
}

}  // namespace
