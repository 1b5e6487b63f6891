// What the micro-benchmarks share: lattice files in a temporary directory that goes away
// with them, and a host that runs whole imports through the plug-in's import filter.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "hostfw/IoFilter.h"
#include "hostfw/IoManager.h"

namespace latbench {

// A fresh directory under the system's temporary directory, removed with its files.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Imports files through ImportLAT's filter; every scan is taken in by touching its bytes.
class ImportRunner : public hostfw::IoObjectSink {
 public:
  ImportRunner();
  ~ImportRunner() override;
  ImportRunner(const ImportRunner&) = delete;
  ImportRunner& operator=(const ImportRunner&) = delete;

  // One import of `path`; raises std::runtime_error unless it delivered everything.
  void Import(const std::string& path);
  bool Receive(hostfw::TrBase& object) override;
  // Sum of the first byte of every scan, so the scans cannot be skipped.
  std::uint64_t Checksum() const noexcept { return checksum_; }

 private:
  hostfw::IoManager manager_;
  std::unique_ptr<hostfw::IoImportFilter> filter_;
  std::uint64_t checksum_ = 0;
};

}  // namespace latbench
