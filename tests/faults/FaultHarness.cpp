// The fault tests' error capture, folder snapshots, process facts and lattice sender.
#include "tests/faults/FaultHarness.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "hostbase/PrimType.h"

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

std::uint64_t AddressSpaceInUse() {
  std::ifstream status("/proc/self/status");
  std::string line;
  std::uint64_t kib = 0;
  while (std::getline(status, line))
    if (line.rfind("VmSize:", 0) == 0) std::istringstream(line.substr(7)) >> kib;
  return kib * 1024;
}

Sent SendLattice(hostfw::IoExportFilter& filter, int kind, int nx, int ny, int nz) {
  const int f = hostbase::CPrimType::Float;
  std::unique_ptr<hostfw::TrLattice> header;
  if (kind == 0) header = std::make_unique<hostfw::TrUniformLattice>(f, nx, ny, nz, 1);
  if (kind == 1) header = std::make_unique<hostfw::TrRectilinearLattice>(f, f, nx, ny, nz, 1);
  if (kind == 2) header = std::make_unique<hostfw::TrCurvilinearLattice>(f, f, nx, ny, nz, 1);
  Sent sent;
  const auto send = [&](hostfw::TrBase& object) {
    ++sent.objects;
    sent.status = filter.ExportObject(object);
    return sent.status == hostfw::ExportStatus_Accepted;
  };
  if (!send(*header)) return sent;
  for (int row = 0; row < ny * nz; ++row) {
    hostfw::TrLatticeScan coords(nx * 3 * 4), values(*header);
    for (int x = 0; x < nx; ++x) static_cast<float*>(values.data)[x] = static_cast<float>(row + x);
    if ((kind == 2 && !send(coords)) || !send(values)) return sent;
  }
  hostfw::TrLatticeEnd end;
  send(end);
  return sent;
}

}  // namespace lattest
