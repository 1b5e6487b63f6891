// The import filter base: summaries, import from memory, delivery of objects and end markers.
#include <cstdio>
#include <filesystem>
#include <random>

#include "hostbase/BufferedFile.h"
#include "hostfw/IoFilter.h"
#include "hostfw/IoManager.h"
#include "hostfw/Transfer.h"

namespace hostfw {
namespace {

// Takes the "LatticeInfo" text of the first lattice header and stops the import there.
class SummarySink : public IoObjectSink {
 public:
  bool Receive(TrBase& object) override {
    const hostbase::CTypeInfo* type = object.GetTypeId();
    if (type == nullptr || !type->IsDerivedFrom(TrLattice::GetClassTypeId())) return !done_;
    if (!done_) {
      const char* text = static_cast<TrLattice&>(object).params.Get(TrLattice::kInfoKey);
      found_ = text != nullptr;
      if (found_) summary_ = text;
      done_ = true;
    }
    return false;
  }
  bool Found() const noexcept { return found_; }
  const std::string& Summary() const noexcept { return summary_; }

 private:
  bool done_ = false;
  bool found_ = false;
  std::string summary_;
};

// Installs an object sink on the manager for its lifetime, then puts the old one back.
class ScopedObjectSink {
 public:
  ScopedObjectSink(IoManager& manager, IoObjectSink& sink)
      : manager_(manager), previous_(manager.GetObjectSink()) {
    manager_.SetObjectSink(&sink);
  }
  ~ScopedObjectSink() { manager_.SetObjectSink(previous_); }
  ScopedObjectSink(const ScopedObjectSink&) = delete;
  ScopedObjectSink& operator=(const ScopedObjectSink&) = delete;

 private:
  IoManager& manager_;
  IoObjectSink* previous_;
};

// A temporary file that is removed when this object goes.
class TemporaryFile {
 public:
  TemporaryFile() : path_(UnusedPath()) {}
  ~TemporaryFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const std::filesystem::path& Path() const noexcept { return path_; }

 private:
  static std::filesystem::path UnusedPath() {
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    std::random_device seed;
    std::mt19937_64 random(seed());
    std::filesystem::path candidate;
    do {
      char name[48];
      std::snprintf(name, sizeof name, "import-%016llx.lat",
                    static_cast<unsigned long long>(random()));
      candidate = folder / name;
    } while (std::filesystem::exists(candidate));
    return candidate;
  }

  std::filesystem::path path_;
};

}  // namespace

IoImportFilter::~IoImportFilter() = default;

bool IoImportFilter::GetSummary(const char* path, std::string& summary) {
  SummarySink sink;
  {
    ScopedObjectSink scope(GetManager(), sink);
    ImportFromFile(path);
  }
  if (sink.Found()) summary = sink.Summary();
  return sink.Found();
}

ImportStatus IoImportFilter::ImportFromMemory(const void* bytes, std::size_t size, bool /*flag*/) {
  TemporaryFile temporary;
  const std::string path = temporary.Path().string();
  {
    hostbase::CBufferedFile file(path.c_str(), "wb", 3, false);
    if (size != 0 && bytes != nullptr) file.Write(bytes, size);
    file.Close();
  }
  return ImportFromFile(path.c_str());
}

bool IoImportFilter::ImportObject(TrBase& object) const {
  return GetManager().DeliverObject(object);
}

ImportStatus IoImportFilter::ImportEnd() const {
  TrLatticeEnd end;
  return ImportObject(end) ? ImportStatus_Complete : ImportStatus_Stopped;
}

}  // namespace hostfw
