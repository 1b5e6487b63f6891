// The fault tests' error capture and process facts.
#include "tests/faults/FaultHarness.h"

#include <cstring>
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
    std::istringstream fields(line.substr(7));
    std::uint64_t kib = 0;
    fields >> kib;
    return kib * 1024;
  }
  return 0;
}

std::map<std::string, std::string> TreeSnapshot(const std::string& root) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> tree;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    const std::string name = fs::relative(entry.path(), root).string();
    if (entry.is_directory()) {
      tree[name] = "<dir>";
      continue;
    }
    std::ifstream in(entry.path(), std::ios::binary);
    tree[name] = std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return tree;
}

std::string SmallPlainText() {
  return "#!/usr/explorer/bin/explorer cxLattice plain 1.0\n"
         "2\n3 2\n1 3 0 1\n0 1 10 20\n"
         "1.5 2.5 3.5\n4.5 5.5 6.5\n";
}

}  // namespace lattest
