// Drives the client library's exporter with lattool's options file, options page and
// reports, and turns how the export went into lattool's exit code.
#include "ExportSession.h"

#include <cstdio>
#include <vector>

#include <windows.h>

#include <prsht.h>

#include "InterruptGuard.h"
#include "TerminalDialogUser.h"
#include "hostaux/Options.h"
#include "hostfw/IoPropertyPage.h"
#include "hostfw/Status.h"

namespace lattool {
namespace {

// Asks the filter for its pages, tells each page the lattice's data range and type, and
// shows them in a property sheet: 1 accepted (OK or Apply), 0 cancelled, -1 when it could
// not be shown. A filter without pages gives 1 at once.
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

}  // namespace

ExportSession::ExportSession(const Module& module, ExportRequest request,
                             std::optional<SavedOptionsFile> savedOptions,
                             hostfw::IoProgressSink& progress, const TerminalDialogUser* dialogs)
    : request_(std::move(request)),
      savedOptions_(std::move(savedOptions)),
      dialogs_(dialogs),
      exporter_(module, "lattool", &progress, &warnings_) {
  LoadOptions();
}

bool ExportSession::Begin(const LatticeTraits& traits) {
  if (!exporter_.SetOptions(request_.options)) return false;
  WarnUnknownOptions();
  try {
    if (request_.page && !ShowPages(traits)) return false;
  } catch (...) {
    exporter_.Fail(ErrorReport::OfCurrentException("lattool"));
    return false;
  }
  return exporter_.Begin(request_.output, request_.interactive);
}

// The export goes on only when the sheet was accepted and not closed with Cancel (a
// sheet reports Apply followed by Cancel as accepted).
bool ExportSession::ShowPages(const LatticeTraits& traits) {
  const INT_PTR result =
      ShowOptionPages(exporter_.Filter(), exporter_.Manager(), request_.output, traits);
  if (result < 0) {
    exporter_.Fail(
        ErrorReport{hostbase::kNoErrorCode, "lattool", {}, "cannot show the options page"});
    return false;
  }
  if (result == 0 || (dialogs_ != nullptr && dialogs_->SheetCancelled())) {
    exporter_.Cancel();
    return false;
  }
  return true;
}

bool ExportSession::Send(hostfw::TrBase& object) {
  return exporter_.Send(object);
}

int ExportSession::End() {
  DropIfTerminating();
  const latclient::ExportOutcome& outcome = exporter_.End();
  SaveOptions();
  if (outcome.error) {
    PrintError(outcome.error->message);
    ExplainSavedFixedValue(*outcome.error);
    return kExitError;
  }
  if (outcome.cancelled) return kExitStopped;
  return outcome.noLattice ? kExitNoLattice : kExitSuccess;
}

void ExportSession::Discard() {
  DropIfTerminating();
  exporter_.Discard();
}

// A fixed blank value the type cannot hold fails every export with blanks once it is
// saved; the user neither typed it this time nor can tell where it comes from.
void ExportSession::ExplainSavedFixedValue(const ErrorReport& error) const {
  constexpr const char* kKey = "FixedBlankValue";
  if (error.code != static_cast<int>(hostfw::ErrCode::DataTypeNotSupported) || request_.page ||
      !savedOptions_ || !loadedOptions_) {
    return;
  }
  std::string given;
  if (hostaux::CommonGetStringOption(request_.options.c_str(), kKey, ',', given)) return;
  std::string saved;
  for (std::size_t at = 0; at < loadedOptions_->size();) {
    const std::size_t end = loadedOptions_->find('\n', at);
    const std::string line = loadedOptions_->substr(at, end - at);
    if (line.starts_with(std::string(kKey) + "=")) saved = line;
    at = end == std::string::npos ? loadedOptions_->size() : end + 1;
  }
  if (saved.empty()) return;
  PrintError("the fixed blank value is the saved option " + saved + " in '" +
             savedOptions_->Path().string() + "': change or remove the key " + kKey +
             " there, or give --options BlankMethod=N or " + kKey + "=V");
}

// The filter ignores keys it does not know; a misspelt one would pass unnoticed. A filter
// that read no key through the manager may read the string its own way: nothing to judge.
void ExportSession::WarnUnknownOptions() {
  const hostfw::IoManager& manager = exporter_.Manager();
  const std::vector<std::string> unknown = manager.OptionKeysNotRead(request_.options.c_str());
  if (unknown.empty() || manager.OptionKeysRead().empty()) return;
  std::string known;
  for (const std::string& key : manager.OptionKeysRead()) {
    known += (known.empty() ? "" : ", ") + key;
  }
  for (const std::string& key : unknown) {
    warnings_.Warning("--options: the export filter does not know the key '" + key +
                      "', which is ignored (it knows " + known + ")");
  }
}

// lattool was told to stop: the export goes without ending, so its output's temporary file
// is removed even when the lattice is complete, and OUT stays as it was.
void ExportSession::DropIfTerminating() {
  if (InterruptGuard::Terminating()) exporter_.Abandon();
}

void ExportSession::LoadOptions() {
  if (!savedOptions_) return;
  try {
    exporter_.Manager().LoadSavedOptions(savedOptions_->Load());
    loadedOptions_ = exporter_.Manager().SavedOptionsText();
  } catch (const SavedOptionsError& e) {
    warnings_.Warning(std::string("saved options not used: ") + e.what());
  }
}

// Writes the store back when it changed (and was read in the first place).
void ExportSession::SaveOptions() {
  if (!savedOptions_ || !loadedOptions_) return;
  const std::string text = exporter_.Manager().SavedOptionsText();
  if (text == *loadedOptions_) return;
  try {
    savedOptions_->Save(text);
    loadedOptions_ = text;
  } catch (const SavedOptionsError& e) {
    warnings_.Warning(std::string("options not saved: ") + e.what());
  }
}

}  // namespace lattool
