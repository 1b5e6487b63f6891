// Shows the plug-in's warnings (and help requests) on stderr.
#pragma once

#include <string>

#include "hostfw/IoManager.h"

namespace lattool {

class WarningPrinter : public hostfw::IoMessageSink {
 public:
  void Warning(const std::string& text) override;
  void ShowHelp(const std::string& topic) override;
};

}  // namespace lattool
