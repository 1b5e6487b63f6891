// The export options page and dialog: how blanked nodes are written (BlankMethod,
// FixedBlankValue). Dialog resource 106 is the property sheet page, 105 the modal dialog.
#pragma once

#include <cstdint>
#include <string>

#include <windows.h>

#include "hostfw/IoPropertyPage.h"

class LatExportFilter;

// Dialog resources and control ids of the options page and dialog.
enum : int {
  IDD_LAT_EXPORT_MODAL = 105,
  IDD_LAT_EXPORT_PAGE = 106,
  IDC_BLANK_DATA_MIN = 1200,
  IDC_BLANK_DATA_MAX = 1201,
  IDC_BLANK_TYPE_MIN = 1202,
  IDC_BLANK_TYPE_MAX = 1203,
  IDC_BLANK_FIXED = 1204,
  IDC_FIXED_VALUE = 1205,
  IDC_DEFAULTS = 1254,
  IDC_SHOW_DATA_MIN = 1250,
  IDC_SHOW_DATA_MAX = 1251,
  IDC_SHOW_TYPE_MIN = 1252,
  IDC_SHOW_TYPE_MAX = 1253,
};

class LatExportDlg final : public hostfw::IoPropertyPage {
 public:
  LatExportDlg();
  ~LatExportDlg() override;

  const hostbase::CTypeInfo* GetTypeId() const override;
  static const hostbase::CTypeInfo* GetClassTypeId() noexcept;
  INT_PTR DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

  // Runs the modal form (resource 105); returns the dialog's result (1 for OK).
  INT_PTR RunModal(HINSTANCE instance, HWND owner);
  static INT_PTR CALLBACK StaticDialogProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam);

  std::int32_t blankMethod = 0;
  double fixedValue = 0.0;
  LatExportFilter* filter = nullptr;
  std::string fileName;
  double dataMin = 0.0, dataMax = 0.0;
  std::int32_t dataType = 8;

 private:
  void ReadHostProperties();
  bool ReadControls(HWND window);
  void UpdateControls(HWND window);
  void ShowRanges(HWND window);
  INT_PTR OnCommand(HWND window, WPARAM wParam);
  INT_PTR OnNotify(HWND window, LPARAM lParam);
};
