// Character and word readers of the import filter: whitespace, comments, words, numbers
// and integers of the LAT text rules, with line-numbered errors.
#include <array>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "hostbase/Text.h"
#include "import/LatImportFilter.h"

namespace {

constexpr const char* kModule = "LatImpPlain";

// Bytes that continue a word: neither whitespace nor the end of the file (-1), indexed
// by the byte plus one.
constexpr std::array<bool, 257> kWordBytes = [] {
  std::array<bool, 257> table{};
  for (int c = 0; c < 256; ++c) table[static_cast<std::size_t>(c + 1)] = !lat::plain::IsSpace(c);
  return table;
}();

bool IsWordByte(int c) {
  return kWordBytes[static_cast<std::size_t>(c + 1)];
}

// Words are taken in place from chunks of this many bytes of the file's buffer.
constexpr std::size_t kChunk = 16;

// A bit per byte of the kChunk bytes at `p` that is whitespace.
unsigned SpaceMask(const unsigned char* p) noexcept {
#if defined(__SSE2__)
  // A space, or 9 to 13 (tab to carriage return).
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i fromTab = _mm_sub_epi8(bytes, _mm_set1_epi8(9));
  const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(fromTab, _mm_set1_epi8(4)), fromTab);
  const __m128i space = _mm_cmpeq_epi8(bytes, _mm_set1_epi8(' '));
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(control, space)));
#else
  unsigned mask = 0;
  for (std::size_t i = 0; i < kChunk; ++i)
    mask |= static_cast<unsigned>(lat::plain::IsSpace(p[i])) << i;
  return mask;
#endif
}

}  // namespace

void LatImportFilter::ThrowNumberError(int line) const {
  ThrowError(kModule, line, hostfw::ErrCode::PlainSyntax, lineNumber, file->GetFilePath());
}

// Starts with a new byte; leaves the first byte of the next word, or -1, in curChar.
void LatImportFilter::SkipSpaceAndComments() {
  SkipAfter(file->Getc());
}

// SkipSpaceAndComments once its first byte, `c`, has been read from the file.
void LatImportFilter::SkipAfter(int c) {
  while (c == lat::plain::kCarriageReturn) c = file->Getc();
  curChar = c;
  if (curChar == lat::plain::kLineFeed) ++lineNumber;
  while (lat::plain::IsSpace(curChar)) NextChar();
  while (curChar == lat::plain::kCommentChar) {
    do NextChar();
    while (curChar != lat::plain::kLineFeed && curChar != -1);
    if (curChar == -1) return;
    do NextChar();
    while (lat::plain::IsSpace(curChar));
  }
}

// A word of at most kMaxWordLength bytes; the byte after it (whitespace, the next byte of
// an overlong run, or -1) is consumed. The per-byte loop keeps the reader's state in
// locals and writes the word through a pointer that aliases nothing else, so no byte
// stored forces the file's read position to be fetched again; carriage returns are
// dropped and line feeds counted as NextChar does.
std::size_t LatImportFilter::ReadToken() {
  token[0] = '\0';
  // Most words follow a single blank: their first byte needs no skipping of its own.
  const int first = file->Getc();
  if (IsWordByte(first) && first != lat::plain::kCommentChar) {
    curChar = first;
  } else {
    SkipAfter(first);
    if (curChar == -1) return 0;
  }
  char* __restrict word = token;
  std::size_t length = 0;
  word[length++] = static_cast<char>(curChar);
  hostbase::CBufferedFile& in = *file;
  int c;
  for (;;) {
    c = in.Getc();
    if (IsWordByte(c)) {
      if (length == lat::plain::kMaxWordLength) break;
      word[length++] = static_cast<char>(c);
    } else if (c != lat::plain::kCarriageReturn) {
      break;
    }
  }
  word[length] = '\0';
  if (c == lat::plain::kLineFeed) ++lineNumber;
  curChar = c;
  return length;
}

// Words of fewer than kChunk bytes, each starting where the last one's ending byte was
// taken and ending, inside the file's buffer, in whitespace other than a carriage return,
// are taken and converted where they lie, as ReadToken would read them, into `out` (at
// most `count`). Returns how many; the first word that is not of that kind (after more
// than one byte of whitespace, near the end of the buffer, long, or with a carriage
// return) is left for ReadToken to read byte by byte.
std::size_t LatImportFilter::ReadNumbersInPlace(double* out, std::size_t count) {
  const unsigned char* const begin = file->ReadWindowBegin();
  const unsigned char* const end = file->ReadWindowEnd();
  const unsigned char* p = begin;
  int after = curChar;
  std::int32_t lines = 0;
  std::size_t taken = 0;
  bool parsed = true;
  for (; taken < count && static_cast<std::size_t>(end - p) >= kChunk; ++taken) {
    const unsigned mask = SpaceMask(p);
    if (mask == 0 || (mask & 1) != 0 || *p == lat::plain::kCommentChar) break;
    const auto length = static_cast<std::size_t>(__builtin_ctz(mask));
    if (p[length] == lat::plain::kCarriageReturn) break;
    const char* word = reinterpret_cast<const char*>(p);
    after = p[length];
    lines += after == lat::plain::kLineFeed ? 1 : 0;
    p += length + 1;
    parsed = hostbase::ParseNumber(word, length, out[taken]);
    if (!parsed) break;
  }
  // The reader's state as ReadToken leaves it after the last word taken.
  file->Skip(static_cast<std::size_t>(p - begin));
  curChar = after;
  lineNumber += lines;
  if (!parsed) ThrowNumberError(__LINE__);
  return taken;
}

// A word that spells a number and ends in whitespace.
double LatImportFilter::ReadNumber() {
  double value = 0.0;
  if (ReadNumbersInPlace(&value, 1) == 1) return value;
  return ReadNumberByBytes();
}

// ReadNumber for a word that cannot be taken in place: read byte by byte.
double LatImportFilter::ReadNumberByBytes() {
  const std::size_t length = ReadToken();
  if (curChar == -1) ThrowNumberError(__LINE__);
  double value = 0.0;
  if (!hostbase::ParseNumber(token, length, value)) ThrowNumberError(__LINE__);
  return value;
}

// A number that is a whole value within the 32-bit signed range.
std::int32_t LatImportFilter::ReadInteger() {
  const double value = ReadNumber();
  constexpr double kLowest = std::numeric_limits<std::int32_t>::lowest();
  constexpr double kHighest = std::numeric_limits<std::int32_t>::max();
  if (!(value >= kLowest && value <= kHighest)) ThrowNumberError(__LINE__);
  const auto integer = static_cast<std::int32_t>(value);
  if (static_cast<double>(integer) != value) ThrowNumberError(__LINE__);
  return integer;
}
