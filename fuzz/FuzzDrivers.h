// The fuzz drivers: one function per fuzz target, taking one input. Each checks what the
// code under test does with the input and aborts when a check fails. The libFuzzer
// programs and the regression replay call them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace latfuzz {

using FuzzDriver = void (*)(const std::uint8_t* data, std::size_t size);

// 1: the bytes as a file, imported twice by one filter on a host that accepts everything.
void FuzzImport(const std::uint8_t* data, std::size_t size);
// Like FuzzImport, but the import must also be complete: for inputs known to be valid.
void FuzzImportComplete(const std::uint8_t* data, std::size_t size);
// 2: two control bytes choose where the host refuses an object or cancels; the rest is
// the file.
void FuzzImportStopping(const std::uint8_t* data, std::size_t size);
// 3: the export filter driven by transfer objects decoded from the input; what it
// completes is imported again.
void FuzzExport(const std::uint8_t* data, std::size_t size);
// The VTK module's import, like FuzzImport.
void FuzzImportVtk(const std::uint8_t* data, std::size_t size);
// 4: options strings and number words through the host's parsers.
void FuzzOptions(const std::uint8_t* data, std::size_t size);

// The driver of a target name ("import", "import-complete", "import-stop", "export",
// "options", "import-vtk"), or null.
FuzzDriver FindDriver(std::string_view target);

}  // namespace latfuzz
