// The terminal's text form of a dialog: layout, numbering and lettering of the controls,
// and what each typed line asks the dialog to do.
#include <gtest/gtest.h>

#include <windows.h>

#include "DialogForm.h"

namespace lattest {
namespace {

using lattool::DialogForm;
using lattool::FormAction;
using user32::ControlView;
using user32::DialogKind;
using Kind = FormAction::Kind;

// The controls of the options dialog as the window system describes them, with the
// method `checked` selected and `fixed` in the value field.
std::vector<ControlView> OptionsControls(int checked, const std::string& fixed, bool modal) {
  std::vector<ControlView> controls = {
      {-1, "static", "Some exported nodes may be blank.", false, 5, 5, 188, 20},
      {-1, "groupbox", "Set any blanked nodes to", false, 5, 25, 182, 77},
  };
  const char* labels[] = {"Data mi&n", "Data ma&x", "&Type min", "Type &max", "&Fixed   "};
  for (int m = 0; m < 5; ++m) {
    controls.push_back({1200 + m, "radio", labels[m], m == checked, 10, 37 + 12 * m, 45, 10});
  }
  const char* ranges[] = {"[1.5]", "[6.5]", "[-32768]", "[32767]"};
  for (int i = 0; i < 4; ++i) {
    controls.push_back({1250 + i, "static", ranges[i], false, 60, 37 + 12 * i, 100, 10});
  }
  controls.push_back({1205, "edit", fixed, false, 60, 85, 118, 12});
  if (modal) {
    controls.push_back({1254, "button", "&Defaults", false, 57, 105, 41, 14});
    controls.push_back({1, "defbutton", "OK", false, 102, 105, 41, 14});
    controls.push_back({2, "button", "Cancel", false, 147, 105, 41, 14});
  } else {
    controls.push_back({1254, "button", "&Defaults", false, 147, 105, 41, 16});
  }
  return controls;
}

TEST(DialogForm, TheModalDialogIsDrawnRowByRowWithNumbersAndLetters) {
  const DialogForm form("LAT Export Options - out.lat", OptionsControls(0, "300", true),
                        DialogKind::Modal);
  EXPECT_EQ(form.Render(),
            "LAT Export Options - out.lat\n"
            " Some exported nodes may be blank.\n"
            " Set any blanked nodes to:\n"
            "  [1] (*) Data min  [1.5]\n"
            "  [2] ( ) Data max  [6.5]\n"
            "  [3] ( ) Type min  [-32768]\n"
            "  [4] ( ) Type max  [32767]\n"
            "  [5] ( ) Fixed     [6] <300>\n"
            "           [d] Defaults  [o] OK  [c] Cancel\n"
            "  [h] Help\n");
  EXPECT_EQ(form.Prompt(), "Choose 1-5, 6 to type a value, d Defaults, o OK, c Cancel, h Help: ");
}

TEST(DialogForm, TheCheckedMethodAndTheFieldTextFollowTheControls) {
  const std::string text =
      DialogForm("t", OptionsControls(4, "-2.5e3", true), DialogKind::Modal).Render();
  EXPECT_NE(text.find("[1] ( ) Data min"), std::string::npos) << text;
  EXPECT_NE(text.find("[5] (*) Fixed     [6] <-2.5e3>"), std::string::npos) << text;
  EXPECT_EQ(text.find("(*)"), text.rfind("(*)")) << "only one method is checked\n" << text;
}

TEST(DialogForm, ThePropertyPageGetsTheSheetsButtons) {
  const DialogForm form("LAT Export Options - out.lat", OptionsControls(1, "0", false),
                        DialogKind::PropertySheet);
  const std::string text = form.Render();
  EXPECT_NE(text.find("[d] Defaults\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\n  [o] OK  [c] Cancel  [a] Apply  [h] Help\n"), std::string::npos) << text;
  EXPECT_EQ(form.Prompt(),
            "Choose 1-5, 6 to type a value, d Defaults, o OK, c Cancel, a Apply, h Help: ");
}

TEST(DialogForm, NumbersPickAMethodOrAskForTheValue) {
  const DialogForm form("t", OptionsControls(0, "0", true), DialogKind::Modal);
  for (int m = 0; m < 5; ++m) {
    const FormAction action = form.Parse(std::to_string(m + 1));
    EXPECT_EQ(action.kind, Kind::Click) << m;
    EXPECT_EQ(action.controlId, 1200 + m);
  }
  EXPECT_EQ(form.Parse(" 3 ").controlId, 1202);  // blanks around the choice are fine
  const FormAction ask = form.Parse("6");
  EXPECT_EQ(ask.kind, Kind::AskText);
  EXPECT_EQ(ask.controlId, 1205);
  const FormAction set = form.Parse("6   -40000.5 ");
  EXPECT_EQ(set.kind, Kind::SetText);
  EXPECT_EQ(set.controlId, 1205);
  EXPECT_EQ(set.text, "-40000.5");
}

TEST(DialogForm, LettersAndWholeLabelsPressButtons) {
  const DialogForm modal("t", OptionsControls(0, "0", true), DialogKind::Modal);
  EXPECT_EQ(modal.Parse("d").controlId, 1254);
  EXPECT_EQ(modal.Parse("D").controlId, 1254);
  EXPECT_EQ(modal.Parse("defaults").controlId, 1254);
  EXPECT_EQ(modal.Parse("o").kind, Kind::Click);
  EXPECT_EQ(modal.Parse("o").controlId, IDOK);
  EXPECT_EQ(modal.Parse("OK").controlId, IDOK);
  EXPECT_EQ(modal.Parse("c").controlId, IDCANCEL);
  EXPECT_EQ(modal.Parse("h").kind, Kind::Help);
  EXPECT_EQ(modal.Parse("help").kind, Kind::Help);

  const DialogForm sheet("t", OptionsControls(0, "0", false), DialogKind::PropertySheet);
  EXPECT_EQ(sheet.Parse("o").kind, Kind::SheetOk);
  EXPECT_EQ(sheet.Parse("a").kind, Kind::SheetApply);
  EXPECT_EQ(sheet.Parse("Apply").kind, Kind::SheetApply);
  EXPECT_EQ(sheet.Parse("c").kind, Kind::SheetCancel);
  EXPECT_EQ(sheet.Parse("h").kind, Kind::Help);
  EXPECT_EQ(sheet.Parse("d").controlId, 1254);
}

TEST(DialogForm, AnythingElseIsNoChoice) {
  const DialogForm modal("t", OptionsControls(0, "0", true), DialogKind::Modal);
  EXPECT_EQ(modal.Parse("").kind, Kind::Redraw);
  EXPECT_EQ(modal.Parse("   ").kind, Kind::Redraw);
  for (const char* wrong : {"0", "7", "12", "a", "x", "okay", "-1", "1.5"}) {
    const FormAction action = modal.Parse(wrong);
    EXPECT_EQ(action.kind, Kind::Unknown) << wrong;
    EXPECT_EQ(action.text, wrong);
  }
}

TEST(DialogForm, ButtonLettersAvoidTheWindowsOwnKeys) {
  // A page button whose mnemonic is taken by the sheet's Apply falls back on its label.
  const std::vector<ControlView> controls = {
      {7, "button", "&Apply to all", false, 0, 0, 40, 14},
      {8, "button", "&Help me", false, 50, 0, 40, 14},
  };
  const DialogForm form("t", controls, DialogKind::PropertySheet);
  EXPECT_EQ(form.Parse("p").controlId, 7);
  EXPECT_EQ(form.Parse("e").controlId, 8);
  EXPECT_EQ(form.Parse("a").kind, Kind::SheetApply);
  EXPECT_EQ(form.Parse("h").kind, Kind::Help);
}

TEST(DialogForm, ControlLabelsLoseTheirMnemonicMarks) {
  EXPECT_EQ(lattool::ControlLabel("&Fixed   "), "Fixed");
  EXPECT_EQ(lattool::ControlLabel("Type &max"), "Type max");
  EXPECT_EQ(lattool::ControlLabel("Salt && pepper"), "Salt & pepper");
  EXPECT_EQ(lattool::ControlLabel("trailing&"), "trailing&");
}

}  // namespace
}  // namespace lattest
