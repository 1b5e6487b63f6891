// The user32 stand-in's modal dialogs: creation from the templates, the messages a dialog
// procedure receives, radio groups, texts, window long slots and the dialog's result.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include <windows.h>

#include "ScriptedUser.h"
#include "resources/LatResource.h"

namespace {

using dialogtest::CheckedRadios;
using dialogtest::ScriptedUser;
using dialogtest::TextOf;

// A dialog procedure's record of what it received, and how it answers.
struct Recorder {
  struct Message {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };
  std::vector<Message> messages;
  INT_PTR cancelResult = 5;  // EndDialog value on IDCANCEL; -1: do not end
  HWND dialog = nullptr;

  std::vector<UINT> Codes() const {
    std::vector<UINT> codes;
    for (const auto& m : messages) codes.push_back(m.message);
    return codes;
  }
};

INT_PTR CALLBACK RecordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lParam);
  auto* recorder = reinterpret_cast<Recorder*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (recorder == nullptr) return 0;
  recorder->dialog = dialog;
  recorder->messages.push_back({message, wParam, lParam});
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL && recorder->cancelResult != -1) {
    EndDialog(dialog, recorder->cancelResult);
    return 1;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
    EndDialog(dialog, 77);
    return 1;
  }
  return message == WM_INITDIALOG ? 1 : 0;
}

INT_PTR RunModal(Recorder& recorder, int templateId = IDD_LAT_EXPORT_MODAL) {
  return DialogBoxParamA(nullptr, MAKEINTRESOURCEA(templateId), nullptr, &RecordingProc,
                         reinterpret_cast<LPARAM>(&recorder));
}

TEST(StandInModal, FailsWithoutUserOrTemplate) {
  Recorder recorder;
  EXPECT_EQ(RunModal(recorder), -1);  // nobody to use it
  EXPECT_TRUE(recorder.messages.empty());
  ScriptedUser user;
  EXPECT_EQ(RunModal(recorder, 104), -1);
  EXPECT_EQ(DialogBoxParamA(nullptr, "LATEXPORT", nullptr, &RecordingProc, 0), -1);
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_TRUE(user.kinds.empty());
}

