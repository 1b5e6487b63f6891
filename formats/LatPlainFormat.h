// Text rules of the LAT magic line and of the plain text form: words, kinds, whitespace.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "formats/LatBinaryFormat.h"

namespace lat::plain {

// The first two bytes of every LAT file.
inline constexpr char kHashChar = '#';
inline constexpr char kBangChar = '!';
// A word starting with this byte begins a comment that runs to the end of its line.
inline constexpr char kCommentChar = '#';
inline constexpr int kLineFeed = 10;
inline constexpr int kCarriageReturn = 13;

// Words of the magic line: a word containing kExplorerWord, then kLatticeWord, the kind
// word and a version number.
inline constexpr const char* kExplorerWord = "explorer";
inline constexpr const char* kLatticeWord = "cxLattice";

// Kind words and their codes.
enum Kind : std::int32_t {
  kPlain = 0,
  kAscii = 1,
  kBinary = 2,
};
inline constexpr const char* kKindWords[] = {"plain", "ascii", "binary"};
inline constexpr std::int32_t kKindCount = 3;

// Recognition looks at this many bytes at the start of a file.
inline constexpr std::size_t kRecognitionBytes = 200;

// Longest word; longer runs of word bytes are cut.
inline constexpr std::size_t kMaxWordLength = 999;
inline constexpr std::size_t kTokenSize = kMaxWordLength + 1;

// Whitespace: the bytes isspace counts in the "C" locale (tab, line feed, vertical tab,
// form feed, carriage return, space). Every other byte, 0 and 128..255 included, is a
// word byte.
inline constexpr std::array<bool, 256> kSpaceTable = [] {
  std::array<bool, 256> table{};
  for (int c : {9, 10, 11, 12, 13, 32}) table[static_cast<std::size_t>(c)] = true;
  return table;
}();
// The low 8 bits decide, so the end of the file (-1) counts as byte 255: not whitespace.
constexpr bool IsSpace(int c) {
  return kSpaceTable[static_cast<unsigned char>(c)];
}

// Data type codes: the same table as the binary form.
using lat::binary::CodeOfPrimType;
using lat::binary::IsValueTypeCode;
using lat::binary::kValueTypeCount;
using lat::binary::PrimTypeOfCode;

// Geometry type codes: the same as the binary form.
using enum lat::binary::GeometryType;
using lat::binary::kGeometryTypeCount;

// Coordinates of rectilinear and curvilinear lattices are stored as 32-bit floats.
using lat::binary::kCoordPrimType;
// A curvilinear node has at most three coordinates.
inline constexpr std::int32_t kMaxCoordVar = 3;

// Every value in the text takes at least two bytes: one word byte and one whitespace byte.
inline constexpr std::int64_t kMinBytesPerValue = 2;

}  // namespace lat::plain
