// lattool.exe with --interactive and --page on Windows: the real options dialog and
// property sheet of the module, answered from this test process, decide what the
// exported file holds and what lattool keeps in %APPDATA%\lattool\options.ini.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "DialogRobot.h"
#include "ToolRun.h"
#include "hostfw/IoManager.h"
#include "import/LatImportFilter.h"
#include "resources/LatResource.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TempDir.h"

namespace {

using wintest::Click;
using wintest::DialogRobot;
using wintest::TextOf;

// Six 16-bit values, two of them the blank value -1 (data range 5 to 300).
constexpr const char* kBlanked = R"({"kind": "uniform", "dataType": 2, "nx": 6, "ny": 1, "nz": 1,
  "components": 1, "flags": 1, "blankValue": -1, "origin": [0, 0, 0], "spacing": [1, 1, 1],
  "values": [5, -1, 300, -1, 40, 7]})";

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The values of the file's one lattice, read back through the import filter.
std::vector<std::int16_t> ImportedValues(const std::string& path) {
  hostfw::IoManager manager;
  lattest::RecordingHost host(manager);
  LatImportFilter filter(manager);
  EXPECT_EQ(filter.ImportFromFile(path.c_str()), hostfw::ImportStatus_Complete);
  std::vector<std::int16_t> values;
  for (const lattest::RecordedObject& object : host.objects) {
    if (object.kind != lattest::RecordedObject::Kind::Scan) continue;
    const std::vector<std::int16_t> row = object.Values<std::int16_t>();
    values.insert(values.end(), row.begin(), row.end());
  }
  return values;
}

class LattoolDialog : public ::testing::Test {
 protected:
  // Runs `lattool --quiet create <flag> in.json out.lat`, answering its dialog with `script`.
  int Create(const char* flag, const DialogRobot::Script& script) {
    const std::string input = dir.Write("in.json", kBlanked);
    wintest::ToolRun tool({"--quiet", "create", flag, input, Output()}, dir.Path());
    EXPECT_TRUE(tool.Running());
    DialogRobot robot(script, tool.ProcessId());
    const int exitCode = tool.Wait();
    EXPECT_TRUE(robot.FoundDialog());
    return exitCode;
  }
  std::string Output() const { return dir.File("out.lat"); }
  std::string SavedOptions() const {
    return ReadText((std::filesystem::path(dir.Path()) / "lattool" / "options.ini").string());
  }

  lattest::TempDir dir;
};

TEST_F(LattoolDialog, InteractiveShowsTheModalDialogAndOkWritesTheChoice) {
  std::string title, dataMin, dataMax, typeMin, typeMax;
  const int exitCode = Create("--interactive", [&](HWND window) {
    char text[128] = {};
    GetWindowTextA(window, text, sizeof text);
    title = text;
    dataMin = TextOf(window, IDC_SHOW_DATA_MIN);
    dataMax = TextOf(window, IDC_SHOW_DATA_MAX);
    typeMin = TextOf(window, IDC_SHOW_TYPE_MIN);
    typeMax = TextOf(window, IDC_SHOW_TYPE_MAX);
    Click(window, IDC_BLANK_TYPE_MAX);
    Click(window, IDOK);
  });
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(title, "LAT Export Options - out.lat");
  EXPECT_EQ(dataMin, "[5]");
  EXPECT_EQ(dataMax, "[300]");
  EXPECT_EQ(typeMin, "[-32768]");
  EXPECT_EQ(typeMax, "[32767]");
  EXPECT_EQ(ImportedValues(Output()), (std::vector<std::int16_t>{5, 32767, 300, 32767, 40, 7}));
  EXPECT_NE(SavedOptions().find("BlankMethod=3\n"), std::string::npos) << SavedOptions();
}

TEST_F(LattoolDialog, InteractiveCancelWritesNothingAndKeepsNoChoice) {
  const int exitCode = Create("--interactive", [](HWND window) {
    Click(window, IDC_BLANK_FIXED);
    SetDlgItemTextA(window, IDC_FIXED_VALUE, "11");
    Click(window, IDCANCEL);
  });
  EXPECT_EQ(exitCode, 3);
  EXPECT_FALSE(std::filesystem::exists(Output()));
  EXPECT_EQ(SavedOptions().find("BlankMethod=4"), std::string::npos) << SavedOptions();
}

TEST_F(LattoolDialog, PageShowsThePropertySheetAndOkWritesTheFixedValue) {
  std::string dataMax, typeMin;
  const int exitCode = Create("--page", [&](HWND sheet) {
    const HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    dataMax = TextOf(page, IDC_SHOW_DATA_MAX);
    typeMin = TextOf(page, IDC_SHOW_TYPE_MIN);
    Click(page, IDC_BLANK_FIXED);
    SetDlgItemTextA(page, IDC_FIXED_VALUE, "-12");
    Click(sheet, IDOK);
  });
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(dataMax, "[300]");
  EXPECT_EQ(typeMin, "[-32768]");
  EXPECT_EQ(ImportedValues(Output()), (std::vector<std::int16_t>{5, -12, 300, -12, 40, 7}));
  EXPECT_EQ(SavedOptions(), "BlankMethod=4\nFixedBlankValue=-12\n");
}

// A file with no blanks left: convert shows no modal dialog, only the page when asked.
TEST_F(LattoolDialog, ConvertWithPageShowsTheFilesRangeAndCancelWritesNothing) {
  const std::string input = dir.Write("in.json", kBlanked);
  const std::string lat = dir.File("in.lat");
  {
    wintest::ToolRun create({"--quiet", "create", "--options", "BlankMethod=0", input, lat},
                            dir.Path());
    ASSERT_EQ(create.Wait(), 0);
  }
  std::string dataMin, dataMax;
  wintest::ToolRun convert({"--quiet", "convert", "--page", lat, Output()}, dir.Path());
  DialogRobot robot(
      [&](HWND sheet) {
        const HWND page = PropSheet_GetCurrentPageHwnd(sheet);
        dataMin = TextOf(page, IDC_SHOW_DATA_MIN);
        dataMax = TextOf(page, IDC_SHOW_DATA_MAX);
        Click(sheet, IDCANCEL);
      },
      convert.ProcessId());
  EXPECT_EQ(convert.Wait(), 3);
  ASSERT_TRUE(robot.FoundDialog());
  EXPECT_EQ(dataMin, "[5]");
  EXPECT_EQ(dataMax, "[300]");
  EXPECT_FALSE(std::filesystem::exists(Output()));
  EXPECT_EQ(ImportedValues(lat), (std::vector<std::int16_t>{5, 5, 300, 5, 40, 7}));
}

}  // namespace
