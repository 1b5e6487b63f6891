// Runs one module's import filter with the host's sinks installed for the length of an
// import.
#include "latclient/Importer.h"

#include "latclient/Formats.h"

namespace latclient {

namespace {

class SinkScope {
 public:
  SinkScope(hostfw::IoManager& manager, hostfw::IoProgressSink* progress,
            hostfw::IoObjectSink& objects)
      : manager_(manager) {
    manager_.SetProgressSink(progress);
    manager_.SetObjectSink(&objects);
  }
  ~SinkScope() {
    manager_.SetProgressSink(nullptr);
    manager_.SetObjectSink(nullptr);
  }
  SinkScope(const SinkScope&) = delete;
  SinkScope& operator=(const SinkScope&) = delete;

 private:
  hostfw::IoManager& manager_;
};

}  // namespace

Importer::Importer(const Module& module, std::string host, hostfw::IoMessageSink* messages)
    : module_(module),
      host_(std::move(host)),
      manager_(DisplayNameOf(module.Name())),
      filter_(module.MakeImportFilter(manager_)) {
  manager_.SetMessageSink(messages);
}

Importer::~Importer() {
  filter_.reset();  // may still report to the sinks
  manager_.SetMessageSink(nullptr);
}

bool Importer::CanImport(const char* path) {
  return filter_->CanImportFile(path);
}

ImportOutcome Importer::Import(const char* path, hostfw::IoObjectSink& objects,
                               hostfw::IoProgressSink* progress) {
  const SinkScope scope(manager_, progress, objects);
  ImportOutcome outcome;
  try {
    outcome.status = filter_->ImportFromFile(path);
  } catch (...) {
    outcome.error = ErrorReport::OfCurrentException(host_);
  }
  return outcome;
}

}  // namespace latclient
