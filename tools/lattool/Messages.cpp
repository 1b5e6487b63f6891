// Errors and warnings on stderr; a help request names its topic there, as a terminal tool
// has no help viewer.
#include "Messages.h"

#include <cstdio>

namespace lattool {

void PrintError(const std::string& message) {
  std::fprintf(stderr, "lattool: error: %s\n", message.c_str());
}

void ReportImportError(const ImportOutcome& outcome) {
  if (outcome.error) PrintError(outcome.error->message);
}

void WarningPrinter::Warning(const std::string& text) {
  std::fprintf(stderr, "lattool: warning: %s\n", text.c_str());
}

void WarningPrinter::ShowHelp(const std::string& topic) {
  std::fprintf(stderr, "lattool: help: %s\n", topic.c_str());
}

}  // namespace lattool
