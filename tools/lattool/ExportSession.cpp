// Drives the client library's exporter with lattool's options file, options page and
// reports, and turns how the export went into lattool's exit code.
#include "ExportSession.h"

#include <cstdio>

#include "TerminalDialogUser.h"

namespace lattool {

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
  const latclient::ExportOutcome& outcome = exporter_.End();
  SaveOptions();
  if (outcome.error) {
    std::fprintf(stderr, "lattool: error: %s\n", outcome.error->message.c_str());
    return kExitError;
  }
  if (outcome.cancelled) return kExitStopped;
  return outcome.noLattice ? kExitNoLattice : kExitSuccess;
}

void ExportSession::Discard() {
  exporter_.Discard();
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
