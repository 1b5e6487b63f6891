// GetPropertyPages, the pages' DataMin/DataMax/DataType properties, PropertySheetA.
#include "OptionPages.h"

#include <vector>

#include <prsht.h>

#include "hostfw/IoPropertyPage.h"

namespace lattool {

INT_PTR ShowOptionPages(hostfw::IoFilter& filter, const hostfw::IoManager& manager,
                        const std::string& fileName, const LatticeTraits& traits) {
  using hostfw::IoPropertyPage;
  std::vector<IoPropertyPage*> pages;  // owned by the filter
  filter.GetPropertyPages(pages, fileName.c_str());
  if (pages.empty()) return 1;
  std::vector<PROPSHEETPAGEA> records;
  for (IoPropertyPage* page : pages) {
    page->SetProperty(IoPropertyPage::GetLatticeExportPropName_DataMin(), traits.dataMin);
    page->SetProperty(IoPropertyPage::GetLatticeExportPropName_DataMax(), traits.dataMax);
    page->SetProperty(IoPropertyPage::GetLatticeExportPropName_DataType(), traits.dataType);
    records.push_back(page->GetPropSheetPage());
  }
  const std::string caption = manager.formatName + " export";
  PROPSHEETHEADERA header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_HASHELP;
  header.hwndParent = static_cast<HWND>(manager.parentWindow);
  header.hInstance = static_cast<HINSTANCE>(manager.resourceInstance);
  header.pszCaption = caption.c_str();
  header.nPages = static_cast<UINT>(records.size());
  header.ppsp = records.data();
  return PropertySheetA(&header);
}

}  // namespace lattool
