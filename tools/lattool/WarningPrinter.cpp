// Warnings go to stderr as "lattool: warning: <text>"; a help request names its topic there,
// as a terminal tool has no help viewer.
#include "WarningPrinter.h"

#include <cstdio>

namespace lattool {

void WarningPrinter::Warning(const std::string& text) {
  std::fprintf(stderr, "lattool: warning: %s\n", text.c_str());
}

void WarningPrinter::ShowHelp(const std::string& topic) {
  std::fprintf(stderr, "lattool: help: %s\n", topic.c_str());
}

}  // namespace lattool
