// Scratch directory and import runner of the micro-benchmarks.
#include "MicroFiles.h"

#include <atomic>
#include <stdexcept>
#include <system_error>

#include "hostfw/Transfer.h"
#include "import/LatImportFilter.h"

#include <unistd.h>

namespace latbench {

ScratchDir::ScratchDir() {
  namespace fs = std::filesystem;
  path_ = fs::temp_directory_path() / ("lat-micro-" + std::to_string(::getpid()));
  fs::create_directories(path_);
}

ScratchDir::~ScratchDir() {
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

ImportRunner::ImportRunner() : filter_(ImportLAT(manager_)) {
  manager_.SetObjectSink(this);
}

ImportRunner::~ImportRunner() {
  manager_.SetObjectSink(nullptr);
}

void ImportRunner::Import(const std::string& path) {
  if (filter_->ImportFromFile(path.c_str()) != hostfw::ImportStatus_Complete)
    throw std::runtime_error("the import of " + path + " stopped early");
}

bool ImportRunner::Receive(hostfw::TrBase& object) {
  if (auto* scan = dynamic_cast<hostfw::TrLatticeScan*>(&object); scan && scan->data)
    checksum_ += *static_cast<const unsigned char*>(scan->data);
  return true;
}

}  // namespace latbench
