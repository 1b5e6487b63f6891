// What lattool says on stderr besides its progress bar: errors as "lattool: error: ...",
// the plug-in's warnings as "lattool: warning: ..." and its help requests. The one place
// these lines are printed.
#pragma once

#include <string>

#include "Client.h"
#include "hostfw/IoManager.h"

namespace lattool {

// "lattool: error: <message>".
void PrintError(const std::string& message);
// PrintError with the import's error, when it raised one.
void ReportImportError(const ImportOutcome& outcome);

class WarningPrinter : public hostfw::IoMessageSink {
 public:
  void Warning(const std::string& text) override;
  void ShowHelp(const std::string& topic) override;
};

}  // namespace lattool
