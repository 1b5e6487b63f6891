// The VTK export filter. The XML header goes out with the first lattice header; the values
// stream into the appended data block row by row as their scans arrive, in the lattice's
// own type; ghost rows and curvilinear coordinate rows wait in the row store and follow
// after the last scan. Raw arrays have sizes known at the header, so their offsets are
// written at once; zlib arrays have their block tables and offsets filled in once the
// file is closed and before it replaces the output.
#include "vtk/VtkExportFilter.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>

#include "formats/VtkXmlFormat.h"
#include "hostaux/ByteOrder.h"
#include "hostaux/Options.h"
#include "hostbase/Path.h"
#include "hostbase/PrimType.h"
#include "hostbase/ScopeExit.h"
#include "hostbase/Text.h"
#include "hostfw/IoManager.h"

namespace {

constexpr const char* kModule = "VtkExportFilter";
constexpr const char* kFormatName = "VTK XML";
constexpr const char* kArrayNameKey = "ArrayName";
constexpr const char* kCompressKey = "Compress";
constexpr const char* kDefaultArrayName = "values";
constexpr std::size_t kOffsetWidth = 20;  // digits of any 64-bit offset, space-padded
constexpr int kZlibLevel = 1;             // speed over size, as for a scratch export
// The largest array the writer takes: far beyond any disk, and products stay exact.
constexpr std::uint64_t kMaxArrayBytes = std::uint64_t{1} << 62;

using hostbase::CPrimType;
using hostfw::ExportStatus;

enum Kind { kUniform, kRectilinear, kCurvilinear };

std::string Number(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

void PutUInt64(unsigned char* destination, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) destination[i] = static_cast<unsigned char>(value >> (8 * i));
}

// The file's byte order is little-endian; a big-endian machine swaps in place.
void ToFileOrder(void* data, std::size_t count, int size) {
  if constexpr (std::endian::native == std::endian::big) hostaux::ByteSwapArray(data, count, size);
}

// Product of sizes, or 0 when it would pass kMaxArrayBytes.
std::uint64_t CheckedBytes(std::initializer_list<std::uint64_t> factors) {
  std::uint64_t product = 1;
  for (std::uint64_t f : factors)
    if (__builtin_mul_overflow(product, f, &product) || product > kMaxArrayBytes) return 0;
  return product;
}

// Marks a node hidden when any of its values is the blank marker (any NaN for a NaN marker).
template <class T>
void MarkHidden(const void* row, std::size_t nodes, std::size_t components, double marker,
                unsigned char* ghost) {
  const bool nanMarker = std::isnan(marker);
  const auto* bytes = static_cast<const unsigned char*>(row);
  for (std::size_t n = 0; n < nodes; ++n) {
    unsigned char flag = 0;
    for (std::size_t c = 0; c < components; ++c) {
      T value;
      std::memcpy(&value, bytes + (n * components + c) * sizeof(T), sizeof(T));
      const auto wide = static_cast<double>(value);
      if (wide == marker || (nanMarker && std::isnan(wide))) flag = vtkxml::kHiddenPoint;
    }
    ghost[n] = flag;
  }
}

void MarkHiddenOfType(int type, const void* row, std::size_t nodes, std::size_t components,
                      double marker, unsigned char* ghost) {
  hostbase::DispatchPrimType(type, [&](auto tag) {
    MarkHidden<typename decltype(tag)::type>(row, nodes, components, marker, ghost);
  });
}

}  // namespace

VtkExportFilter::VtkExportFilter(hostfw::IoManager& manager) noexcept
    : hostfw::IoExportFilter(manager), arrayName(kDefaultArrayName) {}

VtkExportFilter::~VtkExportFilter() {
  AbandonOutput();
  progress.reset();
  store.Finish();
}

// ArrayName names the point-data array; Compress is "zlib" or empty/"none" for raw. Both
// are text, read below; reading them through the manager too tells the host the keys this
// filter knows, so that it can warn of the others.
void VtkExportFilter::SetOptions(const char* options) {
  bool unused = false;
  for (const char* key : {kArrayNameKey, kCompressKey})
    GetManager().GetStringOption(options != nullptr ? options : "", key, unused);
  std::string value;
  if (GetStringOption(options, kArrayNameKey, value))
    arrayName = value.empty() ? kDefaultArrayName : value;
  if (GetStringOption(options, kCompressKey, value)) compress = value;
}

