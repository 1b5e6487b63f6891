// The manager's forwarding of progress, objects, warnings and help to the host's sinks.
#include "hostfw/IoManager.h"

namespace hostfw {

IoProgressSink::~IoProgressSink() = default;
IoObjectSink::~IoObjectSink() = default;
IoMessageSink::~IoMessageSink() = default;

bool IoManager::ProgressBegin(const std::string& message) {
  return progressSink_ == nullptr || progressSink_->Begin(message);
}

bool IoManager::ProgressProportion(double fraction) {
  return progressSink_ == nullptr || progressSink_->Proportion(fraction);
}

void IoManager::ProgressStop() {
  if (progressSink_ != nullptr) progressSink_->Stop();
}

bool IoManager::DeliverObject(TrBase& object) const {
  return objectSink_ == nullptr || objectSink_->Receive(object);
}

void IoManager::ReportWarning(const std::string& text) const {
  if (messageSink_ != nullptr) messageSink_->Warning(text);
}

void IoManager::ShowHelp(const std::string& topic) const {
  if (messageSink_ != nullptr) messageSink_->ShowHelp(topic);
}

}  // namespace hostfw
