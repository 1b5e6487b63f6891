// Fuzz targets 1, 2 and the VTK import: arbitrary bytes as a file, imported through a
// plug-in's factory and the host contract, on a host that checks everything it is sent.
#include <exception>
#include <memory>
#include <new>
#include <span>
#include <string>

#include "fuzz/FuzzBytes.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzDrivers.h"
#include "fuzz/ImportChecker.h"
#include "fuzz/ScratchFile.h"
#include "import/LatImportFilter.h"
#include "vtk/VtkImportFilter.h"

namespace latfuzz {
namespace {

// The file every input is written to, made once per process.
const ScratchFile& InputFile() {
  static const ScratchFile file("input.lat");
  return file;
}

// One import of `file` (already on disk at `path`) on `filter`, checked throughout.
ImportOutcome CheckedImport(hostfw::IoImportFilter& filter, hostfw::IoManager& manager,
                            const std::string& path, std::span<const std::uint8_t> file,
                            const StopPlan& plan) {
  ImportChecker checker(manager, path, file, plan);
  try {
    const hostfw::ImportStatus status = filter.ImportFromFile(path.c_str());
    return checker.Finish(status);
  } catch (const hostbase::CError& error) {
    return checker.Finish(error);
  } catch (const std::bad_alloc&) {
    LAT_FUZZ_FAIL("an allocation failed: sizes were not bounded by the file");
  } catch (const std::exception& error) {
    LAT_FUZZ_FAIL(std::string("an exception that is not the host's: ") + error.what());
  }
}

using Factory = hostfw::IoImportFilter* (*)(hostfw::IoManager&);

struct Filter {
  explicit Filter(Factory factory)
      : manager(factory == &ImportVTK ? "VTK XML" : "Iris Explorer LAT"),
        filter(factory(manager)) {}
  hostfw::IoManager manager;
  std::unique_ptr<hostfw::IoImportFilter> filter;
};

// Imports `file` twice with the same filter: the second import must do exactly what the
// first did, so nothing of one import leaks into the next.
ImportOutcome ImportTwice(std::span<const std::uint8_t> file, const StopPlan& plan,
                          Factory factory = &ImportLAT) {
  const ScratchFile& scratch = InputFile();
  scratch.Write(file);
  Filter f(factory);
  LAT_FUZZ_CHECK(f.filter != nullptr);
  f.filter->CanImportFile(scratch.Path().c_str());
  const ImportOutcome first = CheckedImport(*f.filter, f.manager, scratch.Path(), file, plan);
  const ImportOutcome second = CheckedImport(*f.filter, f.manager, scratch.Path(), file, plan);
  LAT_FUZZ_CHECK_MSG(first == second, "a second import of the same file differed");
  return first;
}

}  // namespace

void FuzzImport(const std::uint8_t* data, std::size_t size) {
  const ImportOutcome outcome = ImportTwice({data, size}, StopPlan{});
  LAT_FUZZ_CHECK(outcome.end != ImportOutcome::End::Stopped);
}

void FuzzImportVtk(const std::uint8_t* data, std::size_t size) {
  const ImportOutcome outcome = ImportTwice({data, size}, StopPlan{}, &ImportVTK);
  LAT_FUZZ_CHECK(outcome.end != ImportOutcome::End::Stopped);
}

void FuzzImportComplete(const std::uint8_t* data, std::size_t size) {
  const ImportOutcome outcome = ImportTwice({data, size}, StopPlan{});
  LAT_FUZZ_CHECK_MSG(outcome.end == ImportOutcome::End::Complete,
                     outcome.errorModule + " code " + std::to_string(outcome.errorCode));
}

// Control byte 0: bits 0-1 the mode (0 refuse an object, 1 cancel at a fraction, 2 cancel
// at the first message, 3 both of the first two), bits 2-7 the fraction for mode 3;
// byte 1: the object (modes 0, 3) or fraction (mode 1) where the host says stop.
void FuzzImportStopping(const std::uint8_t* data, std::size_t size) {
  FuzzBytes in(data, size);
  const std::uint8_t control = in.Byte();
  const std::uint8_t where = in.Byte();
  StopPlan plan;
  switch (control & 3) {
    case 0:
      plan.refuseObject = where;
      break;
    case 1:
      plan.cancelAtProportion = where;
      break;
    case 2:
      plan.cancelAtBegin = true;
      break;
    default:
      plan.refuseObject = where;
      plan.cancelAtProportion = control >> 2;
      break;
  }
  ImportTwice(in.Rest(), plan);
}

}  // namespace latfuzz
