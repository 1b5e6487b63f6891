// Text rules of the magic line and of the plain form: recognition, what reads as the
// example lattice, what is refused with which error and line, and words split by the end
// of the buffer.
#include <algorithm>
#include <cctype>

#include "hostbase/BufferedFile.h"
#include "tests/import/ImportHarness.h"

namespace lattest {
namespace {

const std::string& M = kPlainMagic;
// 3 x 2 nodes, one float each, uniform, one block; its values 1.5 .. 6.5.
const std::string kBody = "2\n3 2\n1 3 0 1\n0 1 10 20\n1.5 2.5 3.5\n4.5 5.5 6.5\n";

using PlainTextTest = ImportTest;

TEST_F(PlainTextTest, RecognisesHashBangThenExplorerThenCxLatticeInTheFirst200Bytes) {
  const std::string padding(200 - 2 - 8 - 9, ' ');
  const struct {
    std::string content;
    bool recognised;
  } cases[] = {
      {kPlainMagic, true},
      {"#!explorercxLattice", true},
      {"#!explorer" + padding + "cxLattice", true},    // ends at byte 200
      {"#!explorer" + padding + " cxLattice", false},  // one byte beyond
      {"#!cxLattice /usr/explorer/bin/explorer\n", false},
      {"#!cxLattice explorer cxLattice\n", true},
      {" " + kPlainMagic, false},
      {"#", false},
      {std::string("#!explorer\0cxLattice\n", 21), false},  // the search stops at a NUL
  };
  for (const auto& c : cases)
    EXPECT_EQ(filter.CanImportFile(Write(c.content).c_str()), c.recognised) << c.content;
  EXPECT_FALSE(filter.CanImportFile(dir.File("missing.lat").c_str()));
  EXPECT_FALSE(filter.CanImportFile(dir.Path().c_str()));
}

TEST_F(PlainTextTest, VariantsOfTheTextReadAsTheSameLattice) {
  const std::string texts[] = {
      M + kBody,
      "#!\r  explorer \t cxLattice  plain   7 extra words\r\n" + kBody,
      M + "# a comment\n  # indented\n2\n3 2 # sizes\n1 3 0 1\n0 1 10 20\n#\n1.5 2.5 3.5\n"
          "4.5 5.5 6.5 #end",
      M + kBody + "anything after the last block\x01\xff",
      M + "2\r\n3 2\r\n1 3 0 1\r\n0 1 10 20\r\n1.\r5 \r\r2.5 3.5\r\n4.5 5.5 6.5\r\n",
      M + "2.0\n3e0 20e-1\n1 3 0 1\n0 1 10 20\n1.5 2.5 3.5\n4.5 5.5 6.5\n",
      // A word ends after 999 bytes; the 1000th (X) is dropped.
      M + std::string(998, '0') + "2X3 2\n1 3 0 1\n0 1 10 20\n1.5 2.5 3.5\n4.5 5.5 6.5\n",
  };
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.substr(0, 80));
    host.Clear();
    ASSERT_EQ(Import(Write(text)), 0);
    ASSERT_EQ(host.Sequence(), "U S S E");
    EXPECT_EQ(host.objects[0].origin, (std::array<double, 3>{0, 10, 0}));
    EXPECT_EQ(host.objects[0].spacing, (std::array<double, 3>{0.5, 10, 0}));
    EXPECT_EQ(Widened(host.ScanBytes(), 7), (std::vector<double>{1.5, 2.5, 3.5, 4.5, 5.5, 6.5}));
  }
  // Values are rounded and saturated into the data type.
  host.Clear();
  ASSERT_EQ(Import(Write(M + "1\n4\n1 0 0 1\n0 1\n-1 2.6 300 -300\n")), 0);
  EXPECT_EQ(Widened(host.ScanBytes(), 0), (std::vector<double>{-1, 3, 127, -128}));
}

