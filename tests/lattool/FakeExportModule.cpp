// A plug-in module for lattool's tests: its ExportLAT filter writes every call the host
// makes, in order, to the file named by LAT_FAKE_LOG, and answers with the statuses (or
// raises the errors) that LAT_FAKE_ANSWERS asks for, e.g. "Begin=2", "Object3=1",
// "End=1", "Raise=Object2". Its ImportLAT is the real plug-in's, so lattool convert runs
// the real import into this export.
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <dlfcn.h>

#include "hostaux/Options.h"
#include "hostbase/PrimType.h"
#include "hostfw/IoFilter.h"
#include "hostfw/IoManager.h"
#include "hostfw/Transfer.h"
#include "import/LatPluginApi.h"

namespace {

std::string Number(double value) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

std::string List(const std::vector<double>& values) {
  std::string text;
  for (double v : values) text += (text.empty() ? "" : ",") + Number(v);
  return "[" + text + "]";
}

const char* KindOf(const hostfw::TrBase& object) {
  const hostbase::CTypeInfo* type = object.GetTypeId();
  if (type == hostfw::TrUniformLattice::GetClassTypeId()) return "uniform";
  if (type == hostfw::TrRectilinearLattice::GetClassTypeId()) return "rectilinear";
  if (type == hostfw::TrCurvilinearLattice::GetClassTypeId()) return "curvilinear";
  if (type == hostfw::TrLatticeScan::GetClassTypeId()) return "scan";
  if (type == hostfw::TrLatticeEnd::GetClassTypeId()) return "end";
  return "other";
}

std::string Describe(const hostfw::TrBase& object) {
  const std::string kind = KindOf(object);
  if (kind == "scan") {
    return "scan " + std::to_string(static_cast<const hostfw::TrLatticeScan&>(object).GetSize());
  }
  if (kind == "end" || kind == "other") return kind;
  const auto& l = static_cast<const hostfw::TrLattice&>(object);
  return kind + " " + std::to_string(l.nx) + "x" + std::to_string(l.ny) + "x" +
         std::to_string(l.nz) + " components=" + std::to_string(l.numComponents) +
         " dataType=" + std::to_string(l.dataType) + " flags=" + std::to_string(l.flags) +
         " blank=" + Number(l.blankValue) + " min=" + List(l.componentMin) +
         " max=" + List(l.componentMax);
}

class RecordingExportFilter final : public hostfw::IoExportFilter {
 public:
  using IoExportFilter::IoExportFilter;

  void GetPropertyPages(std::vector<hostfw::IoPropertyPage*>&, const char* fileName) override {
    Log(std::string("GetPropertyPages ") + fileName);
  }
  void SetOptions(const char* options) override { Log(std::string("SetOptions ") + options); }
  hostfw::ExportStatus BeginExportToFile(const char* path, bool interactive) override {
    Log(std::string("BeginExportToFile ") + path + (interactive ? " interactive" : ""));
    return Answer("Begin");
  }
  hostfw::ExportStatus ExportObject(hostfw::TrBase& object) override {
    Log("ExportObject " + Describe(object));
    return Answer("Object" + std::to_string(objects_++));
  }
  hostfw::ExportStatus EndExportToFile() override {
    Log("EndExportToFile");
    return Answer("End");
  }

 private:
  static void Log(const std::string& line) {
    const char* path = std::getenv("LAT_FAKE_LOG");
    if (path == nullptr) return;
    if (std::FILE* file = std::fopen(path, "a")) {
      std::fprintf(file, "%s\n", line.c_str());
      std::fclose(file);
    }
  }

  hostfw::ExportStatus Answer(const std::string& call) const {
    const char* answers = std::getenv("LAT_FAKE_ANSWERS");
    std::string value;
    if (hostaux::CommonGetStringOption(answers, "Raise", ',', value) && value == call) {
      ThrowError("FakeExport", __LINE__, ("fake failure at " + call).c_str());
    }
    if (!hostaux::CommonGetStringOption(answers, call.c_str(), ',', value)) {
      return hostfw::ExportStatus_Accepted;
    }
    return static_cast<hostfw::ExportStatus>(std::atoi(value.c_str()));
  }

  int objects_ = 0;
};

using ImportFactory = hostfw::IoImportFilter* (*)(hostfw::IoManager&);

// Marks each lattice header as one with blanks on its way to the host's sink.
class BlankMarkingSink final : public hostfw::IoObjectSink {
 public:
  BlankMarkingSink(hostfw::IoObjectSink* next, double blank) noexcept
      : next_(next), blank_(blank) {}
  bool Receive(hostfw::TrBase& object) override {
    const std::string kind = KindOf(object);
    if (kind == "uniform" || kind == "rectilinear" || kind == "curvilinear") {
      auto& header = static_cast<hostfw::TrLattice&>(object);
      header.flags |= hostfw::TrLattice::kFlagMayHaveBlanks;
      header.blankValue = blank_;
    }
    return next_ == nullptr || next_->Receive(object);
  }

 private:
  hostfw::IoObjectSink* next_;
  double blank_;
};

// The real import filter, its objects passed through BlankMarkingSink when asked for.
class BlankMarkingImportFilter final : public hostfw::IoImportFilter {
 public:
  BlankMarkingImportFilter(hostfw::IoManager& manager,
                           std::unique_ptr<hostfw::IoImportFilter> real) noexcept
      : IoImportFilter(manager), real_(std::move(real)) {}
  bool CanImportFile(const char* path) override { return real_->CanImportFile(path); }
  hostfw::ImportStatus ImportFromFile(const char* path) override {
    const char* blank = std::getenv("LAT_FAKE_BLANK");
    if (blank == nullptr) return real_->ImportFromFile(path);
    hostfw::IoManager& manager = GetManager();
    hostfw::IoObjectSink* host = manager.GetObjectSink();
    BlankMarkingSink marking(host, std::atof(blank));
    manager.SetObjectSink(&marking);
    struct Restore {
      hostfw::IoManager& manager;
      hostfw::IoObjectSink* sink;
      ~Restore() { manager.SetObjectSink(sink); }
    } restore{manager, host};
    return real_->ImportFromFile(path);
  }

 private:
  std::unique_ptr<hostfw::IoImportFilter> real_;
};

}  // namespace

LAT_PLUGIN_API hostfw::IoExportFilter* ExportLAT(hostfw::IoManager& manager) {
  return new RecordingExportFilter(manager);
}

// The real module stays loaded for good once its importer was asked for.
LAT_PLUGIN_API hostfw::IoImportFilter* ImportLAT(hostfw::IoManager& manager) {
  void* real = dlopen(LAT_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (real == nullptr) return nullptr;
  auto factory = reinterpret_cast<ImportFactory>(dlsym(real, "ImportLAT"));
  std::unique_ptr<hostfw::IoImportFilter> filter(factory ? factory(manager) : nullptr);
  return filter ? new BlankMarkingImportFilter(manager, std::move(filter)) : nullptr;
}
