// Inside hostfw: how a filter's help topic is shown.
#pragma once

#include <string>

namespace hostfw {
class IoManager;
}

namespace hostfw::detail {

// Shows `topic`. On Windows the topic's file, in the "help" folder beside the host
// program, opens in the program the system associates with it, and a topic without a
// file (or one that cannot be opened) is reported as a warning; elsewhere the host's
// message sink shows the topic.
void ShowHelpTopic(const IoManager& manager, const std::string& topic);

}  // namespace hostfw::detail
