// Constants of VTK's XML dataset files (.vti, .vtr, .vts) as VTK's own readers and
// writers use them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vtkxml {

// The three dataset kinds, in the host's lattice kind order: uniform, rectilinear,
// curvilinear.
inline constexpr int kKindCount = 3;
inline constexpr std::string_view kDatasetTypes[kKindCount] = {"ImageData", "RectilinearGrid",
                                                               "StructuredGrid"};
inline constexpr std::string_view kExtensions[kKindCount] = {".vti", ".vtr", ".vts"};

// VTK's element type names, indexed by the host's primitive type code (0 to 8).
inline constexpr int kHostTypeCount = 9;
inline constexpr std::string_view kTypeNames[kHostTypeCount] = {
    "Int8", "UInt8", "Int16", "UInt16", "Int32", "UInt32", "Int64", "Float32", "Float64"};

// The ghost array VTK and ParaView use to hide nodes, and its value for a hidden node.
inline constexpr std::string_view kGhostArrayName = "vtkGhostType";
inline constexpr std::uint8_t kHiddenPoint = 2;

// The only compressor this module reads and writes.
inline constexpr std::string_view kZlibCompressor = "vtkZLibDataCompressor";
// Uncompressed bytes per compressed block, VTK's default.
inline constexpr std::size_t kBlockSize = std::size_t{1} << 15;
// A compressed array's header: block count, block size, size of a partial last block (0
// when the last block is full), then one compressed size per block.
inline constexpr std::size_t kBlockHeaderFields = 3;

// Appended data starts after this marker inside <AppendedData>.
inline constexpr char kAppendedMarker = '_';

}  // namespace vtkxml