TEST(StandInModal, InitDialogCarriesTheParameterAndFocusesTheFirstTabStop) {
  Recorder recorder;
  ScriptedUser user([&recorder](HWND dialog, user32::DialogKind) {
    ASSERT_EQ(recorder.messages.size(), 1u);
    const auto& init = recorder.messages[0];
    EXPECT_EQ(init.message, static_cast<UINT>(WM_INITDIALOG));
    EXPECT_EQ(init.lParam, reinterpret_cast<LPARAM>(&recorder));
    EXPECT_EQ(GetDlgCtrlID(reinterpret_cast<HWND>(init.wParam)), IDC_BLANK_DATA_MIN);
    user32::ClickButton(dialog, IDOK);
    ASSERT_EQ(recorder.messages.size(), 2u);
    EXPECT_EQ(recorder.messages[1].message, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(recorder.messages[1].wParam, MAKEWPARAM(IDOK, BN_CLICKED));
    EXPECT_EQ(reinterpret_cast<HWND>(recorder.messages[1].lParam), GetDlgItem(dialog, IDOK));
  });
  EXPECT_EQ(RunModal(recorder), 77);
  ASSERT_EQ(user.kinds.size(), 1u);
  EXPECT_EQ(user.kinds[0], user32::DialogKind::Modal);
  EXPECT_EQ(user.titles[0], "LAT Export Options");
  EXPECT_EQ(user.controls[0].size(), 15u);
  EXPECT_EQ(dialogtest::Control(user.controls[0], IDOK).kind, "defbutton");
  EXPECT_EQ(dialogtest::Control(user.controls[0], IDC_FIXED_VALUE).kind, "edit");
  EXPECT_EQ(user.controls[0][1].kind, "groupbox");
}

TEST(StandInModal, LeavingTheDialogOpenCancelsIt) {
  ScriptedUser user;
  Recorder recorder;
  EXPECT_EQ(RunModal(recorder), 5);  // the procedure's own Cancel result
  EXPECT_EQ(recorder.Codes(), (std::vector<UINT>{WM_INITDIALOG, WM_CLOSE, WM_COMMAND}));
  EXPECT_EQ(recorder.messages[2].wParam, MAKEWPARAM(IDCANCEL, BN_CLICKED));
  // A procedure that ignores Cancel still gets its dialog closed, as IDCANCEL.
  Recorder stubborn;
  stubborn.cancelResult = -1;
  EXPECT_EQ(RunModal(stubborn), IDCANCEL);
}

TEST(StandInModal, EndDialogEndsTheRunWithItsResultAndClicksAfterwardsAreIgnored) {
  Recorder recorder;
  ScriptedUser user([&recorder](HWND dialog, user32::DialogKind) {
    EXPECT_FALSE(user32::IsDialogEnded(dialog));
    EXPECT_EQ(EndDialog(GetDlgItem(dialog, IDOK), 3), FALSE);  // a control is no dialog
    EXPECT_EQ(EndDialog(dialog, 42), TRUE);
    EXPECT_TRUE(user32::IsDialogEnded(dialog));
    const auto before = recorder.messages.size();
    user32::ClickButton(dialog, IDOK);
    EXPECT_EQ(recorder.messages.size(), before);
  });
  EXPECT_EQ(RunModal(recorder), 42);
  // The windows are gone with the dialog.
  EXPECT_EQ(GetWindowTextLengthA(recorder.dialog), 0);
  EXPECT_EQ(GetWindowLongPtrA(recorder.dialog, DWLP_USER), 0);
  EXPECT_TRUE(user32::IsDialogEnded(recorder.dialog));
}

TEST(StandInModal, AnExceptionFromTheUserLeavesAndTakesTheWindowsAlong) {
  Recorder recorder;
  ScriptedUser user([](HWND, user32::DialogKind) { throw std::runtime_error("gone"); });
  EXPECT_THROW(RunModal(recorder), std::runtime_error);
  ASSERT_NE(recorder.dialog, nullptr);
  EXPECT_EQ(GetDlgItem(recorder.dialog, IDOK), nullptr);
}

TEST(StandInRadios, ClickingChecksWithinTheGroupOnly) {
  Recorder recorder;
  ScriptedUser user([&recorder](HWND dialog, user32::DialogKind) {
    EXPECT_TRUE(CheckedRadios(dialog).empty());
    user32::ClickButton(dialog, IDC_BLANK_TYPE_MIN);
    EXPECT_EQ(CheckedRadios(dialog), (std::vector<int>{IDC_BLANK_TYPE_MIN}));
    EXPECT_EQ(recorder.messages.back().wParam, MAKEWPARAM(IDC_BLANK_TYPE_MIN, BN_CLICKED));
    SendMessageA(GetDlgItem(dialog, IDC_BLANK_FIXED), BM_CLICK, 0, 0);
    EXPECT_EQ(CheckedRadios(dialog), (std::vector<int>{IDC_BLANK_FIXED}));
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_BLANK_FIXED), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_BLANK_TYPE_MIN), static_cast<UINT>(BST_UNCHECKED));
    // Static texts and the group box are no buttons: nothing happens.
    const auto before = recorder.messages.size();
    user32::ClickButton(dialog, IDC_SHOW_DATA_MIN);
    user32::ClickButton(dialog, IDC_STATIC);
    user32::ClickButton(dialog, 4711);
    EXPECT_EQ(recorder.messages.size(), before);
  });
  RunModal(recorder);
}

