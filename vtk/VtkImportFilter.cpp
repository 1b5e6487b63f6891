// The VTK import filter's structure: recognition, the file's elements from <VTKFile> to
// the appended data, and the lattices assembled from the pieces and handed to the host.
#include "vtk/VtkImportFilter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "formats/VtkXmlFormat.h"
#include "hostaux/Options.h"
#include "hostbase/Path.h"
#include "hostbase/PrimType.h"
#include "hostbase/Text.h"
#include "hostfw/IoManager.h"
#include "hostfw/Progress.h"

namespace {

constexpr const char* kModule = "VtkImportFilter";
constexpr const char* kReadMode = "rb";
constexpr int kSharing = 3;
constexpr std::size_t kRecognitionBytes = 1024;

using hostbase::CPrimType;
using hostfw::ImportStatus;

enum Section { kNoSection, kPointData, kCellData, kCoordinates, kPoints, kOtherData };

// Whitespace-separated numbers of an attribute; false unless there are exactly `count`.
template <class T>
bool ParseNumbers(const std::string* text, T* out, int count) {
  if (text == nullptr) return false;
  const char* p = text->data();
  const char* end = p + text->size();
  for (int i = 0; i < count; ++i) {
    while (p != end && std::strchr(" \t\r\n", *p) != nullptr) ++p;
    const auto result = std::from_chars(p, end, out[i]);
    if (result.ec != std::errc() || result.ptr == p) return false;
    p = result.ptr;
  }
  while (p != end && std::strchr(" \t\r\n", *p) != nullptr) ++p;
  return p == end;
}

// The value that marks hidden nodes: NaN for floating types, the lowest value otherwise.
double BlankValueOf(int type) {
  if (!CPrimType::IsInteger(type)) return std::numeric_limits<double>::quiet_NaN();
  return hostbase::CPrimData::GetWideReal(type, hostbase::CPrimData::PrimMin(type).GetDataPtr());
}

}  // namespace

VtkImportFilter::VtkImportFilter(hostfw::IoManager& manager) noexcept
    : hostfw::IoImportFilter(manager) {}

VtkImportFilter::~VtkImportFilter() = default;

void VtkImportFilter::SetOptions(const char* /*options*/) {}

std::string VtkImportFilter::GetOptionsInStringForm() {
  return {};
}

bool VtkImportFilter::IsObjectTypeSupported(const hostbase::CTypeInfo* type) {
  return hostfw::IsLatticeObjectType(type);
}

bool VtkImportFilter::GetStringOption(const char* options, const char* key, std::string& value) {
  return hostaux::CommonGetStringOption(options, key, ',', value);
}

