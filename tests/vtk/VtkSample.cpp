// The VTK module's filters driven for the tests that check them against VTK itself
// (vtk_check.py):
//
//   vtk_sample OUT KIND TYPE COMPONENTS NX NY NZ COORDTYPE BLANKS OPTIONS
//   vtk_sample IN
//
// The first writes one lattice of a known pattern (vtk_check.py computes the same) through
// the export filter; the second imports IN and prints, as one JSON document, every lattice
// received (values and coordinates as doubles), the warnings, and the status or the error.
// KIND 0 uniform, 1 rectilinear, 2 curvilinear; TYPE and COORDTYPE host type codes; the
// pattern is VtkPattern.h's.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <limits>
#include <memory>
#include <string>

#include "hostbase/Error.h"
#include "hostbase/PrimType.h"
#include "hostfw/IoManager.h"
#include "hostfw/Transfer.h"
#include "tests/vtk/VtkPattern.h"
#include "vtk/VtkExportFilter.h"
#include "vtk/VtkImportFilter.h"

namespace {

using hostbase::CPrimType;

int Run(char** argv) {
  vtktest::Pattern pattern;
  int* fields[] = {&pattern.kind, &pattern.type, &pattern.components, &pattern.nx,
                   &pattern.ny,   &pattern.nz,   &pattern.coordType};
  for (int i = 0; i < 7; ++i) *fields[i] = std::atoi(argv[i + 2]);
  pattern.blanks = std::atoi(argv[9]) != 0;
  hostfw::IoManager manager;
  VtkExportFilter filter(manager);
  filter.SetOptions(argv[10]);
  if (filter.BeginExportToFile(argv[1], false) != 0) return 1;
  const auto send = [&filter](hostfw::TrBase& o) {
    return static_cast<int>(filter.ExportObject(o));
  };
  if (vtktest::SendPattern(pattern, send) != 0) return 1;
  return filter.EndExportToFile();
}

std::string Number(double v) {
  char text[40];
  std::snprintf(text, sizeof text, std::isnan(v) ? "NaN" : "%.17g", v);
  return text;
}

// Prints what an import delivers; values as "%.17g" (NaN as NaN, which Python's json reads).
class Printer final : public hostfw::IoObjectSink, public hostfw::IoMessageSink {
 public:
  bool Receive(hostfw::TrBase& object) override {
    const hostbase::CTypeInfo* type = object.GetTypeId();
    if (type == hostfw::TrLatticeScan::GetClassTypeId()) {
      const auto& scan = static_cast<const hostfw::TrLatticeScan&>(object);
      const bool coords = curvilinear_ && scanCount_++ % 2 == 0;
      const int t = coords ? coordType_ : dataType_;
      const std::size_t count = scan.GetSize() / static_cast<std::size_t>(CPrimType::TypeSize[t]);
      Print(coords ? coords_ : values_, t, scan.data, count);
    } else if (type == hostfw::TrLatticeEnd::GetClassTypeId()) {
      std::printf("\"coords\": [%s], \"values\": [%s]}",
                  coords_.c_str() + (coords_.empty() ? 0 : 1),
                  values_.c_str() + (values_.empty() ? 0 : 1));
    } else {
      const auto& header = static_cast<const hostfw::TrLattice&>(object);
      dataType_ = header.dataType;
      curvilinear_ = type == hostfw::TrCurvilinearLattice::GetClassTypeId();
      scanCount_ = 0;
      coords_.clear();
      values_.clear();
      std::printf(first_ ? "" : ", ");
      first_ = false;
      std::printf(
          "{\"type\": %d, \"dims\": [%d, %d, %d], \"components\": %d, \"flags\": %d, "
          "\"blank\": %s, ",
          header.dataType, header.nx, header.ny, header.nz, header.numComponents, header.flags,
          Number(header.blankValue).c_str());
      if (type == hostfw::TrUniformLattice::GetClassTypeId()) {
        const auto& u = static_cast<const hostfw::TrUniformLattice&>(header);
        std::printf(
            "\"kind\": 0, \"origin\": [%.17g, %.17g, %.17g], \"spacing\": [%.17g, %.17g, %.17g], ",
            u.origin[0], u.origin[1], u.origin[2], u.spacing[0], u.spacing[1], u.spacing[2]);
      } else if (curvilinear_) {
        coordType_ = static_cast<const hostfw::TrCurvilinearLattice&>(header).coordType;
        std::printf("\"kind\": 2, \"coordType\": %d, ", coordType_);
      } else {
        const auto& r = static_cast<const hostfw::TrRectilinearLattice&>(header);
        std::string axes[3];
        Print(axes[0], r.coordType, r.xCoords, static_cast<std::size_t>(r.nx));
        Print(axes[1], r.coordType, r.yCoords, static_cast<std::size_t>(r.ny));
        Print(axes[2], r.coordType, r.zCoords, static_cast<std::size_t>(r.nz));
        std::printf("\"kind\": 1, \"coordType\": %d, \"axes\": [[%s], [%s], [%s]], ", r.coordType,
                    axes[0].c_str() + 1, axes[1].c_str() + 1, axes[2].c_str() + 1);
      }
    }
    return true;
  }
  void Warning(const std::string& text) override {
    warnings_ += (warnings_.empty() ? "\"" : ", \"") + text + "\"";
  }
  void ShowHelp(const std::string&) override {}
  std::string warnings_;

 private:
  static void Print(std::string& out, int type, const void* data, std::size_t count) {
    char text[40];
    for (std::size_t i = 0; i < count; ++i) {
      const auto* value = static_cast<const unsigned char*>(data) +
                          i * static_cast<std::size_t>(CPrimType::TypeSize[type]);
      if (type == CPrimType::Int64) {
        std::int64_t v;
        std::memcpy(&v, value, 8);
        std::snprintf(text, sizeof text, ",%lld", static_cast<long long>(v));
      } else {
        const double v = hostbase::CPrimData::GetWideReal(type, value);
        std::snprintf(text, sizeof text, std::isnan(v) ? ",NaN" : ",%.17g", v);
      }
      out += text;
    }
  }
  bool first_ = true, curvilinear_ = false;
  int dataType_ = 0, coordType_ = 0;
  std::size_t scanCount_ = 0;
  std::string coords_, values_;
};

int Import(const char* path) {
  hostfw::IoManager manager;
  Printer printer;
  manager.SetObjectSink(&printer);
  manager.SetMessageSink(&printer);
  VtkImportFilter filter(manager);
  std::printf("{\"recognised\": %s, \"lattices\": [",
              filter.CanImportFile(path) ? "true" : "false");
  int status = -1;
  std::string error = "null";
  try {
    status = filter.ImportFromFile(path);
  } catch (const hostbase::CError& e) {
    std::string message = e.Message();
    for (char& c : message)
      if (c == '"' || c == '\\') c = '\'';
    error = "{\"code\": " + std::to_string(e.Code()) + ", \"message\": \"" + message + "\"}";
  }
  std::printf("], \"warnings\": [%s], \"status\": %d, \"error\": %s}\n", printer.warnings_.c_str(),
              status, error.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2) return Import(argv[1]);
  if (argc != 11) {
    std::cerr << "usage: vtk_sample OUT KIND TYPE COMPONENTS NX NY NZ COORDTYPE BLANKS OPTIONS\n"
                 "       vtk_sample IN\n";
    return 2;
  }
  try {
    return Run(argv);
  } catch (const hostbase::CError& error) {
    std::cerr << error.what() << "\n";
    return 1;
  }
}