std::string VtkExportFilter::GetOptionsInStringForm() {
  return std::string(kArrayNameKey) + "=" + arrayName + "," + kCompressKey + "=" +
         (compress.empty() ? "none" : compress);
}

bool VtkExportFilter::IsObjectTypeSupported(const hostbase::CTypeInfo* type) {
  return hostfw::IsLatticeObjectType(type);
}

bool VtkExportFilter::GetStringOption(const char* options, const char* key, std::string& value) {
  return hostaux::CommonGetStringOption(options, key, ',', value);
}

ExportStatus VtkExportFilter::BeginExportToFile(const char* path, bool /*interactive*/) {
  AbandonOutput();
  progress.reset();
  store.Finish();
  fileName = path != nullptr ? path : "";
  fileOpened = false;
  latticeDone = false;
  scansReceived = expectedScans = 0;
  return hostfw::ExportStatus_Accepted;
}

ExportStatus VtkExportFilter::ExportObject(hostfw::TrBase& object) {
  const hostbase::CTypeInfo* type = object.GetTypeId();
  if (type == hostfw::TrUniformLattice::GetClassTypeId())
    return BeginHeader(static_cast<hostfw::TrLattice&>(object), kUniform);
  if (type == hostfw::TrRectilinearLattice::GetClassTypeId())
    return BeginHeader(static_cast<hostfw::TrLattice&>(object), kRectilinear);
  if (type == hostfw::TrCurvilinearLattice::GetClassTypeId())
    return BeginHeader(static_cast<hostfw::TrLattice&>(object), kCurvilinear);
  if (type == hostfw::TrLatticeEnd::GetClassTypeId()) return hostfw::ExportStatus_Accepted;
  if (type == hostfw::TrLatticeScan::GetClassTypeId())
    return ReceiveScan(static_cast<const hostfw::TrLatticeScan&>(object));
  return hostfw::ExportStatus_NotHandled;
}

void VtkExportFilter::CheckHeader(const hostfw::TrLattice& header, int latticeKind) const {
  if (header.nx < 1 || header.ny < 1 || header.nz < 1 || header.numComponents < 1) {
    std::string message;
    hostbase::FormatString(message,
                           "Cannot export a lattice of %d x %d x %d nodes with %d values each: "
                           "every count must be at least 1.",
                           header.nx, header.ny, header.nz, header.numComponents);
    ThrowError(kModule, __LINE__, message.c_str());
  }
  int headerCoordType = CPrimType::Float;
  if (latticeKind == kRectilinear)
    headerCoordType = static_cast<const hostfw::TrRectilinearLattice&>(header).coordType;
  if (latticeKind == kCurvilinear)
    headerCoordType = static_cast<const hostfw::TrCurvilinearLattice&>(header).coordType;
  if (!CPrimType::IsValid(header.dataType) || !CPrimType::IsValid(headerCoordType))
    ThrowError(kModule, __LINE__, hostfw::ErrCode::UnknownCode);
  const std::uint64_t valueBytes = CheckedBytes(
      {std::uint64_t(header.nx), std::uint64_t(header.ny), std::uint64_t(header.nz),
       std::uint64_t(header.numComponents), std::uint64_t(CPrimType::TypeSize[header.dataType])});
  if (valueBytes == 0) ThrowError(kModule, __LINE__, "The lattice is too large to export.");
  // A file named for another dataset type would open as that type (or not at all).
  std::string extension = fileName.substr(std::min(fileName.size(), fileName.rfind('.')));
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (int k = 0; k < vtkxml::kKindCount; ++k) {
    if (k == latticeKind || extension != vtkxml::kExtensions[k]) continue;
    static constexpr const char* kKindNames[] = {"uniform", "rectilinear", "curvilinear"};
    std::string message;
    hostbase::FormatString(message, "A %s lattice cannot be written to '%s': use the extension %s.",
                           kKindNames[latticeKind], fileName.c_str(),
                           std::string(vtkxml::kExtensions[latticeKind]).c_str());
    ThrowError(kModule, __LINE__, message.c_str());
  }
  if (compress.empty() || compress == "none" || compress == "zlib") return;
  const std::string feature = "compression '" + compress + "'";
  ThrowError(kModule, __LINE__, hostfw::ErrCode::UnsupportedFeature, kFormatName, feature,
             fileName);
}

