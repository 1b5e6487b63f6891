// Checks of the files named on the command line.
#include "FileArguments.h"

#include <filesystem>
#include <system_error>

#include "Commands.h"

namespace lattool {

void RefuseSameFile(const std::string& input, const std::string& output) {
  namespace fs = std::filesystem;
  std::error_code error;
  bool same = fs::equivalent(input, output, error) && !error;
  // A file that does not exist yet has no identity: compare the spelling then.
  const fs::path a = fs::absolute(input, error).lexically_normal();
  const fs::path b = error ? fs::path() : fs::absolute(output, error).lexically_normal();
  same = same || (!error && a == b);
  if (same) throw UsageError("IN and OUT name the same file ('" + output + "')");
}

}  // namespace lattool
