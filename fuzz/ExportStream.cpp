// Decodes transfer objects for the export fuzz target.
#include "fuzz/ExportStream.h"

#include <algorithm>
#include <cstring>

#include "hostbase/PrimType.h"

namespace latfuzz {
namespace {

using hostbase::CPrimType;

// Mostly 1..24, sometimes a count outside the contract (-2..5 from the low bytes).
std::int32_t DecodeCount(FuzzBytes& in, std::int32_t largest) {
  const std::uint8_t b = in.Byte();
  if (b < 8) return static_cast<std::int32_t>(b) - 2;
  return 1 + b % largest;
}

// A known type code, now and then an unknown one.
std::int32_t DecodeType(FuzzBytes& in) {
  static constexpr std::int32_t kUnknown[] = {-1, 9, 1000};
  const std::uint8_t b = in.Byte() % 12;
  return b < 9 ? b : kUnknown[b - 9];
}

// A small whole number, or eight bytes of the input as a double (NaN and infinities too).
double DecodeReal(FuzzBytes& in) {
  const std::uint8_t b = in.Byte();
  if (b < 200) return static_cast<double>(b) - 100.0;
  return in.Double();
}

void FillFrom(FuzzBytes& in, void* destination, std::size_t bytes) {
  const std::string_view taken = in.Take(bytes);
  if (!taken.empty()) std::memcpy(destination, taken.data(), taken.size());
}

// Axis coordinates of a rectilinear header: decoded, stored in its coordinate type, and
// remembered as the floats the file will hold.
void FillAxes(FuzzBytes& in, hostfw::TrRectilinearLattice& header, SentHeader& sent) {
  void* const axes[3] = {header.xCoords, header.yCoords, header.zCoords};
  const std::int32_t counts[3] = {header.nx, header.ny, header.nz};
  const std::size_t size = static_cast<std::size_t>(CPrimType::TypeSize[header.coordType]);
  for (int a = 0; a < 3; ++a) {
    auto* bytes = static_cast<unsigned char*>(axes[a]);
    for (std::int32_t i = 0; i < counts[a]; ++i) {
      const double value = DecodeReal(in);
      CPrimType::CastArray(CPrimType::Double, &value, header.coordType, bytes + i * size, 1, 1);
      float written = 0.0f;
      CPrimType::CastArray(header.coordType, bytes + i * size, CPrimType::Float, &written, 1, 1);
      sent.axes.push_back(written);
    }
  }
}

std::unique_ptr<hostfw::TrLattice> MakeHeader(FuzzBytes& in, SentHeader& s) {
  if (s.kind == 0) {
    auto u =
        std::make_unique<hostfw::TrUniformLattice>(s.dataType, s.nx, s.ny, s.nz, s.numComponents);
    for (int a = 0; a < 3; ++a) {
      u->origin[a] = DecodeReal(in);
      u->spacing[a] = DecodeReal(in);
    }
    return u;
  }
  if (s.kind == 1) {
    auto r = std::make_unique<hostfw::TrRectilinearLattice>(s.coordType, s.dataType, s.nx, s.ny,
                                                            s.nz, s.numComponents);
    if (s.Valid()) FillAxes(in, *r, s);
    return r;
  }
  return std::make_unique<hostfw::TrCurvilinearLattice>(s.coordType, s.dataType, s.nx, s.ny, s.nz,
                                                        s.numComponents);
}

}  // namespace

bool SentHeader::Valid() const {
  const bool counts = nx >= 1 && ny >= 1 && nz >= 1 && numComponents >= 1;
  return counts && CPrimType::IsValid(dataType) && CPrimType::IsValid(coordType);
}

std::size_t SentHeader::ScanBytes(std::int64_t scan) const {
  const auto columns = static_cast<std::size_t>(nx);
  if (kind == 2 && scan % 2 == 0)
    return columns * 3 * static_cast<std::size_t>(CPrimType::TypeSize[coordType]);
  return columns * static_cast<std::size_t>(numComponents) *
         static_cast<std::size_t>(CPrimType::TypeSize[dataType]);
}

std::unique_ptr<hostfw::TrLattice> DecodeHeader(FuzzBytes& in, SentHeader& sent) {
  sent = SentHeader{};
  sent.kind = in.Byte() % 3;
  sent.nx = DecodeCount(in, 24);
  sent.ny = DecodeCount(in, 24);
  sent.nz = DecodeCount(in, 6);
  sent.numComponents = DecodeCount(in, 4);
  sent.dataType = DecodeType(in);
  if (sent.kind != 0) sent.coordType = DecodeType(in);
  std::unique_ptr<hostfw::TrLattice> header = MakeHeader(in, sent);
  header->flags = in.Byte();
  sent.blanks = (header->flags & hostfw::TrLattice::kFlagMayHaveBlanks) != 0;
  header->blankValue = DecodeReal(in);
  header->scanMode = in.Int();
  header->scanParam = in.Int();
  const std::uint8_t ranges = in.Byte() % 6;
  for (std::uint8_t i = 0; i < ranges; ++i) {
    header->componentMin.push_back(DecodeReal(in));
    header->componentMax.push_back(DecodeReal(in));
  }
  return header;
}

std::unique_ptr<hostfw::TrLatticeScan> DecodeScan(FuzzBytes& in, std::size_t bytes) {
  auto scan = std::make_unique<hostfw::TrLatticeScan>(static_cast<int>(bytes));
  if (bytes != 0) FillFrom(in, scan->data, bytes);
  return scan;
}

const hostbase::CTypeInfo* OtherObject::GetTypeId() const {
  return hostfw::TrBase::GetClassTypeId();
}

int WrittenType(int dataType) {
  static constexpr int kWritten[CPrimType::kTypeCount] = {0, 2, 2, 4, 4, 8, 8, 7, 8};
  return CPrimType::IsValid(dataType) ? kWritten[dataType] : -1;
}

}  // namespace latfuzz
