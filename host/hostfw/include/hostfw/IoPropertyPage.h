// Option pages: a filter's page that the host shows in its property sheet before an
// export. The host fills the page's properties (the data range and type of what will be
// exported); the page's messages reach its DialogProc through IoPropPageDlgProc.
#pragma once

#include <map>
#include <string>

#include <windows.h>
#include <prsht.h>

#include "hostbase/TypeInfo.h"
#include "hostfw/Export.h"

namespace hostfw {

class HOSTFW_API IoPropertyPage : public hostbase::CTypedObject {
 public:
  IoPropertyPage();
  ~IoPropertyPage() override;
  IoPropertyPage(const IoPropertyPage&) = delete;
  IoPropertyPage& operator=(const IoPropertyPage&) = delete;

  const hostbase::CTypeInfo* GetTypeId() const override;
  static const hostbase::CTypeInfo* GetClassTypeId() noexcept;

  // The page's message handler: nonzero when it handled the message.
  virtual INT_PTR DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;

  // The record the host's property sheet builds the page from (lParam is the page).
  void SetPropSheetPage(const PROPSHEETPAGEA& record) noexcept { sheetPage_ = record; }
  const PROPSHEETPAGEA& GetPropSheetPage() const noexcept { return sheetPage_; }

  // Properties the host sets before showing the page; Get leaves `value` untouched and
  // returns false when the property was not set.
  bool GetProperty(const char* name, int& value) const;
  bool GetProperty(const char* name, double& value) const;
  void SetProperty(const char* name, int value);
  void SetProperty(const char* name, double value);

  // Names of the properties of a lattice export: the data minimum and maximum (doubles)
  // and the CPrimType code of the data (int).
  static const char* GetLatticeExportPropName_DataMin() noexcept;
  static const char* GetLatticeExportPropName_DataMax() noexcept;
  static const char* GetLatticeExportPropName_DataType() noexcept;

 private:
  PROPSHEETPAGEA sheetPage_{};
  std::map<std::string, int> intProperties_;
  std::map<std::string, double> realProperties_;
};

// Dialog procedure of every filter page: on WM_INITDIALOG takes the page from the
// PROPSHEETPAGEA record (its lParam) and keeps it in the window's DWLP_USER slot; routes
// every message to the page's DialogProc once the page is known (0 before).
HOSTFW_API INT_PTR CALLBACK IoPropPageDlgProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam);

// Appends " - <file name>" to the window's caption (nothing for a null or empty path).
HOSTFW_API void AppendFilenameToWindowTitle(HWND window, const char* path);

}  // namespace hostfw