ExportStatus VtkExportFilter::BeginHeader(hostfw::TrLattice& header, int latticeKind) {
  header.scanMode = 0;
  header.scanParam = 0;
  expectedScans = 0;
  CheckHeader(header, latticeKind);
  if (latticeDone)
    ThrowError(kModule, __LINE__, "Export of multiple lattices to one VTK file is not supported.");
  kind = latticeKind;
  nx = static_cast<std::uint32_t>(header.nx);
  ny = static_cast<std::uint32_t>(header.ny);
  nz = static_cast<std::uint32_t>(header.nz);
  components = static_cast<std::uint32_t>(header.numComponents);
  rowCount = ny * nz;
  dataType = header.dataType;
  blanks = (header.flags & hostfw::TrLattice::kFlagMayHaveBlanks) != 0;
  blankValue = header.blankValue;
  zlib = compress == "zlib";
  sourceCoordType = CPrimType::Float;
  if (kind == kRectilinear)
    sourceCoordType = static_cast<const hostfw::TrRectilinearLattice&>(header).coordType;
  if (kind == kCurvilinear)
    sourceCoordType = static_cast<const hostfw::TrCurvilinearLattice&>(header).coordType;
  // Floats stay floats; every other coordinate type is written as doubles, which hold it.
  coordType = sourceCoordType == CPrimType::Float ? CPrimType::Float : CPrimType::Double;

  OpenOutput();
  if (!progress->MessageVA("Exporting VTK file %s", hostbase::CPath::GetNamePtr(fileName.c_str())))
    return hostfw::ExportStatus_Cancelled;
  PlanArrays(header);
  const std::string xml = XmlHeader(header);
  file.Write(xml.data(), xml.size());
  appendedStart = file.GetPosition();
  if (kind == kRectilinear) {
    const auto& rect = static_cast<const hostfw::TrRectilinearLattice&>(header);
    WriteAxis(kXs, rect.xCoords, header.nx);
    WriteAxis(kYs, rect.yCoords, header.ny);
    WriteAxis(kZs, rect.zCoords, header.nz);
  }
  if (blanks || kind == kCurvilinear) {
    const int coordSize = kind == kCurvilinear ? CPrimType::TypeSize[coordType] : 0;
    store.Start(kind == kCurvilinear ? 3 : 1, header.nx, header.ny, header.nz, 1, coordSize, 1,
                kind == kCurvilinear, true);
  }
  BeginArray(kValues);
  scansReceived = 0;
  expectedScans = hostfw::ScanOrder{kind == kCurvilinear}.ScanCount(rowCount);
  return hostfw::ExportStatus_Accepted;
}

void VtkExportFilter::OpenOutput() {
  AbandonOutput();
  progress.reset();
  IoExportFilter::OpenOutput(output, file, fileName, kModule);
  fileOpened = true;
  progress = std::make_unique<hostfw::CProgress>(GetManager(), nullptr, true, true);
}

void VtkExportFilter::AbandonOutput() noexcept {
  file.Abort(true);
  output.Discard();
}

void VtkExportFilter::CommitOutput() {
  file.Close();
  if (zlib) PatchCompressedLayout();
  std::string reason;
  if (!output.Commit(reason)) {
    std::string message;
    hostbase::FormatString(message, "Cannot replace '%s': %s", fileName.c_str(), reason.c_str());
    ThrowError(kModule, __LINE__, message.c_str());
  }
}

// Scans outside a lattice being received are ignored.
ExportStatus VtkExportFilter::ReceiveScan(const hostfw::TrLatticeScan& scan) {
  if (scansReceived >= expectedScans) return hostfw::ExportStatus_Accepted;
  const hostfw::ScanOrder order{kind == kCurvilinear};
  const std::uint32_t row = order.RowOf(scansReceived);
  if (order.IsCoordinateScan(scansReceived))
    StoreCoordinateRow(scan, row);
  else
    WriteDataRow(scan, row);
  ++scansReceived;
  if (scansReceived == expectedScans) {
    EndArray();
    WriteTail();
    latticeDone = true;
  }
  return ReportProgress();
}

ExportStatus VtkExportFilter::ReportProgress() {
  if (!progress) return hostfw::ExportStatus_Accepted;
  return ReportRows(hostfw::ScanOrder{kind == kCurvilinear}.RowOf(scansReceived), rowCount);
}

