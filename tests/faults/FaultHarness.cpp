// The fault tests' error capture and process facts.
#include "tests/faults/FaultHarness.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace lattest {

std::optional<hostbase::CError> CaughtError(const std::function<void()>& call) {
  try {
    call();
    ADD_FAILURE() << "the call returned instead of raising";
  } catch (const hostbase::CError& error) {
    return error;
  }
  return std::nullopt;
}

void ExpectError(const std::optional<hostbase::CError>& error, const char* module, int code,
                 const std::vector<hostbase::CErrorArg>& args) {
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->Module(), module) << error->Message();
  EXPECT_EQ(error->Code(), code) << error->Message();
  EXPECT_EQ(error->Args(), args) << error->Message();
}

std::string SystemText(int error) {
  return std::strerror(error);
}

std::uint64_t AddressSpaceInUse() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmSize:", 0) != 0) continue;
    std::uint64_t kib = 0;
    std::istringstream(line.substr(7)) >> kib;
    return kib * 1024;
  }
  return 0;
}

std::map<std::string, std::string> TreeSnapshot(const std::string& root) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> tree;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    std::ifstream in(entry.path(), std::ios::binary);
    tree[fs::relative(entry.path(), root).string()] =
        entry.is_directory() ? "<dir>" : std::string(std::istreambuf_iterator<char>(in), {});
  }
  return tree;
}

}  // namespace lattest
