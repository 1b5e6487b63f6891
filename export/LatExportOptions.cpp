// The export options "BlankMethod" and "FixedBlankValue": read from the options string and
// the host's saved options, saved back, and chosen on the options page or dialog.
#include "export/LatExportDlg.h"
#include "export/LatExportFilter.h"
#include "hostaux/Options.h"
#include "hostfw/IoManager.h"

namespace {

constexpr const char* kBlankMethod = "BlankMethod";
constexpr const char* kFixedBlankValue = "FixedBlankValue";
constexpr const char* kDefaults = "Defaults";
constexpr const char* kForgetOptions = "ForgetOptions";
constexpr INT_PTR kDialogOk = 1;

}  // namespace

void LatExportFilter::SetOptions(const char* options) {
  const char* text = options != nullptr ? options : "";
  hostfw::IoManager& manager = GetManager();
  bool defaults = false;
  bool forget = false;
  manager.GetStringOption(text, kDefaults, defaults);
  manager.GetStringOption(text, kForgetOptions, forget);
  if (defaults) {
    blankMethod = BlankMethod::DataMin;
    fixedBlankValue = 0.0;
  } else {
    LoadSavedOptions(true);
  }
  int method = BlankMethodNumber(blankMethod);
  manager.GetStringOption(text, kBlankMethod, method);
  blankMethod = KnownBlankMethod(method);
  manager.GetStringOption(text, kFixedBlankValue, fixedBlankValue);
  SaveOptions(!forget);
}

std::string LatExportFilter::GetOptionsInStringForm() {
  return GetOptionsInStringFormWorker(",");
}

bool LatExportFilter::GetStringOption(const char* options, const char* key, std::string& value) {
  return hostaux::CommonGetStringOption(options, key, ',', value);
}

void LatExportFilter::LoadSavedOptions(bool flag) {
  int method = BlankMethodNumber(blankMethod);
  GetManager().GetOption(kBlankMethod, method, flag);
  blankMethod = KnownBlankMethod(method);
  GetManager().GetOption(kFixedBlankValue, fixedBlankValue, flag);
}

void LatExportFilter::SaveOptions(bool persist) {
  GetManager().SetOption(kBlankMethod, BlankMethodNumber(blankMethod), persist);
  GetManager().SetOption(kFixedBlankValue, fixedBlankValue, persist);
}

void LatExportFilter::TakePageValues(const LatExportDlg& source, bool persist) {
  blankMethod = source.blankMethod;
  fixedBlankValue = source.fixedValue;
  SaveOptions(persist);
}

// The page the host shows before an export; the filter owns it until the next lattice
// header takes its values (or a later call replaces it).
void LatExportFilter::GetPropertyPages(std::vector<hostfw::IoPropertyPage*>& pages,
                                       const char* name) {
  LoadSavedOptions(true);
  auto made = std::make_unique<LatExportDlg>();
  made->filter = this;
  made->fileName = name != nullptr ? name : "";
  made->blankMethod = blankMethod;
  made->fixedValue = fixedBlankValue;
  PROPSHEETPAGEA record{};
  record.dwSize = static_cast<DWORD>(sizeof(PROPSHEETPAGEA));
  record.dwFlags = PSP_HASHELP;
  record.hInstance = static_cast<HINSTANCE>(GetManager().resourceInstance);
  record.pszTemplate = MAKEINTRESOURCEA(IDD_LAT_EXPORT_PAGE);
  record.pfnDlgProc = hostfw::IoPropPageDlgProc;
  record.lParam = reinterpret_cast<LPARAM>(static_cast<hostfw::IoPropertyPage*>(made.get()));
  made->SetPropSheetPage(record);
  page = std::move(made);
  pages.push_back(page.get());
}

// The modal form of the options page, shown when a lattice with blanks starts an
// interactive export without a page; false when the user cancelled it.
bool LatExportFilter::ShowOptionsDialog() {
  LatExportDlg dialog;
  dialog.blankMethod = blankMethod;
  dialog.fixedValue = fixedBlankValue;
  dialog.dataMin = dataMin;
  dialog.dataMax = dataMax;
  dialog.dataType = dataType;
  dialog.fileName = fileName;
  dialog.filter = this;
  const INT_PTR result = dialog.RunModal(static_cast<HINSTANCE>(GetManager().resourceInstance),
                                         static_cast<HWND>(GetManager().parentWindow));
  if (result != kDialogOk) return false;
  blankMethod = dialog.blankMethod;
  fixedBlankValue = dialog.fixedValue;
  SaveOptions(true);
  return true;
}
