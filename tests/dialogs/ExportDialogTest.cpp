// The export options dialog (modal form, resource 105): what it shows, how its buttons
// change the choice, and what reaches the filter on OK and on Cancel.
#include <gtest/gtest.h>

#include <cfloat>
#include <string>
#include <vector>

#include <windows.h>

#include "ScriptedUser.h"
#include "export/LatExportDlg.h"
#include "export/LatExportFilter.h"
#include "hostfw/IoManager.h"
#include "tests/support/RecordingHost.h"

namespace {

using dialogtest::CheckedRadios;
using dialogtest::ScriptedUser;
using dialogtest::TextOf;
using user32::DialogKind;

class ExportDialogTest : public ::testing::Test {
 protected:
  ExportDialogTest() { dialog.filter = &filter; }

  // Runs the modal form with `script` as the user; returns the dialog's result.
  INT_PTR Run(ScriptedUser::Script script) {
    ScriptedUser user(std::move(script));
    const INT_PTR result = dialog.RunModal(nullptr, nullptr);
    shown = user.controls.empty() ? std::vector<user32::ControlView>{} : user.controls[0];
    title = user.titles.empty() ? "" : user.titles[0];
    return result;
  }
  // OK after typing `text` into the fixed value field.
  INT_PTR AcceptWithText(const std::string& text) {
    return Run([text](HWND window, DialogKind) {
      SetDlgItemTextA(window, IDC_FIXED_VALUE, text.c_str());
      user32::ClickButton(window, IDOK);
    });
  }
  std::string Shown(int id) const { return dialogtest::Control(shown, id).text; }
  bool Saved(int& method, double& value) const {
    return manager.GetOption("BlankMethod", method, true) &&
           manager.GetOption("FixedBlankValue", value, true);
  }

  hostfw::IoManager manager;
  lattest::RecordingHost host{manager};
  LatExportFilter filter{manager};
  LatExportDlg dialog;
  std::vector<user32::ControlView> shown;  // the controls as the user first saw them
  std::string title;
};

TEST_F(ExportDialogTest, ShowsTheRangesWithSeventeenDigitsAndTheTypeRangeInBrackets) {
  dialog.dataMin = 0.1;
  dialog.dataMax = 1e300;
  dialog.dataType = hostbase::CPrimType::Int16;
  Run({});
  EXPECT_EQ(Shown(IDC_SHOW_DATA_MIN), "[0.10000000000000001]");
  EXPECT_EQ(Shown(IDC_SHOW_DATA_MAX), "[1.0000000000000001E+300]");
  EXPECT_EQ(Shown(IDC_SHOW_TYPE_MIN), "[-32768]");
  EXPECT_EQ(Shown(IDC_SHOW_TYPE_MAX), "[32767]");
  EXPECT_TRUE(host.warnings.empty());  // no host property: no promotion on the modal form
}

TEST_F(ExportDialogTest, ShowsTheChoiceTheFixedValueAndTheFileInTheTitle) {
  dialog.blankMethod = 4;
  dialog.fixedValue = 0.1;
  dialog.fileName = "result.lat";
  Run({});
  EXPECT_EQ(title, "LAT Export Options - result.lat");
  EXPECT_EQ(Shown(IDC_FIXED_VALUE), "0.10000000000000001");
  EXPECT_TRUE(dialogtest::Control(shown, IDC_BLANK_FIXED).checked);
  EXPECT_FALSE(dialogtest::Control(shown, IDC_BLANK_DATA_MIN).checked);
  dialog.fileName.clear();
  dialog.fixedValue = 1e20;
  Run({});
  EXPECT_EQ(title, "LAT Export Options");
  EXPECT_EQ(Shown(IDC_FIXED_VALUE), "1E+20");
}

TEST_F(ExportDialogTest, AMethodOutsideTheFiveChecksTypeMax) {
  for (const std::int32_t method : {5, -1, 1000}) {
    dialog.blankMethod = method;
    Run([](HWND window, DialogKind) {
      EXPECT_EQ(CheckedRadios(window), (std::vector<int>{IDC_BLANK_TYPE_MAX}));
    });
  }
  // The page's own value stays as it was until OK reads the controls.
  EXPECT_EQ(dialog.blankMethod, 1000);
}

TEST_F(ExportDialogTest, CaptionHelpButtonOpensTheHelpTopic) {
  Run([](HWND window, DialogKind) {
    EXPECT_NE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_CONTEXTHELP, 0);
    user32::RequestContextHelp(window);
    // The low four bits of a system command are the system's own.
    SendMessageA(window, WM_SYSCOMMAND, SC_CONTEXTHELP | 0x3, 0);
  });
  EXPECT_EQ(host.helpTopics, (std::vector<std::string>{"Lat-Export.htm", "Lat-Export.htm"}));
}