TEST(StandInRadios, CheckRadioButtonSetsExactlyOneOfTheRange) {
  ScriptedUser user([](HWND dialog, user32::DialogKind) {
    EXPECT_EQ(CheckRadioButton(dialog, IDC_BLANK_DATA_MIN, IDC_BLANK_FIXED, IDC_BLANK_DATA_MAX),
              TRUE);
    EXPECT_EQ(CheckedRadios(dialog), (std::vector<int>{IDC_BLANK_DATA_MAX}));
    // Outside the range nothing changes; a check id outside it clears the range.
    CheckDlgButton(dialog, IDC_BLANK_FIXED, BST_CHECKED);
    CheckRadioButton(dialog, IDC_BLANK_DATA_MIN, IDC_BLANK_TYPE_MAX, 999);
    EXPECT_EQ(CheckedRadios(dialog), (std::vector<int>{IDC_BLANK_FIXED}));
    EXPECT_EQ(SendMessageA(GetDlgItem(dialog, IDC_BLANK_FIXED), BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageA(GetDlgItem(dialog, IDC_BLANK_FIXED), BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_TRUE(CheckedRadios(dialog).empty());
    EXPECT_EQ(CheckRadioButton(GetDlgItem(dialog, IDOK), 1, 2, 1), FALSE);
  });
  Recorder recorder;
  RunModal(recorder);
}

TEST(StandInTexts, EditTextsAreCutToTheCallersBuffer) {
  ScriptedUser user([](HWND dialog, user32::DialogKind) {
    EXPECT_EQ(SetDlgItemTextA(dialog, IDC_FIXED_VALUE, "123456789"), TRUE);
    char buffer[5] = {'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(GetDlgItemTextA(dialog, IDC_FIXED_VALUE, buffer, 5), 4u);
    EXPECT_STREQ(buffer, "1234");
    EXPECT_EQ(GetDlgItemTextA(dialog, IDC_FIXED_VALUE, buffer, 0), 0u);
    EXPECT_STREQ(buffer, "1234");  // no room: untouched
    EXPECT_EQ(GetDlgItemTextA(dialog, 4711, buffer, 5), 0u);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(SetDlgItemTextA(dialog, 4711, "x"), FALSE);
    SetDlgItemTextA(dialog, IDC_FIXED_VALUE, nullptr);
    EXPECT_EQ(TextOf(dialog, IDC_FIXED_VALUE), "");
    EXPECT_EQ(GetWindowTextLengthA(dialog), 18);
    EXPECT_EQ(SetWindowTextA(dialog, "New title"), TRUE);
    EXPECT_EQ(user32::GetDialogTitle(dialog), "New title");
    EXPECT_EQ(GetParent(GetDlgItem(dialog, IDC_FIXED_VALUE)), dialog);
  });
  Recorder recorder;
  RunModal(recorder);
}

TEST(StandInWindowLongs, DialogSlotsStylesAndUserData) {
  ScriptedUser user([](HWND dialog, user32::DialogKind) {
    // DWLP_USER holds the recorder; its low half through the 32-bit call.
    const LONG_PTR recorder = GetWindowLongPtrA(dialog, DWLP_USER);
    EXPECT_NE(recorder, 0);
    EXPECT_EQ(GetWindowLongA(dialog, DWLP_USER), static_cast<LONG>(recorder));
    EXPECT_EQ(SetWindowLongPtrA(dialog, DWLP_USER, 0x1234567890), recorder);
    EXPECT_EQ(GetWindowLongPtrA(dialog, DWLP_USER), 0x1234567890);
    SetWindowLongPtrA(dialog, DWLP_USER, recorder);
    // The dialog procedure is in its slot.
    EXPECT_EQ(GetWindowLongPtrA(dialog, DWLP_DLGPROC), reinterpret_cast<LONG_PTR>(&RecordingProc));
    // Styles.
    EXPECT_EQ(GetWindowLongA(dialog, GWL_EXSTYLE), 0);
    EXPECT_EQ(SetWindowLongA(dialog, GWL_EXSTYLE, WS_EX_CONTEXTHELP), 0);
    EXPECT_EQ(GetWindowLongA(dialog, GWL_EXSTYLE), WS_EX_CONTEXTHELP);
    const HWND edit = GetDlgItem(dialog, IDC_FIXED_VALUE);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(edit, GWL_STYLE)) & ES_AUTOHSCROLL,
              static_cast<DWORD>(ES_AUTOHSCROLL));
    EXPECT_EQ(GetWindowLongA(edit, GWLP_ID), IDC_FIXED_VALUE);
    EXPECT_EQ(SetWindowLongPtrA(edit, GWLP_USERDATA, 9), 0);
    EXPECT_EQ(GetWindowLongPtrA(edit, GWLP_USERDATA), 9);
    // Controls have no dialog slots; slots end where the dialog's bytes end.
    EXPECT_EQ(SetWindowLongPtrA(edit, DWLP_USER, 5), 0);
    EXPECT_EQ(GetWindowLongPtrA(edit, DWLP_USER), 0);
    EXPECT_EQ(SetWindowLongPtrA(dialog, DWLP_USER + 4, 5), 0);
    EXPECT_EQ(GetWindowLongPtrA(dialog, DWLP_USER + 4), 0);
    EXPECT_EQ(GetWindowLongPtrA(nullptr, GWL_STYLE), 0);
  });
  Recorder recorder;
  RunModal(recorder);
}

TEST(StandInMessages, HelpButtonOnlyWithContextHelpStyleAndResultsFromMsgResult) {
  Recorder recorder;
  ScriptedUser user([&recorder](HWND dialog, user32::DialogKind) {
    user32::RequestContextHelp(dialog);  // no help button yet
    EXPECT_EQ(recorder.Codes().back(), static_cast<UINT>(WM_INITDIALOG));
    SetWindowLongA(dialog, GWL_EXSTYLE, WS_EX_CONTEXTHELP);
    user32::RequestContextHelp(dialog);
    EXPECT_EQ(recorder.Codes().back(), static_cast<UINT>(WM_SYSCOMMAND));
    EXPECT_EQ(recorder.messages.back().wParam, static_cast<WPARAM>(SC_CONTEXTHELP));
    // An unhandled message answers 0; WM_SYSCOMMAND SC_CLOSE closes (Cancel).
    EXPECT_EQ(SendMessageA(dialog, WM_NOTIFY, 0, 0), 0);
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(user32::IsDialogEnded(dialog));
  });
  EXPECT_EQ(RunModal(recorder), 5);
  EXPECT_EQ(recorder.Codes().back(), static_cast<UINT>(WM_COMMAND));
}

}  // namespace