// Completes the file of a finished lattice, or removes what an unfinished one left.
ExportStatus VtkExportFilter::EndExportToFile() {
  store.Finish();
  expectedScans = 0;
  const hostbase::ScopeExit stopProgress([this]() noexcept { progress.reset(); });
  const hostbase::ScopeExit dropUnfinished([this]() noexcept { AbandonOutput(); });
  ExportStatus status = hostfw::ExportStatus_Accepted;
  if (latticeDone) {
    if (!file.IsOpen()) ThrowError(kModule, __LINE__, hostfw::ErrCode::ExportFileNotOpen);
    CommitOutput();
  } else if (fileOpened) {
    status = hostfw::ExportStatus_NoLattice;
  }
  fileOpened = false;
  latticeDone = false;
  return status;
}

// ---- Writer ----

// Sizes of the arrays the lattice needs, and for raw arrays their offsets: each is its
// 8-byte size followed by its bytes, in role order.
void VtkExportFilter::PlanArrays(const hostfw::TrLattice& header) {
  for (std::size_t r = 0; r < kRoleCount; ++r) {
    arrays[r] = Array{};
    used[r] = false;
  }
  const std::uint64_t nodes = std::uint64_t{nx} * ny * nz;
  const auto coordSize = static_cast<std::uint64_t>(CPrimType::TypeSize[coordType]);
  used[kValues] = true;
  arrays[kValues].bytes =
      nodes * components * static_cast<std::uint64_t>(CPrimType::TypeSize[header.dataType]);
  if (kind == kRectilinear) {
    used[kXs] = used[kYs] = used[kZs] = true;
    arrays[kXs].bytes = nx * coordSize;
    arrays[kYs].bytes = ny * coordSize;
    arrays[kZs].bytes = nz * coordSize;
  }
  used[kGhost] = blanks;
  arrays[kGhost].bytes = nodes;
  used[kPoints] = kind == kCurvilinear;
  arrays[kPoints].bytes = 3 * nodes * coordSize;
}

// The DataArray element of one appended array; its offset is written now for raw data and
// left as spaces for zlib data, to be filled in at the end.
void VtkExportFilter::ArrayElement(ArrayRole role, const char* type, const std::string& name,
                                   int componentCount, std::string& xml, const char* indent) {
  xml += indent;
  xml += "<DataArray type=\"";
  xml += type;
  xml += "\" Name=\"" + Escaped(name) + "\"";
  if (componentCount != 1) xml += " NumberOfComponents=\"" + std::to_string(componentCount) + "\"";
  xml += " format=\"appended\" offset=\"";
  arrays[role].offsetField = static_cast<std::int64_t>(xml.size());
  std::string digits;
  if (!zlib) {
    std::uint64_t offset = 0;
    for (std::size_t r = 0; r < role; ++r)
      if (used[r]) offset += 8 + arrays[r].bytes;
    digits = std::to_string(offset);
  }
  digits.resize(kOffsetWidth, ' ');
  xml += digits + "\"/>\n";
}

std::string VtkExportFilter::XmlHeader(const hostfw::TrLattice& header) {
  const std::string dataset(vtkxml::kDatasetTypes[kind]);
  std::string extent = "0 " + std::to_string(nx - 1) + " 0 " + std::to_string(ny - 1) + " 0 " +
                       std::to_string(nz - 1);
  std::string xml = "<?xml version=\"1.0\"?>\n<VTKFile type=\"" + dataset +
                    "\" version=\"1.0\" byte_order=\"LittleEndian\" header_type=\"UInt64\"";
  if (zlib) xml += " compressor=\"" + std::string(vtkxml::kZlibCompressor) + "\"";
  xml += ">\n  <" + dataset + " WholeExtent=\"" + extent + "\"";
  if (kind == kUniform) {
    const auto& uniform = static_cast<const hostfw::TrUniformLattice&>(header);
    xml += " Origin=\"" + Number(uniform.origin[0]) + " " + Number(uniform.origin[1]) + " " +
           Number(uniform.origin[2]) + "\" Spacing=\"" + Number(uniform.spacing[0]) + " " +
           Number(uniform.spacing[1]) + " " + Number(uniform.spacing[2]) + "\"";
  }
  xml += ">\n    <Piece Extent=\"" + extent + "\">\n      <PointData Scalars=\"" +
         Escaped(arrayName) + "\">\n";
  const char* inner = "        ";
  const std::string valueType(vtkxml::kTypeNames[header.dataType]);
  ArrayElement(kValues, valueType.c_str(), arrayName, static_cast<int>(components), xml, inner);
  if (used[kGhost])
    ArrayElement(kGhost, "UInt8", std::string(vtkxml::kGhostArrayName), 1, xml, inner);
  xml += "      </PointData>\n      <CellData>\n      </CellData>\n";
  const std::string coordName(vtkxml::kTypeNames[coordType]);
  if (kind == kRectilinear) {
    xml += "      <Coordinates>\n";
    ArrayElement(kXs, coordName.c_str(), "x_coordinates", 1, xml, inner);
    ArrayElement(kYs, coordName.c_str(), "y_coordinates", 1, xml, inner);
    ArrayElement(kZs, coordName.c_str(), "z_coordinates", 1, xml, inner);
    xml += "      </Coordinates>\n";
  } else if (kind == kCurvilinear) {
    xml += "      <Points>\n";
    ArrayElement(kPoints, coordName.c_str(), "Points", 3, xml, inner);
    xml += "      </Points>\n";
  }
  xml += "    </Piece>\n  </" + dataset + ">\n  <AppendedData encoding=\"raw\">\n   ";
  xml += vtkxml::kAppendedMarker;
  return xml;
}

