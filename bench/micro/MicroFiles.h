// What the micro-benchmarks share: whole imports through ImportLAT's filter on the tests'
// recording host, which records the scans without copying their bytes.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "hostfw/IoManager.h"
#include "hostfw/Status.h"
#include "import/LatImportFilter.h"
#include "tests/support/RecordingHost.h"

namespace latbench {

struct ImportRunner {
  ImportRunner() { host.keepScanBytes = false; }
  // One import of `path`; raises std::runtime_error unless it delivered everything.
  void Import(const std::string& path) {
    host.Clear();
    if (filter->ImportFromFile(path.c_str()) != hostfw::ImportStatus_Complete)
      throw std::runtime_error("the import of " + path + " stopped early");
  }
  hostfw::IoManager manager;
  lattest::RecordingHost host{manager};
  std::unique_ptr<hostfw::IoImportFilter> filter{ImportLAT(manager)};
};

}  // namespace latbench
