// Dialogs 105 and 106 of LAT.dll on the system's user32 and comctl32, in a lattool.exe child
// (--interactive, --page): a second thread reads them, picks a method, types a value and
// presses OK; the test checks what reached the file.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <cfloat>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "hostbase/PrimType.h"
#include "hostfw/IoManager.h"
#include "import/LatImportFilter.h"
#include "resources/LatResource.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TempDir.h"

namespace {

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

// Presses a button as a click would.
void Click(HWND window, int id) {
  SendMessageA(GetDlgItem(window, id), BM_CLICK, 0, 0);
}

// What a dialog or page shows: its title, the data and type ranges, the fixed value and
// whether Data min is checked.
std::string Shown(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  std::string shown = std::string(text) + " ";
  for (const int id : {IDC_SHOW_DATA_MIN, IDC_SHOW_DATA_MAX, IDC_SHOW_TYPE_MIN, IDC_SHOW_TYPE_MAX,
                       IDC_FIXED_VALUE}) {
    GetDlgItemTextA(window, id, text, sizeof text);
    shown += (id == IDC_FIXED_VALUE ? " " : "") + std::string(text);
  }
  return shown + (IsDlgButtonChecked(window, IDC_BLANK_DATA_MIN) == BST_CHECKED ? " min" : "");
}

// Six doubles, two of them the blank value -1 (data range 0.1 to 1e300, shown with seventeen
// digits).
constexpr const char* kBlanked = R"({"kind": "uniform", "dataType": 8, "nx": 6, "ny": 1, "nz": 1,
  "components": 1, "flags": 1, "blankValue": -1, "origin": [0, 0, 0], "spacing": [1, 1, 1],
  "values": [0.1, -1, 1e300, -1, 40, 7]})";

// The values of the file's one lattice, read back through the import filter.
std::vector<double> ImportedValues(const std::string& path) {
  hostfw::IoManager manager;
  lattest::RecordingHost host(manager);
  LatImportFilter filter(manager);
  EXPECT_EQ(filter.ImportFromFile(path.c_str()), hostfw::ImportStatus_Complete);
  return lattest::AsDoubles(hostbase::CPrimType::Double, host.ScanBytes());
}

// Runs `lattool --quiet create <flag> in.json out.lat` in `dir` (lattool.exe is beside this
// program; APPDATA is `dir`), answers its dialog with `script` and returns its exit code, or
// -1 when it did not end within a minute.
int Create(const lattest::TempDir& dir, const char* flag, const std::function<void(HWND)>& script) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string program = (std::filesystem::path(self).parent_path() / "lattool.exe").string();
  std::string commandLine = "\"" + program + "\" --quiet create " + flag + " \"" +
                            dir.Write("in.json", kBlanked) + "\" \"" + dir.File("out.lat") + "\"";
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

// --interactive shows the modal dialog, --page the property sheet; the choice
// made there writes the blanks and is kept in %APPDATA%. (Cancel and Apply are the same
// code on every system; the stand-in's tests pin them.)
TEST(LattoolDialog, ShowsTheModulesDialogAndOkWritesTheChoice) {
  const struct {
    const char* flag;
    int method;
    const char* value;
    double blank;
    const char* options;
  } cases[] = {
      {"--interactive", IDC_BLANK_TYPE_MAX, nullptr, DBL_MAX, "BlankMethod=3\nFixedBlankValue=0\n"},
      {"--page", IDC_BLANK_FIXED, "-12", -12, "BlankMethod=4\nFixedBlankValue=-12\n"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.flag);
    const lattest::TempDir dir;
    std::string shown;
    EXPECT_EQ(Create(dir, c.flag,
                     [&](HWND window) {
                       const HWND page = c.value ? PropSheet_GetCurrentPageHwnd(window) : window;
                       shown = Shown(page);
                       Click(page, c.method);
                       if (c.value) SetDlgItemTextA(page, IDC_FIXED_VALUE, c.value);
                       Click(window, IDOK);
                     }),
              0);
    EXPECT_EQ(shown,
              "LAT Export Options - out.lat [0.10000000000000001][1.0000000000000001E+300]"
              "[-1.7976931348623157e+308][1.7976931348623157e+308] 0 min");
    EXPECT_EQ(ImportedValues(dir.File("out.lat")),
              (std::vector<double>{0.1, c.blank, 1e300, c.blank, 40, 7}));
    EXPECT_EQ(lattest::ReadFile(dir.Path() + "\\lattool\\options.ini"), c.options);
  }
}

}  // namespace