void VtkExportFilter::WriteAxis(ArrayRole role, const void* coords, int count) {
  const auto size = static_cast<std::size_t>(CPrimType::TypeSize[coordType]);
  rowBuffer.resize(std::size_t(count) * size);
  CPrimType::CastArray(sourceCoordType, coords, coordType, rowBuffer.data(), std::size_t(count), 1);
  ToFileOrder(rowBuffer.data(), std::size_t(count), static_cast<int>(size));
  BeginArray(role);
  AddBytes(rowBuffer.data(), rowBuffer.size());
  EndArray();
}

// Raw: the array's byte count. Zlib: room for its block header, filled in at the end.
void VtkExportFilter::BeginArray(ArrayRole role) {
  current = role;
  Array& array = arrays[role];
  array.start = file.GetPosition();
  unsigned char field[8];
  if (!zlib) {
    PutUInt64(field, array.bytes);
    file.Write(field, sizeof field);
    return;
  }
  const std::uint64_t blockCount = (array.bytes + vtkxml::kBlockSize - 1) / vtkxml::kBlockSize;
  array.blocks.clear();
  array.blocks.reserve(blockCount);
  std::memset(field, 0, sizeof field);
  for (std::uint64_t i = 0; i < vtkxml::kBlockHeaderFields + blockCount; ++i)
    file.Write(field, sizeof field);
  block.clear();
  block.reserve(vtkxml::kBlockSize);
}

void VtkExportFilter::AddBytes(const void* bytes, std::size_t count) {
  if (!zlib) {
    file.Write(bytes, count);
    return;
  }
  const auto* source = static_cast<const unsigned char*>(bytes);
  while (count != 0) {
    const std::size_t take = std::min(count, vtkxml::kBlockSize - block.size());
    block.insert(block.end(), source, source + take);
    source += take;
    count -= take;
    if (block.size() == vtkxml::kBlockSize) CompressBlock();
  }
}

void VtkExportFilter::CompressBlock() {
  compressed.resize(compressBound(static_cast<uLong>(block.size())));
  auto length = static_cast<uLongf>(compressed.size());
  if (compress2(compressed.data(), &length, block.data(), static_cast<uLong>(block.size()),
                kZlibLevel) != Z_OK)
    ThrowError(kModule, __LINE__, "zlib could not compress a block.");
  file.Write(compressed.data(), length);
  arrays[current].blocks.push_back(length);
  block.clear();
}

void VtkExportFilter::EndArray() {
  if (zlib && !block.empty()) CompressBlock();
}

void VtkExportFilter::WriteDataRow(const hostfw::TrLatticeScan& scan, std::uint32_t row) {
  const std::size_t values = std::size_t{nx} * components;
  const int size = CPrimType::TypeSize[dataType];
  const std::size_t bytes = values * static_cast<std::size_t>(size);
  if (scan.data == nullptr || scan.GetSize() < bytes) {
    std::string message;
    hostbase::FormatString(
        message, "Lattice scan %u holds %zu bytes, fewer than the %zu bytes of a row.",
        scansReceived, scan.data != nullptr ? scan.GetSize() : std::size_t{0}, bytes);
    ThrowError(kModule, __LINE__, message.c_str());
  }
  if constexpr (std::endian::native == std::endian::little) {
    AddBytes(scan.data, bytes);
  } else {
    compressed.resize(bytes);
    hostaux::ByteSwapCopy(compressed.data(), scan.data, values, size);
    AddBytes(compressed.data(), bytes);
  }
  if (!blanks) return;
  rowBuffer.resize(nx);
  MarkHiddenOfType(dataType, scan.data, nx, components, blankValue, rowBuffer.data());
  store.WriteRowOfMultiComponentData(static_cast<int>(row % ny), static_cast<int>(row / ny),
                                     rowBuffer.data());
}

