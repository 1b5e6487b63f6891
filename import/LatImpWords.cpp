// Character and word readers of the import filter: whitespace, comments, words, numbers
// and integers of the LAT text rules, with line-numbered errors.
#include <limits>

#include "hostbase/Text.h"
#include "import/LatImportFilter.h"

namespace {

constexpr const char* kModule = "LatImpPlain";

}  // namespace

void LatImportFilter::ThrowNumberError(int line) const {
  ThrowError(kModule, line, hostfw::ErrCode::PlainSyntax, lineNumber, file->GetFilePath());
}

// Starts with a new byte; leaves the first byte of the next word, or -1, in curChar.
void LatImportFilter::SkipSpaceAndComments() {
  do NextChar();
  while (lat::plain::IsSpace(curChar));
  while (curChar == lat::plain::kCommentChar) {
    do NextChar();
    while (curChar != lat::plain::kLineFeed && curChar != -1);
    if (curChar == -1) return;
    do NextChar();
    while (lat::plain::IsSpace(curChar));
  }
}

// A word of at most kMaxWordLength bytes; the byte after it (whitespace, the next byte of
// an overlong run, or -1) is consumed.
std::size_t LatImportFilter::ReadToken() {
  token[0] = '\0';
  SkipSpaceAndComments();
  if (curChar == -1) return 0;
  std::size_t length = 0;
  token[length++] = static_cast<char>(curChar);
  NextChar();
  while (length < lat::plain::kMaxWordLength && curChar != -1 && !lat::plain::IsSpace(curChar)) {
    token[length++] = static_cast<char>(curChar);
    NextChar();
  }
  token[length] = '\0';
  return length;
}

// A word that spells a number and ends in whitespace.
double LatImportFilter::ReadNumber() {
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
