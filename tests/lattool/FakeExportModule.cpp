// A plug-in module whose ExportLAT logs the host's calls to the file LAT_FAKE_LOG and answers
// as LAT_FAKE_ANSWERS says ("Begin=2,Object3=1,End=1,Raise=Object2"); ImportLAT is the real one.
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <dlfcn.h>

#include "hostaux/Options.h"
#include "hostfw/IoFilter.h"
#include "hostfw/Transfer.h"

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

std::string Describe(const hostfw::TrBase& object) {
  const hostbase::CTypeInfo* type = object.GetTypeId();
  if (type == hostfw::TrLatticeScan::GetClassTypeId()) {
    return "scan " + std::to_string(static_cast<const hostfw::TrLatticeScan&>(object).GetSize());
  }
  if (type == hostfw::TrLatticeEnd::GetClassTypeId()) return "end";
  const auto& l = static_cast<const hostfw::TrLattice&>(object);
  const char* kind = type == hostfw::TrUniformLattice::GetClassTypeId()       ? "uniform"
                     : type == hostfw::TrRectilinearLattice::GetClassTypeId() ? "rectilinear"
                                                                              : "curvilinear";
  return kind + (" " + std::to_string(l.nx)) + "x" + std::to_string(l.ny) + "x" +
         std::to_string(l.nz) + " components=" + std::to_string(l.numComponents) +
         " dataType=" + std::to_string(l.dataType) + " flags=" + std::to_string(l.flags) +
         " blank=" + Number(l.blankValue) + " min=" + List(l.componentMin) +
         " max=" + List(l.componentMax);
}

class RecordingExportFilter final : public hostfw::IoExportFilter {
 public:
  using IoExportFilter::IoExportFilter;

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
    if (std::FILE* file = path != nullptr ? std::fopen(path, "a") : nullptr) {
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

}  // namespace

PLUGIN_FACTORY hostfw::IoExportFilter* ExportLAT(hostfw::IoManager& manager) {
  return new RecordingExportFilter(manager);
}

// The real module stays loaded for good once its import was asked for.
PLUGIN_FACTORY hostfw::IoImportFilter* ImportLAT(hostfw::IoManager& manager) {
  void* real = dlopen(LAT_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  void* factory = real == nullptr ? nullptr : dlsym(real, "ImportLAT");
  using Factory = hostfw::IoImportFilter* (*)(hostfw::IoManager&);
  return factory == nullptr ? nullptr : reinterpret_cast<Factory>(factory)(manager);
}