// Refused texts, in this order on one filter: each import counts its lines from 0.
TEST_F(PlainTextTest, RefusesBadTextsNamingTheLine) {
  std::string noEnd = M + kBody;
  noEnd.pop_back();
  const struct {
    std::string text;
    std::int64_t line;     // -1: not a LAT file
    const char* sequence;  // what reached the host
  } cases[] = {
      {" " + M + kBody, -1, ""},
      {"#/usr/explorer/bin/explorer cxLattice plain 1.0\n", -1, ""},
      {"#!", -1, ""},
      {"#!/usr/bin/iris cxLattice plain 1.0\n", -1, ""},
      {"#!/usr/explorer/bin/explorer CxLattice plain 1.0\n", -1, ""},
      {"#!/usr/explorer/bin/explorer cxLattice", -1, ""},
      {"#!/usr/explorer/bin/explorer cxLattice plain", -1, ""},
      {"#!/usr/explorer/bin/explorer cxLattice Plain 1.0\n", -1, ""},
      {M + "2\n3 2# sizes\n", 2, ""},  // a hash right after a word is part of it
      {noEnd, 6, "U S"},  // the last value needs whitespace after it
      {"#!/usr/explorer/bin/explorer cxLattice plain x\n", 1, ""},
      {M + "2.5\n", 2, ""},
      {M + "2\n3 2\n1 3 0 2147483648\n", 4, ""},
      {M + "2\n3 2\n1 3 0 -2147483649\n", 4, ""},
      {M + "2\n3 2\n1 3 0 2147483647\n0 1 10 20\n1.5 2.5 3.5\n4.5 5.5 6.5\n", 7, "U S S E U"},
      {M + "0\n", 2, ""},
      {M + "4\n", 2, ""},
      {M + "2\n0 2\n", 2, ""},
      {M + "2\n3 2\n0 3 0 1\n", 3, ""},
      {M + "2\n3 2\n1 5 0 1\n", 3, ""},
      {M + "2\n3 2\n1 -1 0 1\n", 3, ""},
      {M + "2\n3 2\n1 3 3 1\n", 3, ""},
      {M + "2\n3 2\n1 3 -1 1\n", 3, ""},
      {M + "2\n3 2\n1 3 0 0\n", 4, ""},
      {M + "2\n3 2\n1 3 2 1\n0\n", 5, ""},
      {M + "2\n3 2\n1 3 2 1\n4\n", 5, ""},
      {M + "2\n3 2\n1 3 0 1\n0 1 10 2x\n", 5, ""},
      {M + "\n\n\n\n", 5, ""},
      // Buffers the text cannot hold are refused before they are allocated.
      {M + "1\n100000000\n1 3 0 1\n", 3, ""},           // a row of 400 MB
      {M + "2\n1 100000000\n1 3 1 1\n", 4, ""},         // a y list of 400 MB
      {M + "3\n1 1 1000000000\n1 3 2 1\n3\n", 5, ""},  // node coordinates past 2^31 bytes
      {M + "2\n1000 10000\n1 3 2 1\n3\n", 5, ""},      // 120 MB of node coordinates
      // Smaller ones are read until the numbers end; what was complete has been sent.
      {M + "1\n1000\n1 3 1 1\n0 1 2\n", 5, ""},
      {M + "2\n10 10\n1 3 2 1\n2\n0 0 1 1\n", 6, ""},
      {M + "2\n2 1000000000\n1 3 0 1\n0 1 0 1\n1 2\n3 4\n", 7, "U S S"},
      {M + "1\n2\n1 3 1 1\n0 1\nx 2\n", 5, "R"},
      {M + "1\n2\n1 3 2 1\n3\n0 0 0 1 1 1\nx 2\n", 6, "C S"},
  };
  int index = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 80));
    host.Clear();
    const std::string path = Write(c.text, "bad" + std::to_string(index++) + ".lat");
    if (c.line < 0)
      ExpectError(path, "LatImportFilter", hostfw::ErrCode::NotLatFile, {path});
    else
      ExpectNumberError(path, c.line);
    EXPECT_EQ(host.Sequence(), c.sequence);
    EXPECT_EQ(host.stops, 1);
  }
  const std::string ascii = Write("#!/usr/explorer/bin/explorer cxLattice ascii 1.0\n");
  ExpectError(ascii, "LatImportFilter", hostfw::ErrCode::UnsupportedFeature,
              {std::string("Iris Explorer LAT"), std::string("import of 'ASCII' format files"), ascii});
}

// Integers of 1 to 7 characters, some negative, more of them than one buffer holds, in a
// one-row lattice; a comment of `shift` bytes moves every word along.
std::string EdgeText(const std::vector<double>& values, std::size_t shift, const std::string& end) {
  std::string text = M + "1" + end + std::to_string(values.size()) + end + "1 2 0 1" + end +
                     "0 1" + end + "#" + std::string(shift, '-') + end;
  for (std::size_t i = 0; i < values.size(); ++i)
    text += std::to_string(std::int32_t(values[i])) + (i % 9 == 8 ? end : " ");
  return text + end;
}

// Every split of a word, a line end or a carriage return by the end of the buffer gives
// the same values, and a bad word there the line of its error.
TEST_F(PlainTextTest, WordsSplitByTheEndOfTheBuffer) {
  constexpr std::size_t kBuf = hostbase::CBufferedFile::kBufferSize;
  std::vector<double> values;
  for (std::int32_t i = 0; i < 260000; ++i)
    values.push_back((i * 7919) % (i % 5 == 0 ? 10 : 200003) - 999);
  for (const std::string end : {"\n", "\r\n"}) {
    for (std::size_t shift = 0; shift < 12; ++shift) {
      SCOPED_TRACE("shift " + std::to_string(shift) + (end.size() == 2 ? " CR LF" : " LF"));
      std::string text = EdgeText(values, shift, end);
      ASSERT_GT(text.size(), kBuf + 1000);
      host.Clear();
      ASSERT_EQ(Import(Write(text)), 0);
      ASSERT_EQ(Widened(host.ScanBytes(), 4), values);
      // The word in which the buffer ends, or the one after it, with a letter at its end.
      std::size_t start = kBuf - 1;
      while (start > 0 && !std::isspace(static_cast<unsigned char>(text[start - 1]))) --start;
      while (std::isspace(static_cast<unsigned char>(text[start]))) ++start;
      std::size_t after = text.find_first_of(" \n\r", start);
      text[after - 1] = 'x';
      while (text[after] == '\r') ++after;  // a carriage return is dropped
      host.Clear();
      ExpectNumberError(Write(text), std::count(text.begin(), text.begin() + after + 1, '\n'));
      EXPECT_EQ(host.Sequence(), "U");
    }
  }
}

}  // namespace
}  // namespace lattest
