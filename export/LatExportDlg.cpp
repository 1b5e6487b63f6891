// The export options page and its modal form: shows the data range and the range of the
// output type, lets the user pick how blanked nodes are written and hands the choice to
// the filter on OK or Apply.
#include "export/LatExportDlg.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include <prsht.h>

#include "export/LatExportFilter.h"
#include "hostbase/PrimType.h"
#include "hostbase/Text.h"

namespace {

const hostbase::CTypeInfo kLatExportDlgType("LatExportDlg", nullptr,
                                            hostfw::IoPropertyPage::GetClassTypeId());

constexpr const char* kHelpTopic = "Lat-Export.htm";
constexpr int kFixedValueChars = 79;

std::string Bracketed(const hostbase::CPrimData& value) {
  std::string text;
  value.GetDataAsString(text);
  return "[" + text + "]";
}

}  // namespace

LatExportDlg::LatExportDlg() = default;

LatExportDlg::~LatExportDlg() = default;

const hostbase::CTypeInfo* LatExportDlg::GetTypeId() const {
  return &kLatExportDlgType;
}

const hostbase::CTypeInfo* LatExportDlg::GetClassTypeId() noexcept {
  return &kLatExportDlgType;
}

INT_PTR LatExportDlg::RunModal(HINSTANCE instance, HWND owner) {
  return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_LAT_EXPORT_MODAL), owner,
                         &LatExportDlg::StaticDialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK LatExportDlg::StaticDialogProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrA(window, DWLP_USER, lParam);
  auto* page = reinterpret_cast<LatExportDlg*>(GetWindowLongPtrA(window, DWLP_USER));
  return page != nullptr ? page->DialogProc(window, message, wParam, lParam) : 0;
}

INT_PTR LatExportDlg::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(window);
      return 1;
    case WM_COMMAND:
      return OnCommand(window, wParam);
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) != SC_CONTEXTHELP) return 0;
      ShowHelp();
      return 1;
    case WM_NOTIFY:
      return OnNotify(window, lParam);
    default:
      return 0;
  }
}

void LatExportDlg::OnInitDialog(HWND window) {
  hostfw::AppendFilenameToWindowTitle(window, fileName.c_str());
  SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_CONTEXTHELP);
  ReadHostProperties();
  ShowRanges(window);
  UpdateControls(window);
}

void LatExportDlg::ShowRanges(HWND window) {
  std::string text;
  hostbase::FormatString(text, "[%.17lG]", dataMin);
  SetDlgItemTextA(window, IDC_SHOW_DATA_MIN, text.c_str());
  hostbase::FormatString(text, "[%.17lG]", dataMax);
  SetDlgItemTextA(window, IDC_SHOW_DATA_MAX, text.c_str());
  SetDlgItemTextA(window, IDC_SHOW_TYPE_MIN,
                  Bracketed(hostbase::CPrimData::PrimMin(dataType)).c_str());
  SetDlgItemTextA(window, IDC_SHOW_TYPE_MAX,
                  Bracketed(hostbase::CPrimData::PrimMax(dataType)).c_str());
}

INT_PTR LatExportDlg::OnCommand(HWND window, WPARAM wParam) {
  switch (LOWORD(wParam)) {
    case IDOK:
      Accept(window);
      EndDialog(window, 1);
      return 1;
    case IDCANCEL:
      EndDialog(window, 0);
      return 1;
    case IDC_DEFAULTS:
      blankMethod = BlankMethod::DataMin;
      fixedValue = 0.0;
      UpdateControls(window);
      return 1;
    default:
      return 0;
  }
}

INT_PTR LatExportDlg::OnNotify(HWND window, LPARAM lParam) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header == nullptr) return 1;
  if (header->code == PSN_HELP) {
    ShowHelp();
  } else if (header->code == PSN_APPLY) {
    Accept(window);
  }
  return 1;
}

void LatExportDlg::Accept(HWND window) {
  ReadControls(window);
  if (filter != nullptr) filter->TakePageValues(*this, true);
}

void LatExportDlg::ShowHelp() const {
  if (filter != nullptr) filter->ShowHelp(kHelpTopic, nullptr);
}

void LatExportDlg::ReadHostProperties() {
  GetProperty(GetLatticeExportPropName_DataMin(), dataMin);
  GetProperty(GetLatticeExportPropName_DataMax(), dataMax);
  int type = dataType;
  if (!GetProperty(GetLatticeExportPropName_DataType(), type)) return;
  dataType = type;
  // Show the range of the type that will be written.
  if (filter != nullptr) filter->PromoteDataType(dataType);
}

bool LatExportDlg::ReadControls(HWND window) {
  for (std::int32_t m = 0; m < kBlankMethodCount; ++m) {
    if (IsDlgButtonChecked(window, IDC_BLANK_DATA_MIN + m) == BST_CHECKED)
      blankMethod = static_cast<BlankMethod>(m);
  }
  char text[kFixedValueChars + 1] = {};
  GetDlgItemTextA(window, IDC_FIXED_VALUE, text, static_cast<int>(sizeof text));
  double value = std::atof(text);
  value = std::min(value, hostbase::CPrimData::widest_REAL_MAX);
  value = std::max(value, hostbase::CPrimData::widest_REAL_MIN);
  fixedValue = std::isnan(value) ? hostbase::CPrimData::widest_REAL_MAX : value;
  return true;
}

void LatExportDlg::UpdateControls(HWND window) {
  std::string text;
  hostbase::FormatString(text, "%.17lG", fixedValue);
  SetDlgItemTextA(window, IDC_FIXED_VALUE, text.c_str());
  CheckRadioButton(window, IDC_BLANK_DATA_MIN, IDC_BLANK_FIXED,
                   IDC_BLANK_DATA_MIN + BlankMethodNumber(blankMethod));
}
