// The export options page and dialog: how blanked nodes are written (BlankMethod,
// FixedBlankValue). Dialog resource 106 is the property sheet page, 105 the modal dialog.
#pragma once

#include <cstdint>
#include <string>

#include <windows.h>

#include "export/LatExportFilter.h"
#include "hostfw/IoPropertyPage.h"
#include "resources/LatResource.h"

class LatExportDlg final : public hostfw::IoPropertyPage {
 public:
  LatExportDlg();
  ~LatExportDlg() override;

  const hostbase::CTypeInfo* GetTypeId() const override;
  static const hostbase::CTypeInfo* GetClassTypeId() noexcept;
  INT_PTR DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

  // Runs the modal form (resource 105); returns the dialog's result (1 for OK).
  INT_PTR RunModal(HINSTANCE instance, HWND owner);
  static INT_PTR CALLBACK StaticDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  BlankMethod blankMethod = BlankMethod::DataMin;
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
  void OnInitDialog(HWND window);
  INT_PTR OnCommand(HWND window, WPARAM wParam);
  INT_PTR OnNotify(HWND window, LPARAM lParam);
  // Takes the controls' values and hands them to the filter (OK, Apply).
  void Accept(HWND window);
  void ShowHelp() const;
};
