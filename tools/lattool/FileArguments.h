// The files named on the command line: checks that hold before anything is read or written.
#pragma once

#include <string>

namespace lattool {

// Raises UsageError when IN and OUT name the same file, however spelt (also through a
// link): writing OUT would destroy IN before it is read.
void RefuseSameFile(const std::string& input, const std::string& output);

}  // namespace lattool
