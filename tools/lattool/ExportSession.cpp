// Drives the export filter and turns its statuses and errors into lattool's exit code.
#include "ExportSession.h"

#include <cstdio>
#include <exception>

#include "TerminalDialogUser.h"

namespace lattool {

namespace {

// The factory every LAT plug-in module exports as "ExportLAT".
using ExportFactory = hostfw::IoExportFilter* (*)(hostfw::IoManager&);

std::unique_ptr<hostfw::IoExportFilter> MakeFilter(const PluginModule& module,
                                                   hostfw::IoManager& manager) {
  auto factory = reinterpret_cast<ExportFactory>(module.Symbol("ExportLAT"));
  std::unique_ptr<hostfw::IoExportFilter> filter(factory(manager));
  if (!filter) throw SetupError("ExportLAT of '" + module.Path() + "' returned no filter");
  return filter;
}

}  // namespace

ExportSession::ExportSession(const PluginModule& module, ExportRequest request,
                             std::optional<SavedOptionsFile> savedOptions,
                             hostfw::IoProgressSink& progress, const TerminalDialogUser* dialogs)
    : request_(std::move(request)), savedOptions_(std::move(savedOptions)), dialogs_(dialogs) {
  manager_.SetMessageSink(&warnings_);
  manager_.SetProgressSink(&progress);
  // The module holds the dialog templates the filter's dialogs are made from.
  manager_.resourceInstance = module.Handle();
  LoadOptions();
  filter_ = MakeFilter(module, manager_);
}

ExportSession::~ExportSession() {
  filter_.reset();  // may still report to the sinks
  manager_.SetProgressSink(nullptr);
  manager_.SetMessageSink(nullptr);
}

template <class Call>
bool ExportSession::Guarded(Call&& call) {
  try {
    return call();
  } catch (const hostbase::CError& e) {
    error_ = ErrorReport{e.Code(), e.Module(), e.Args(), e.Message()};
  } catch (const std::exception& e) {
    error_ = ErrorReport{hostbase::kNoErrorCode, "lattool", {}, e.what()};
  }
  return false;
}

bool ExportSession::Accept(hostfw::ExportStatus status, const char* operation) {
  switch (status) {
    case hostfw::ExportStatus_Accepted:
      return true;
    case hostfw::ExportStatus_Cancelled:
      cancelled_ = true;
      return false;
    default:
      error_ = ErrorReport{hostbase::kNoErrorCode,
                           "lattool",
                           {},
                           std::string("the export filter refused ") + operation + " (status " +
                               std::to_string(static_cast<int>(status)) + ")"};
      return false;
  }
}

bool ExportSession::Begin(const LatticeTraits& traits) {
  if (begun_ || error_ || cancelled_) return false;
  return Guarded([&] {
    filter_->SetOptions(request_.options.c_str());
    if (request_.page && !ShowPages(traits)) return false;
    begun_ = true;
    return Accept(filter_->BeginExportToFile(request_.output.c_str(), request_.interactive),
                  "the start of the export");
  });
}

// The export goes on only when the sheet was accepted and not closed with Cancel (a
// sheet reports Apply followed by Cancel as accepted).
bool ExportSession::ShowPages(const LatticeTraits& traits) {
  const INT_PTR result = ShowOptionPages(*filter_, manager_, request_.output, traits);
  if (result < 0) {
    error_ = ErrorReport{hostbase::kNoErrorCode, "lattool", {}, "cannot show the options page"};
    return false;
  }
  if (result == 0 || (dialogs_ != nullptr && dialogs_->SheetCancelled())) {
    cancelled_ = true;
    return false;
  }
  return true;
}

bool ExportSession::Send(hostfw::TrBase& object) {
  if (!begun_ || error_ || cancelled_) return false;
  return Guarded([&] { return Accept(filter_->ExportObject(object), "an object"); });
}

int ExportSession::End() {
  if (begun_) {
    begun_ = false;
    Guarded([&] {
      noLattice_ = filter_->EndExportToFile() == hostfw::ExportStatus_NoLattice;
      return true;
    });
  }
  SaveOptions();
  if (error_) {
    std::fprintf(stderr, "lattool: error: %s\n", error_->message.c_str());
    return kExitError;
  }
  if (cancelled_) return kExitStopped;
  return noLattice_ ? kExitNoLattice : kExitSuccess;
}

void ExportSession::Discard() {
  if (!begun_) return;
  begun_ = false;
  Guarded([&] {
    filter_->EndExportToFile();
    return true;
  });
}

void ExportSession::LoadOptions() {
  if (!savedOptions_) return;
  try {
    manager_.LoadSavedOptions(savedOptions_->Load());
    loadedOptions_ = manager_.SavedOptionsText();
  } catch (const SavedOptionsError& e) {
    warnings_.Warning(std::string("saved options not used: ") + e.what());
  }
}

// Writes the store back when it changed (and was read in the first place).
void ExportSession::SaveOptions() {
  if (!savedOptions_ || !loadedOptions_) return;
  const std::string text = manager_.SavedOptionsText();
  if (text == *loadedOptions_) return;
  try {
    savedOptions_->Save(text);
    loadedOptions_ = text;
  } catch (const SavedOptionsError& e) {
    warnings_.Warning(std::string("options not saved: ") + e.what());
  }
}

}  // namespace lattool