TEST_F(ExportDialogTest, DefaultsChecksDataMinAndClearsTheFieldButKeepsTheRanges) {
  dialog.dataMin = -2.5;
  dialog.dataMax = 9.0;
  dialog.dataType = hostbase::CPrimType::Int8;
  dialog.blankMethod = 2;
  dialog.fixedValue = 12.0;
  EXPECT_EQ(Run([](HWND window, DialogKind) {
              user32::ClickButton(window, IDC_BLANK_FIXED);
              SetDlgItemTextA(window, IDC_FIXED_VALUE, "99");
              user32::ClickButton(window, IDC_DEFAULTS);
              EXPECT_EQ(CheckedRadios(window), (std::vector<int>{IDC_BLANK_DATA_MIN}));
              EXPECT_EQ(TextOf(window, IDC_FIXED_VALUE), "0");
              EXPECT_EQ(TextOf(window, IDC_SHOW_DATA_MIN), "[-2.5]");
              EXPECT_EQ(TextOf(window, IDC_SHOW_DATA_MAX), "[9]");
              EXPECT_EQ(TextOf(window, IDC_SHOW_TYPE_MIN), "[-128]");
              EXPECT_EQ(TextOf(window, IDC_SHOW_TYPE_MAX), "[127]");
              EXPECT_FALSE(user32::IsDialogEnded(window));
            }),
            0);  // left open: cancelled
  int method = -1;
  double value = -1.0;
  EXPECT_FALSE(Saved(method, value));
}

TEST_F(ExportDialogTest, OkTakesTheCheckedMethodAndTheNumberAndSavesThem) {
  EXPECT_EQ(Run([](HWND window, DialogKind) {
              user32::ClickButton(window, IDC_BLANK_FIXED);
              SetDlgItemTextA(window, IDC_FIXED_VALUE, "  -12.75e1xyz");
              user32::ClickButton(window, IDOK);
            }),
            1);
  EXPECT_EQ(dialog.blankMethod, 4);
  EXPECT_EQ(dialog.fixedValue, -127.5);
  int method = -1;
  double value = 0.0;
  ASSERT_TRUE(Saved(method, value));
  EXPECT_EQ(method, 4);
  EXPECT_EQ(value, -127.5);
}

TEST_F(ExportDialogTest, OkWithUnreadableTextStoresZero) {
  dialog.fixedValue = 5.0;
  dialog.blankMethod = 1;
  EXPECT_EQ(AcceptWithText("abc"), 1);
  EXPECT_EQ(dialog.fixedValue, 0.0);
  EXPECT_EQ(dialog.blankMethod, 1);
}

TEST_F(ExportDialogTest, OkClampsHugeValuesAndTurnsNotANumberIntoTheLargest) {
  AcceptWithText("1e999");
  EXPECT_EQ(dialog.fixedValue, DBL_MAX);
  AcceptWithText("-1e999");
  EXPECT_EQ(dialog.fixedValue, -DBL_MAX);
  AcceptWithText("-inf");
  EXPECT_EQ(dialog.fixedValue, -DBL_MAX);
  AcceptWithText("nan");
  EXPECT_EQ(dialog.fixedValue, DBL_MAX);
  AcceptWithText("-1.7976931348623157e308");
  EXPECT_EQ(dialog.fixedValue, -DBL_MAX);
}

TEST_F(ExportDialogTest, OkReadsAtMostSeventyNineCharacters) {
  AcceptWithText("1" + std::string(100, '0'));
  EXPECT_EQ(dialog.fixedValue, 1e78);
  AcceptWithText(std::string(78, ' ') + "7");
  EXPECT_EQ(dialog.fixedValue, 7.0);
  AcceptWithText(std::string(79, ' ') + "7");
  EXPECT_EQ(dialog.fixedValue, 0.0);
}

