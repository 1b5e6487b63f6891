// Drives one module's export filter and keeps how it went: refusals, cancel, errors and
// the warnings it raised.
#include "latclient/Exporter.h"

#include <utility>

#include "latclient/Formats.h"

namespace latclient {

// Keeps the filter's warnings for the outcome.
class Exporter::Collector : public hostfw::IoMessageSink {
 public:
  explicit Collector(std::vector<std::string>& warnings) : warnings_(warnings) {}
  void Warning(const std::string& text) override { warnings_.push_back(text); }
  void ShowHelp(const std::string& /*topic*/) override {}

 private:
  std::vector<std::string>& warnings_;
};

Exporter::Exporter(const Module& module, std::string host, hostfw::IoProgressSink* progress,
                   hostfw::IoMessageSink* messages)
    : host_(std::move(host)), manager_(DisplayNameOf(module.Name())) {
  if (messages == nullptr) {
    collector_ = std::make_unique<Collector>(outcome_.warnings);
    messages = collector_.get();
  }
  manager_.SetMessageSink(messages);
  manager_.SetProgressSink(progress);
  // The module holds the dialog templates the filter's dialogs are made from.
  manager_.resourceInstance = module.Handle();
  filter_ = module.MakeExportFilter(manager_);
}

Exporter::~Exporter() {
  filter_.reset();  // may still report to the sinks
  manager_.SetProgressSink(nullptr);
  manager_.SetMessageSink(nullptr);
}

template <class Call>
bool Exporter::Guarded(Call&& call) {
  try {
    return call();
  } catch (...) {
    outcome_.error = ErrorReport::OfCurrentException(host_);
  }
  return false;
}

bool Exporter::Accept(hostfw::ExportStatus status, const char* operation) {
  switch (status) {
    case hostfw::ExportStatus_Accepted:
      return true;
    case hostfw::ExportStatus_Cancelled:
      outcome_.cancelled = true;
      return false;
    default:
      Fail(ErrorReport{hostbase::kNoErrorCode,
                       host_,
                       {},
                       std::string("the export filter refused ") + operation + " (status " +
                           std::to_string(static_cast<int>(status)) + ")"});
      return false;
  }
}

void Exporter::Fail(ErrorReport error) {
  if (!outcome_.error) outcome_.error = std::move(error);
}

bool Exporter::SetOptions(const std::string& options) {
  if (begun_ || ended_ || outcome_.error || outcome_.cancelled) return false;
  return Guarded([&] {
    filter_->SetOptions(options.c_str());
    return true;
  });
}

bool Exporter::Begin(const std::string& path, bool interactive) {
  if (begun_ || ended_ || outcome_.error || outcome_.cancelled) return false;
  return Guarded([&] {
    begun_ = true;
    return Accept(filter_->BeginExportToFile(path.c_str(), interactive), "the start of the export");
  });
}

bool Exporter::Send(hostfw::TrBase& object) {
  if (!begun_ || ended_ || outcome_.error || outcome_.cancelled) return false;
  return Guarded([&] { return Accept(filter_->ExportObject(object), "an object"); });
}

const ExportOutcome& Exporter::End() {
  if (begun_ && !ended_) {
    Guarded([&] {
      outcome_.noLattice = filter_->EndExportToFile() == hostfw::ExportStatus_NoLattice;
      return true;
    });
  }
  ended_ = true;
  return outcome_;
}

void Exporter::Discard() {
  if (!begun_ || ended_) return;
  ended_ = true;
  std::optional<ErrorReport> kept = outcome_.error;
  Guarded([&] {
    filter_->EndExportToFile();
    return true;
  });
  outcome_.error = std::move(kept);
}

void Exporter::Abandon() noexcept {
  if (!begun_ || ended_) return;
  ended_ = true;
  outcome_.cancelled = true;
  filter_.reset();
}

}  // namespace latclient
