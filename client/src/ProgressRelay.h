// Hands a filter's progress reports to a host's callback, whose false cancels.
#pragma once

#include "hostfw/IoManager.h"
#include "latclient/LatticeIo.h"

namespace latclient {

class ProgressRelay : public hostfw::IoProgressSink {
 public:
  explicit ProgressRelay(const ProgressCallback& callback) : callback_(callback) {}
  bool Begin(const std::string& /*message*/) override { return Report(0.0); }
  bool Proportion(double fraction) override { return Report(fraction); }
  void Stop() override {}

 private:
  bool Report(double fraction) { return !callback_ || callback_(fraction); }

  const ProgressCallback& callback_;
};

}  // namespace latclient