void VtkExportFilter::StoreCoordinateRow(const hostfw::TrLatticeScan& scan, std::uint32_t row) {
  const std::size_t coords = std::size_t{nx} * 3;
  const std::size_t bytes = coords * static_cast<std::size_t>(CPrimType::TypeSize[sourceCoordType]);
  if (scan.data == nullptr || scan.GetSize() < bytes) {
    std::string message;
    hostbase::FormatString(
        message, "Lattice scan %u holds %zu bytes, fewer than the %zu bytes of a row.",
        scansReceived, scan.data != nullptr ? scan.GetSize() : std::size_t{0}, bytes);
    ThrowError(kModule, __LINE__, message.c_str());
  }
  rowBuffer.resize(coords * static_cast<std::size_t>(CPrimType::TypeSize[coordType]));
  CPrimType::CastArray(sourceCoordType, scan.data, coordType, rowBuffer.data(), coords, 1);
  ToFileOrder(rowBuffer.data(), coords, CPrimType::TypeSize[coordType]);
  store.WriteRowOfXYZ(static_cast<int>(row % ny), static_cast<int>(row / ny), rowBuffer.data());
}

// The ghost and point arrays from the row store, and the end of the file.
void VtkExportFilter::WriteTail() {
  if (used[kGhost]) {
    BeginArray(kGhost);
    rowBuffer.resize(std::max<std::size_t>(rowBuffer.size(), store.GetDataScanlineSize()));
    for (std::uint32_t z = 0; z < nz; ++z)
      for (std::uint32_t y = 0; y < ny; ++y) {
        store.ReadRowOfMultiComponentData(static_cast<int>(y), static_cast<int>(z),
                                          rowBuffer.data());
        AddBytes(rowBuffer.data(), nx);
      }
    EndArray();
  }
  if (used[kPoints]) {
    BeginArray(kPoints);
    const std::size_t rowBytes = store.GetXYZScanlineSize();
    rowBuffer.resize(std::max(rowBuffer.size(), rowBytes));
    for (std::uint32_t z = 0; z < nz; ++z)
      for (std::uint32_t y = 0; y < ny; ++y) {
        store.ReadRowOfXYZ(static_cast<int>(y), static_cast<int>(z), rowBuffer.data());
        AddBytes(rowBuffer.data(), rowBytes);
      }
    EndArray();
  }
  store.Finish();
  static constexpr char kEnd[] = "\n  </AppendedData>\n</VTKFile>\n";
  file.Write(kEnd, sizeof kEnd - 1);
}

// Fills in the offsets and block headers of a closed zlib file.
void VtkExportFilter::PatchCompressedLayout() {
  std::fstream patch(output.WritePath(), std::ios::in | std::ios::out | std::ios::binary);
  std::vector<unsigned char> table;
  for (std::size_t r = 0; r < kRoleCount && patch; ++r) {
    if (!used[r]) continue;
    const Array& array = arrays[r];
    const std::string offset = std::to_string(array.start - appendedStart);
    patch.seekp(array.offsetField);
    patch.write(offset.data(), static_cast<std::streamsize>(offset.size()));
    table.assign(8 * (vtkxml::kBlockHeaderFields + array.blocks.size()), 0);
    PutUInt64(table.data(), array.blocks.size());
    PutUInt64(table.data() + 8, vtkxml::kBlockSize);
    PutUInt64(table.data() + 16, array.bytes % vtkxml::kBlockSize);
    for (std::size_t b = 0; b < array.blocks.size(); ++b)
      PutUInt64(table.data() + 8 * (vtkxml::kBlockHeaderFields + b), array.blocks[b]);
    patch.seekp(array.start);
    patch.write(reinterpret_cast<const char*>(table.data()),
                static_cast<std::streamsize>(table.size()));
  }
  patch.close();
  if (patch.fail()) {
    std::string message;
    hostbase::FormatString(message, "Cannot complete the compressed file for '%s'.",
                           fileName.c_str());
    ThrowError(kModule, __LINE__, message.c_str());
  }
}
