// The VTK import's arrays: ascii numbers, base64 text, raw bytes and zlib blocks decoded
// into the machine's order, and the pieces of one array joined into the whole extent.
// Every size a file claims is checked against the bytes it has left before anything is
// allocated for it.
#include <zlib.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <limits>

#include "formats/VtkXmlFormat.h"
#include "hostaux/ByteOrder.h"
#include "hostbase/PrimType.h"
#include "vtk/VtkImportFilter.h"

namespace {

constexpr const char* kModule = "VtkImportData";
// zlib never shrinks data by more than this (its deflate limit is about 1032:1).
constexpr std::uint64_t kMaxZlibRatio = 1100;
constexpr std::uint64_t kMaxBlockSize = std::uint64_t{1} << 30;
constexpr std::size_t kMaxToken = 64;

using hostbase::CPrimType;

int Base64Value(int c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

template <class T>
bool ParseValue(const char* begin, const char* end, unsigned char* out) {
  T value{};
  const auto result = std::from_chars(begin, end, value);
  if (result.ec != std::errc() || result.ptr != end) return false;
  std::memcpy(out, &value, sizeof(T));
  return true;
}

bool ParseOfType(int type, bool wideUnsigned, const char* begin, const char* end,
                 unsigned char* out) {
  if (wideUnsigned) return ParseValue<std::uint64_t>(begin, end, out);
  bool parsed = false;
  hostbase::DispatchPrimType(type, [&](auto tag) {
    parsed = ParseValue<typename decltype(tag)::type>(begin, end, out);
  });
  return parsed;
}

}  // namespace

std::size_t Base64Reader::Read(void* destination, std::size_t count) {
  auto* out = static_cast<unsigned char*>(destination);
  std::size_t done = 0;
  while (done < count) {
    if (taken_ < have_) {
      const std::size_t n =
          std::min<std::size_t>(count - done, static_cast<std::size_t>(have_ - taken_));
      std::memcpy(out + done, group_ + taken_, n);
      taken_ += static_cast<int>(n);
      done += n;
      continue;
    }
    // The next group of four characters: three bytes, fewer with padding.
    int values[4];
    int filled = 0, padding = 0;
    while (filled < 4) {
      const int c = next_();
      if (c < 0) return done;
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
      if (c == '=') {
        ++padding;
        values[filled++] = 0;
        continue;
      }
      const int v = Base64Value(c);
      if (v < 0 || padding != 0) return done;
      values[filled++] = v;
    }
    if (padding > 2) return done;
    const std::uint32_t bits = (std::uint32_t(values[0]) << 18) | (std::uint32_t(values[1]) << 12) |
                               (std::uint32_t(values[2]) << 6) | std::uint32_t(values[3]);
    group_[0] = static_cast<unsigned char>(bits >> 16);
    group_[1] = static_cast<unsigned char>(bits >> 8);
    group_[2] = static_cast<unsigned char>(bits);
    have_ = 3 - padding;
    taken_ = 0;
  }
  return done;
}

void VtkImportFilter::ThrowBadData(int line) const {
  ThrowError(kModule, line, hostfw::ErrCode::BadBinaryData, file->GetPosition(), path);
}

// Refuses an array of `bytes` that the rest of the file cannot hold in its encoding.
void VtkImportFilter::CheckCapacity(const Array& array, std::int64_t bytes, bool base64) const {
  std::uint64_t left = static_cast<std::uint64_t>(file->GetLength() - file->GetPosition());
  if (array.encoding == Encoding::Ascii) {
    if (static_cast<std::uint64_t>(array.count) > left / 2 + 1) ThrowBadData(__LINE__);
    return;
  }
  if (base64) left = left / 4 * 3 + 3;
  if (zlib && left < std::numeric_limits<std::uint64_t>::max() / kMaxZlibRatio)
    left = left * kMaxZlibRatio + vtkxml::kBlockSize;
  if (static_cast<std::uint64_t>(bytes) > left) ThrowBadData(__LINE__);
}

void VtkImportFilter::ReadAscii(VtkXmlReader& xml, Array& array) {
  const std::size_t size = static_cast<std::size_t>(CPrimType::TypeSize[array.type]);
  CheckCapacity(array, 0, false);
  array.bytes = hostbase::PageBuffer(static_cast<std::size_t>(array.count) * size);
  char token[kMaxToken + 1];
  for (std::int64_t i = 0; i < array.count; ++i) {
    int c = xml.TextByte();
    while (c == ' ' || c == '\t' || c == '\r' || c == '\n') c = xml.TextByte();
    std::size_t length = 0;
    for (; c >= 0 && c != ' ' && c != '\t' && c != '\r' && c != '\n'; c = xml.TextByte()) {
      if (length == kMaxToken) xml.Fail(__LINE__);
      token[length++] = static_cast<char>(c);
    }
    if (length == 0 || !ParseOfType(array.type, array.wideUnsigned, token, token + length,
                                    array.bytes.Data() + static_cast<std::size_t>(i) * size))
      xml.Fail(__LINE__);
  }
  FinishArray(array, false);
}

std::uint64_t VtkImportFilter::ReadHeaderWord(const ByteReader& read) {
  unsigned char bytes[8] = {};
  if (read(bytes, static_cast<std::size_t>(headerSize)) != static_cast<std::size_t>(headerSize))
    ThrowBadData(__LINE__);
  std::uint64_t value = 0;
  for (int i = 0; i < headerSize; ++i) {
    const int shift = 8 * (bigEndian ? headerSize - 1 - i : i);
    value |= std::uint64_t{bytes[i]} << shift;
  }
  return value;
}

void VtkImportFilter::ReadBinary(Array& array, const ByteReader& read, bool base64) {
  const std::uint64_t bytes = static_cast<std::uint64_t>(array.count) *
                              static_cast<std::uint64_t>(CPrimType::TypeSize[array.type]);
  if (array.count > (std::int64_t{1} << 59)) ThrowBadData(__LINE__);
  CheckCapacity(array, static_cast<std::int64_t>(bytes), base64);
  if (zlib) {
    ReadCompressed(array, read, bytes);
  } else {
    if (ReadHeaderWord(read) != bytes) ThrowBadData(__LINE__);
    array.bytes = hostbase::PageBuffer(static_cast<std::size_t>(bytes));
    if (read(array.bytes.Data(), bytes) != bytes) ThrowBadData(__LINE__);
  }
  FinishArray(array, bigEndian != (std::endian::native == std::endian::big));
}

// VTK's block layout: block count, block size, partial last block size, compressed sizes.
void VtkImportFilter::ReadCompressed(Array& array, const ByteReader& read, std::uint64_t bytes) {
  const std::uint64_t blocks = ReadHeaderWord(read);
  const std::uint64_t blockSize = ReadHeaderWord(read);
  const std::uint64_t last = ReadHeaderWord(read);
  const auto left = static_cast<std::uint64_t>(file->GetLength() - file->GetPosition());
  if (blockSize == 0 || blockSize > kMaxBlockSize || last > blockSize ||
      blocks > left / static_cast<std::uint64_t>(headerSize))
    ThrowBadData(__LINE__);
  const std::uint64_t total =
      blocks == 0 ? 0 : (last == 0 ? blocks * blockSize : (blocks - 1) * blockSize + last);
  if (total != bytes) ThrowBadData(__LINE__);
  std::vector<std::uint64_t> sizes(blocks);
  std::uint64_t largest = 0, sum = 0;
  for (std::uint64_t& size : sizes) {
    size = ReadHeaderWord(read);
    if (size > left) ThrowBadData(__LINE__);
    largest = std::max(largest, size);
    sum += size;
  }
  if (sum > left) ThrowBadData(__LINE__);
  array.bytes = hostbase::PageBuffer(static_cast<std::size_t>(bytes));
  std::vector<unsigned char> packed(static_cast<std::size_t>(largest));
  for (std::uint64_t b = 0; b < blocks; ++b) {
    if (read(packed.data(), sizes[b]) != sizes[b]) ThrowBadData(__LINE__);
    const std::uint64_t expected = b + 1 == blocks && last != 0 ? last : blockSize;
    auto length = static_cast<uLongf>(expected);
    if (uncompress(array.bytes.Data() + b * blockSize, &length, packed.data(),
                   static_cast<uLong>(sizes[b])) != Z_OK ||
        length != expected)
      ThrowBadData(__LINE__);
  }
}

// File order to the machine's; 64-bit unsigned values become doubles in place.
void VtkImportFilter::FinishArray(Array& array, bool swap) {
  const auto count = static_cast<std::size_t>(array.count);
  if (swap) hostaux::ByteSwapArray(array.bytes.Data(), count, CPrimType::TypeSize[array.type]);
  if (!array.wideUnsigned) return;
  unsigned char* data = array.bytes.Data();
  for (std::size_t i = 0; i < count; ++i) {
    std::uint64_t value;
    std::memcpy(&value, data + 8 * i, 8);
    const auto wide = static_cast<double>(value);
    std::memcpy(data + 8 * i, &wide, 8);
  }
  array.wideUnsigned = false;
}

// Joins the pieces of one array into `whole` (one axis of the whole extent for `axis`).
void VtkImportFilter::Assemble(std::vector<Array*>& parts, Array& joined, bool axis,
                               int axisIndex) {
  auto uncovered = [this, &joined]() {
    ThrowError(kModule, __LINE__, hostfw::ErrCode::UnsupportedFeature, kFormatName,
               "array '" + joined.name + "' not given alike over the whole extent by its pieces",
               path);
  };
  if (parts.empty()) uncovered();
  const Array& first = *parts[0];
  joined.role = first.role;
  joined.name = first.name;
  joined.type = first.type;
  joined.components = first.components;
  const std::int64_t nodes = axis ? whole.Count(axisIndex) : whole.Nodes();
  joined.count = nodes * first.components;
  const Extent& firstPiece = pieces[first.piece];
  bool same = true;
  for (int a = 0; a < 3; ++a)
    if ((!axis || a == axisIndex) &&
        (firstPiece.lo[a] != whole.lo[a] || firstPiece.hi[a] != whole.hi[a]))
      same = false;
  if (parts.size() == 1 && same) {
    joined.bytes = std::move(parts[0]->bytes);
    return;
  }
  const auto size = static_cast<std::size_t>(CPrimType::TypeSize[first.type]) *
                    static_cast<std::size_t>(first.components);
  joined.bytes = hostbase::PageBuffer(static_cast<std::size_t>(nodes) * size);
  std::vector<bool> covered(static_cast<std::size_t>(nodes));
  const Extent& w = whole;
  for (const Array* part : parts) {
    if (part->type != first.type || part->components != first.components) uncovered();
    const Extent& p = pieces[part->piece];
    if (axis) {
      const auto at = static_cast<std::size_t>(p.lo[axisIndex] - w.lo[axisIndex]);
      const auto n = static_cast<std::size_t>(p.Count(axisIndex));
      std::memcpy(joined.bytes.Data() + at * size, part->bytes.Data(), n * size);
      std::fill(covered.begin() + static_cast<std::ptrdiff_t>(at),
                covered.begin() + static_cast<std::ptrdiff_t>(at + n), true);
      continue;
    }
    const auto rowNodes = static_cast<std::size_t>(p.Count(0));
    std::size_t source = 0;
    for (std::int64_t z = p.lo[2]; z <= p.hi[2]; ++z)
      for (std::int64_t y = p.lo[1]; y <= p.hi[1]; ++y) {
        const auto at = static_cast<std::size_t>(
            ((z - w.lo[2]) * w.Count(1) + (y - w.lo[1])) * w.Count(0) + (p.lo[0] - w.lo[0]));
        std::memcpy(joined.bytes.Data() + at * size, part->bytes.Data() + source * size,
                    rowNodes * size);
        std::fill(covered.begin() + static_cast<std::ptrdiff_t>(at),
                  covered.begin() + static_cast<std::ptrdiff_t>(at + rowNodes), true);
        source += rowNodes;
      }
  }
  if (std::find(covered.begin(), covered.end(), false) != covered.end()) uncovered();
}