TEST_F(ExportDialogTest, OkWithNoMethodCheckedKeepsTheMethod) {
  dialog.blankMethod = 2;
  Run([](HWND window, DialogKind) {
    CheckRadioButton(window, IDC_BLANK_DATA_MIN, IDC_BLANK_FIXED, 0);
    user32::ClickButton(window, IDOK);
  });
  EXPECT_EQ(dialog.blankMethod, 2);
}

TEST_F(ExportDialogTest, CancelLeavesTheFiltersOptionsAndTheDialogsValues) {
  manager.SetOption("BlankMethod", 1, true);
  manager.SetOption("FixedBlankValue", 3.0, true);
  dialog.blankMethod = 1;
  dialog.fixedValue = 3.0;
  EXPECT_EQ(Run([](HWND window, DialogKind) {
              user32::ClickButton(window, IDC_BLANK_FIXED);
              SetDlgItemTextA(window, IDC_FIXED_VALUE, "8");
              user32::ClickButton(window, IDCANCEL);
            }),
            0);
  EXPECT_EQ(dialog.blankMethod, 1);
  EXPECT_EQ(dialog.fixedValue, 3.0);
  int method = -1;
  double value = 0.0;
  ASSERT_TRUE(Saved(method, value));
  EXPECT_EQ(method, 1);
  EXPECT_EQ(value, 3.0);
}

TEST_F(ExportDialogTest, WithoutAFilterOkStillEndsAndHelpDoesNothing) {
  dialog.filter = nullptr;
  EXPECT_EQ(Run([](HWND window, DialogKind) {
              user32::RequestContextHelp(window);
              user32::ClickButton(window, IDC_BLANK_DATA_MAX);
              user32::ClickButton(window, IDOK);
            }),
            1);
  EXPECT_EQ(dialog.blankMethod, 1);
  EXPECT_TRUE(host.helpTopics.empty());
}

TEST_F(ExportDialogTest, AnswersOnlyTheMessagesItHandles) {
  Run([this](HWND window, DialogKind) {
    EXPECT_EQ(dialog.DialogProc(window, WM_COMMAND, MAKEWPARAM(IDC_BLANK_DATA_MAX, BN_CLICKED), 0),
              0);
    EXPECT_EQ(dialog.DialogProc(window, WM_SYSCOMMAND, SC_CLOSE, 0), 0);
    EXPECT_EQ(dialog.DialogProc(window, WM_CLOSE, 0, 0), 0);
    NMHDR other{window, 0, 12345};
    EXPECT_EQ(dialog.DialogProc(window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&other)), 1);
    // Before the page is in the window's slot nothing reaches it.
    const LONG_PTR page = SetWindowLongPtrA(window, DWLP_USER, 0);
    EXPECT_EQ(page, reinterpret_cast<LONG_PTR>(&dialog));
    EXPECT_EQ(LatExportDlg::StaticDialogProc(window, WM_COMMAND, IDOK, 0), 0);
    EXPECT_FALSE(user32::IsDialogEnded(window));
    SetWindowLongPtrA(window, DWLP_USER, page);
    EXPECT_EQ(LatExportDlg::StaticDialogProc(window, WM_COMMAND, IDCANCEL, 0), 1);
    EXPECT_TRUE(user32::IsDialogEnded(window));
  });
}

TEST(ExportDialogIdentity, IsAnOptionPageNamedLatExportDlg) {
  const LatExportDlg page;
  const hostbase::CTypeInfo* type = page.GetTypeId();
  ASSERT_EQ(type, LatExportDlg::GetClassTypeId());
  EXPECT_STREQ(type->GetName(), "LatExportDlg");
  EXPECT_EQ(type->GetFactory(), nullptr);
  EXPECT_EQ(type->GetBase(), hostfw::IoPropertyPage::GetClassTypeId());
  EXPECT_TRUE(type->IsDerivedFrom(hostfw::IoPropertyPage::GetClassTypeId()));
  EXPECT_EQ(page.blankMethod, 0);
  EXPECT_EQ(page.fixedValue, 0.0);
  EXPECT_EQ(page.filter, nullptr);
  EXPECT_EQ(page.dataType, hostbase::CPrimType::Double);
}

}  // namespace