// A '<' first (after a byte-order mark and blanks) and a <VTKFile element near the start.
bool VtkImportFilter::CanImportFile(const char* filePath) {
  hostbase::CBufferedFile probe;
  if (!probe.OpenNoThrow(filePath, kReadMode, kSharing, false)) return false;
  char text[kRecognitionBytes + 1];
  const std::size_t count = probe.Read(text, kRecognitionBytes);
  text[count] = '\0';
  std::size_t first = std::strncmp(text, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
  while (first < count && std::strchr(" \t\r\n", text[first]) != nullptr) ++first;
  return first < count && text[first] == '<' && std::strstr(text, "<VTKFile") != nullptr;
}

ImportStatus VtkImportFilter::ImportFromFile(const char* filePath) {
  file.reset();
  arrays.clear();
  pieces.clear();
  cellArrays.clear();
  appendedStart = -1;
  file = std::make_unique<hostbase::CBufferedFile>(filePath, kReadMode, kSharing, false);
  path = file->GetFilePath();
  hostfw::CProgress report(GetManager(), nullptr, true, true);
  if (!report.MessageVA("Importing VTK XML file %s", hostbase::CPath::GetNamePtr(filePath)))
    return hostfw::ImportStatus_Stopped;
  VtkXmlReader xml(*file, *this);
  ReadFileElement(xml);
  if (!cellArrays.empty()) {
    std::string names;
    for (const std::string& name : cellArrays) names += (names.empty() ? "'" : ", '") + name + "'";
    Warning(hostbase::IError::WarnStyle_Warning,
            ("Cell data is not imported; skipped the arrays " + names + ".").c_str());
  }
  return SendLattices();
}

void VtkImportFilter::ReadFileElement(VtkXmlReader& xml) {
  VtkXmlReader::Tag tag;
  if (!xml.NextTag(tag) || tag.closing || tag.name != "VTKFile")
    ThrowError(kModule, __LINE__, hostfw::ErrCode::NotLatFile, path);
  const std::string* type = tag.Find("type");
  if (type == nullptr) ThrowError(kModule, __LINE__, hostfw::ErrCode::NotLatFile, path);
  const auto* found =
      std::find(vtkxml::kDatasetTypes, vtkxml::kDatasetTypes + vtkxml::kKindCount, *type);
  if (found == vtkxml::kDatasetTypes + vtkxml::kKindCount)
    ThrowError(kModule, __LINE__, hostfw::ErrCode::UnsupportedFeature, kFormatName,
               "dataset type '" + *type + "'", path);
  kind = static_cast<int>(found - vtkxml::kDatasetTypes);
  const std::string* order = tag.Find("byte_order");
  bigEndian = order != nullptr && *order == "BigEndian";
  if (order != nullptr && !bigEndian && *order != "LittleEndian") xml.Fail(__LINE__);
  const std::string* header = tag.Find("header_type");
  headerSize = header != nullptr && *header == "UInt64" ? 8 : 4;
  if (header != nullptr && *header != "UInt64" && *header != "UInt32")
    ThrowError(kModule, __LINE__, hostfw::ErrCode::UnsupportedFeature, kFormatName,
               "header type '" + *header + "'", path);
  const std::string* compressor = tag.Find("compressor");
  zlib = compressor != nullptr && !compressor->empty();
  if (zlib && *compressor != vtkxml::kZlibCompressor)
    ThrowError(kModule, __LINE__, hostfw::ErrCode::UnsupportedFeature, kFormatName,
               "compressor '" + *compressor + "'", path);
  ReadDataset(xml);
}

VtkImportFilter::Extent VtkImportFilter::ParseExtent(VtkXmlReader& xml,
                                                     const std::string* text) const {
  std::int64_t values[6];
  if (!ParseNumbers(text, values, 6)) xml.Fail(__LINE__);
  Extent extent;
  for (int a = 0; a < 3; ++a) {
    extent.lo[a] = values[2 * a];
    extent.hi[a] = values[2 * a + 1];
    constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
    if (extent.lo[a] < -kLimit || extent.hi[a] > kLimit || extent.hi[a] < extent.lo[a] ||
        extent.Count(a) > kLimit)
      xml.Fail(__LINE__);
  }
  return extent;
}

void VtkImportFilter::ReadDataset(VtkXmlReader& xml) {
  const std::string_view dataset = vtkxml::kDatasetTypes[kind];
  VtkXmlReader::Tag tag;
  int section = kNoSection;
  bool sawDataset = false;
  while (xml.NextTag(tag)) {
    const std::string& name = tag.name;
    if (tag.closing) {
      if (name == "VTKFile") break;
      if (name == "PointData" || name == "CellData" || name == "Coordinates" || name == "Points" ||
          name == "FieldData")
        section = kNoSection;
      continue;
    }
    if (name == dataset) {
      // One dataset: a second would move the whole extent under the pieces checked so far.
      if (sawDataset) xml.Fail(__LINE__);
      whole = ParseExtent(xml, tag.Find("WholeExtent"));
      if (kind == 0 && tag.Find("Origin") != nullptr &&
          !ParseNumbers(tag.Find("Origin"), origin, 3))
        xml.Fail(__LINE__);
      if (kind == 0 && tag.Find("Spacing") != nullptr &&
          !ParseNumbers(tag.Find("Spacing"), spacing, 3))
        xml.Fail(__LINE__);
      sawDataset = true;
    } else if (name == "Piece") {
      if (!sawDataset) xml.Fail(__LINE__);
      const Extent piece = ParseExtent(xml, tag.Find("Extent"));
      for (int a = 0; a < 3; ++a)
        if (piece.lo[a] < whole.lo[a] || piece.hi[a] > whole.hi[a])
          ThrowError(kModule, __LINE__, hostfw::ErrCode::UnsupportedFeature, kFormatName,
                     "piece " + std::to_string(pieces.size() + 1) + " (line " +
                         std::to_string(xml.Line()) + ") outside the whole extent",
                     path);
      pieces.push_back(piece);
    } else if (!tag.empty && (name == "PointData" || name == "CellData" || name == "Coordinates" ||
                              name == "Points" || name == "FieldData")) {
      section = name == "PointData"     ? kPointData
                : name == "CellData"    ? kCellData
                : name == "Coordinates" ? kCoordinates
                : name == "Points"      ? kPoints
                                        : kOtherData;
    } else if (name == "DataArray") {
      ReadDataArray(xml, tag, section);
    } else if (name == "AppendedData") {
      ReadAppended(xml, tag);
      break;
    }
  }
  if (!sawDataset || pieces.empty()) xml.Fail(__LINE__);
  if (appendedStart < 0)
    for (const Array& array : arrays)
      if (array.encoding == Encoding::Appended) xml.Fail(__LINE__);
}

void VtkImportFilter::ReadDataArray(VtkXmlReader& xml, const VtkXmlReader::Tag& tag, int section) {
  const std::string* name = tag.Find("Name");
  if (section == kCellData) cellArrays.push_back(name != nullptr ? *name : "");
  if (section == kNoSection || section == kCellData || section == kOtherData) return;
  if (pieces.empty()) xml.Fail(__LINE__);
  Array array;
  array.piece = pieces.size() - 1;
  array.name = name != nullptr ? *name : "";
  if (section == kPointData)
    array.role = array.name == vtkxml::kGhostArrayName ? Role::Ghost : Role::Values;
  if (section == kPoints) array.role = Role::Points;
  int axis = 0;
  if (section == kCoordinates) {
    for (const Array& other : arrays)
      if (other.piece == array.piece && other.role >= Role::XAxis && other.role <= Role::ZAxis)
        ++axis;
    if (axis > 2) xml.Fail(__LINE__);
    array.role = static_cast<Role>(static_cast<int>(Role::XAxis) + axis);
  }
  const std::string* type = tag.Find("type");
  if (type == nullptr) xml.Fail(__LINE__);
  const auto* known =
      std::find(vtkxml::kTypeNames, vtkxml::kTypeNames + vtkxml::kHostTypeCount, *type);
  array.wideUnsigned = *type == "UInt64";
  if (known == vtkxml::kTypeNames + vtkxml::kHostTypeCount && !array.wideUnsigned)
    ThrowError(kModule, __LINE__, hostfw::ErrCode::UnsupportedFeature, kFormatName,
               "data type '" + *type + "'", path);
  array.type =
      array.wideUnsigned ? CPrimType::Double : static_cast<int>(known - vtkxml::kTypeNames);
  const std::string* components = tag.Find("NumberOfComponents");
  if (components != nullptr &&
      (!ParseNumbers(components, &array.components, 1) || array.components < 1))
    xml.Fail(__LINE__);
  const bool single = array.role == Role::Ghost || array.role >= Role::XAxis;
  if ((single && array.role != Role::Points && array.components != 1) ||
      (array.role == Role::Points && array.components != 3) ||
      (array.role == Role::Ghost && array.type != CPrimType::UInt8))
    xml.Fail(__LINE__);
  const Extent& piece = pieces.back();
  const std::int64_t nodes =
      array.role >= Role::XAxis && array.role <= Role::ZAxis ? piece.Count(axis) : piece.Nodes();
  if (__builtin_mul_overflow(nodes, std::int64_t{array.components}, &array.count))
    ThrowBadData(__LINE__);
  const std::string* format = tag.Find("format");
  if (format != nullptr && *format == "appended") {
    array.encoding = Encoding::Appended;
    if (!ParseNumbers(tag.Find("offset"), &array.offset, 1)) xml.Fail(__LINE__);
  } else if (format != nullptr && (*format == "ascii" || *format == "binary")) {
    if (tag.empty) xml.Fail(__LINE__);
    if (*format == "ascii") {
      ReadAscii(xml, array);
    } else {
      array.encoding = Encoding::Base64;
      Base64Reader base64([&xml]() { return xml.TextByte(); });
      ReadBinary(
          array, [&base64](void* to, std::size_t n) { return base64.Read(to, n); }, true);
    }
  } else {
    xml.Fail(__LINE__);
  }
  arrays.push_back(std::move(array));
}

// Reads every appended array, in the order of their offsets.
void VtkImportFilter::ReadAppended(VtkXmlReader& xml, const VtkXmlReader::Tag& tag) {
  const std::string* encoding = tag.Find("encoding");
  if (encoding == nullptr || (*encoding != "raw" && *encoding != "base64")) xml.Fail(__LINE__);
  int c = xml.TextByte();
  while (c == ' ' || c == '\t' || c == '\r' || c == '\n') c = xml.TextByte();
  if (c != vtkxml::kAppendedMarker) xml.Fail(__LINE__);
  appendedStart = file->GetPosition();
  std::vector<Array*> order;
  for (Array& array : arrays)
    if (array.encoding == Encoding::Appended) order.push_back(&array);
  std::stable_sort(order.begin(), order.end(),
                   [](const Array* a, const Array* b) { return a->offset < b->offset; });
  std::vector<unsigned char> skipped;
  for (Array* array : order) {
    const std::int64_t here = file->GetPosition() - appendedStart;
    if (array->offset > static_cast<std::uint64_t>(file->GetLength()) ||
        static_cast<std::int64_t>(array->offset) < here)
      ThrowBadData(__LINE__);
    for (auto skip = static_cast<std::int64_t>(array->offset) - here; skip > 0;) {
      skipped.resize(std::min<std::int64_t>(skip, std::int64_t{1} << 16));
      if (file->Read(skipped.data(), skipped.size()) != skipped.size()) ThrowBadData(__LINE__);
      skip -= static_cast<std::int64_t>(skipped.size());
    }
    if (*encoding == "raw") {
      ReadBinary(
          *array, [this](void* to, std::size_t n) { return file->Read(to, n); }, false);
    } else {
      Base64Reader base64([this]() { return file->Getc(); });
      ReadBinary(
          *array, [&base64](void* to, std::size_t n) { return base64.Read(to, n); }, true);
    }
  }
}

// ---- Lattices ----

ImportStatus VtkImportFilter::SendLattices() {
  std::vector<Array*> ghostParts, coordParts[4];
  std::vector<std::string> names;
  for (Array& array : arrays) {
    if (array.role == Role::Ghost) ghostParts.push_back(&array);
    if (array.role >= Role::XAxis)
      coordParts[static_cast<int>(array.role) - static_cast<int>(Role::XAxis)].push_back(&array);
    if (array.role == Role::Values &&
        std::find(names.begin(), names.end(), array.name) == names.end())
      names.push_back(array.name);
  }
  // A file of geometry alone (or of cell data alone) has no lattice to give.
  if (names.empty())
    ThrowError(kModule, __LINE__, hostfw::ErrCode::UnsupportedFeature, kFormatName,
               "a file without a point-data array", path);
  Array ghost;
  if (!ghostParts.empty()) Assemble(ghostParts, ghost, false, 0);
  // Axes x, y, z of a rectilinear grid, or the points of a structured one.
  Array coordWholes[3];
  std::vector<Array*> coords;
  if (kind == 1)
    for (int a = 0; a < 3; ++a) {
      Assemble(coordParts[a], coordWholes[a], true, a);
      coords.push_back(&coordWholes[a]);
    }
  if (kind == 2) {
    Assemble(coordParts[3], coordWholes[0], false, 0);
    coords.push_back(&coordWholes[0]);
  }
  for (const std::string& name : names) {
    std::vector<Array*> parts;
    for (Array& array : arrays)
      if (array.role == Role::Values && array.name == name) parts.push_back(&array);
    Array values;
    Assemble(parts, values, false, 0);
    const ImportStatus status = SendLattice(values, ghostParts.empty() ? nullptr : &ghost, coords);
    if (status != hostfw::ImportStatus_Complete) return status;
  }
  return hostfw::ImportStatus_Complete;
}

std::unique_ptr<hostfw::TrLattice> VtkImportFilter::MakeHeader(const Array& values,
                                                               std::vector<Array*>& coords) {
  const auto nx = static_cast<int>(whole.Count(0)), ny = static_cast<int>(whole.Count(1)),
             nz = static_cast<int>(whole.Count(2));
  bool floats = true;
  for (const Array* axis : coords) floats = floats && axis->type == CPrimType::Float;
  const int coordType = floats ? CPrimType::Float : CPrimType::Double;
  if (kind == 0) {
    auto header =
        std::make_unique<hostfw::TrUniformLattice>(values.type, nx, ny, nz, values.components);
    for (int a = 0; a < 3; ++a) {
      header->origin[a] = origin[a] + static_cast<double>(whole.lo[a]) * spacing[a];
      header->spacing[a] = spacing[a];
    }
    return header;
  }
  if (kind == 2)
    return std::make_unique<hostfw::TrCurvilinearLattice>(coordType, values.type, nx, ny, nz,
                                                          values.components);
  auto header = std::make_unique<hostfw::TrRectilinearLattice>(coordType, values.type, nx, ny, nz,
                                                               values.components);
  void* axes[3] = {header->xCoords, header->yCoords, header->zCoords};
  for (int a = 0; a < 3; ++a)
    CPrimType::CastArray(coords[a]->type, coords[a]->bytes.Data(), coordType, axes[a],
                         static_cast<std::size_t>(coords[a]->count), 1);
  return header;
}

ImportStatus VtkImportFilter::SendLattice(Array& values, const Array* ghost,
                                          std::vector<Array*>& coords) {
  std::unique_ptr<hostfw::TrLattice> header = MakeHeader(values, coords);
  const auto nx = static_cast<std::size_t>(header->nx);
  const std::size_t components = static_cast<std::size_t>(values.components);
  const int size = CPrimType::TypeSize[values.type];
  const unsigned char* hidden = nullptr;
  if (ghost != nullptr &&
      std::any_of(ghost->bytes.Data(), ghost->bytes.Data() + ghost->bytes.Size(),
                  [](unsigned char g) { return (g & vtkxml::kHiddenPoint) != 0; })) {
    header->flags = hostfw::TrLattice::kFlagMayHaveBlanks;
    header->blankValue = BlankValueOf(values.type);
    hidden = ghost->bytes.Data();
  }
  std::string info;
  // Labelled as the LAT import's summaries are, so hosts read both alike.
  hostbase::FormatString(info,
                         "%s:\t%s\r\nFormat:\t%s\r\nDataset:\t%s\r\nArray:\t%s\r\nSamples per "
                         "pixel:\t%d\r\nSize:\t%d rows x %d columns x %d planes\r\n",
                         kind == 0 ? "Name" : "Filename", hostbase::CPath::GetNamePtr(path.c_str()),
                         kFormatName,
                         std::string(vtkxml::kDatasetTypes[kind]).c_str(), values.name.c_str(),
                         values.components, header->ny, header->nx, header->nz);
  header->params.Set(hostbase::GString(hostfw::TrLattice::kInfoKey), info.c_str());
  if (!ImportObject(*header)) return hostfw::ImportStatus_Stopped;

  hostfw::TrLatticeScan scan(*header);
  const int coordType =
      kind == 2 ? static_cast<hostfw::TrCurvilinearLattice&>(*header).coordType : CPrimType::Float;
  hostfw::TrLatticeScan coordScan(
      kind == 2 ? static_cast<int>(nx * 3) * CPrimType::TypeSize[coordType] : 0);
  const std::size_t rowBytes = nx * components * static_cast<std::size_t>(size);
  const std::int64_t rows = std::int64_t{header->ny} * header->nz;
  // A hidden node's values, made once: the blank value in every component.
  std::vector<unsigned char> blankNode(components * static_cast<std::size_t>(size));
  hostbase::DispatchPrimType(values.type, [&](auto tag) {
    using T = typename decltype(tag)::type;
    const T blank = static_cast<T>(header->blankValue);
    for (std::size_t c = 0; c < components; ++c)
      std::memcpy(blankNode.data() + c * sizeof(T), &blank, sizeof(T));
  });
  for (std::int64_t r = 0; r < rows; ++r) {
    const auto row = static_cast<std::size_t>(r);
    if (kind == 2) {
      const Array& points = *coords[0];
      const std::size_t pointBytes =
          nx * 3 * static_cast<std::size_t>(CPrimType::TypeSize[points.type]);
      CPrimType::CastArray(points.type, points.bytes.Data() + row * pointBytes, coordType,
                           coordScan.data, nx * 3, 1);
      if (!ImportObject(coordScan)) return hostfw::ImportStatus_Stopped;
    }
    auto* out = static_cast<unsigned char*>(scan.data);
    std::memcpy(out, values.bytes.Data() + row * rowBytes, rowBytes);
    for (std::size_t n = 0; hidden != nullptr && n < nx; ++n) {
      if ((hidden[row * nx + n] & vtkxml::kHiddenPoint) == 0) continue;
      std::memcpy(out + n * blankNode.size(), blankNode.data(), blankNode.size());
    }
    if (!ImportObject(scan)) return hostfw::ImportStatus_Stopped;
    if (r % kRowsPerReport == 0 &&
        !GetManager().ProgressProportion(static_cast<double>(r) / static_cast<double>(rows)))
      return hostfw::ImportStatus_Stopped;
  }
  return ImportEnd();
}
