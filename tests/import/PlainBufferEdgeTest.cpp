// Plain words where the file's buffer ends: numbers are taken in place inside the buffer
// and through the byte reader across its end; every split of a word, a line end or a
// carriage return at the end of the buffer gives the same values, and a bad word there
// the line number of its error.
#include <string>
#include <vector>

#include "hostbase/BufferedFile.h"
#include "tests/import/ImportHarness.h"

namespace lattest {
namespace {

constexpr std::size_t kBuf = hostbase::CBufferedFile::kBufferSize;
const std::string kMagic = "#!/usr/explorer/bin/explorer cxLattice plain 1.0\n";

// Integers of 1 to 7 characters, some negative, and more of them than one buffer holds.
std::vector<std::int32_t> Numbers() {
  std::vector<std::int32_t> values;
  for (std::int32_t i = 0; i < 260000; ++i)
    values.push_back((i * 7919) % (i % 5 == 0 ? 10 : 200003) - 999);
  return values;
}

// A one-row lattice of 32-bit integers; a comment of `shift` bytes moves every word
// along, and `lineEnd` ends every line of 9 values.
std::string LatticeText(const std::vector<std::int32_t>& values, std::size_t shift,
                        const std::string& lineEnd) {
  std::string text = kMagic + "1" + lineEnd + std::to_string(values.size()) + lineEnd + "1 2 0 1" +
                     lineEnd + "0 1" + lineEnd + "#" + std::string(shift, '-') + lineEnd;
  for (std::size_t i = 0; i < values.size(); ++i) {
    text += std::to_string(values[i]);
    text += i % 9 == 8 ? lineEnd : " ";
  }
  return text + lineEnd;
}

// The start of the word in which byte `at` lies, or of the word after it.
std::size_t WordAt(const std::string& text, std::size_t at) {
  while (at > 0 && text[at - 1] != ' ' && text[at - 1] != '\n' && text[at - 1] != '\r') --at;
  while (text[at] == ' ' || text[at] == '\n' || text[at] == '\r') ++at;
  return at;
}

// Line feeds the reader has taken once the word at `start` and the byte after it are read
// (a carriage return is dropped, the line feed after it ends the word).
std::int64_t LinesThrough(const std::string& text, std::size_t start) {
  std::size_t end = text.find_first_of(" \n\r", start);
  while (text[end] == '\r') ++end;
  return std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(end + 1), '\n');
}

class PlainBufferEdge : public ImportTest {};

TEST_F(PlainBufferEdge, EverySplitOfAWordGivesTheSameValues) {
  const std::vector<std::int32_t> values = Numbers();
  for (const std::string lineEnd : {"\n", "\r\n"}) {
    for (std::size_t shift = 0; shift < 12; ++shift) {
      SCOPED_TRACE("shift " + std::to_string(shift) + (lineEnd.size() == 2 ? " CR LF" : " LF"));
      const std::string text = LatticeText(values, shift, lineEnd);
      ASSERT_GT(text.size(), kBuf + 1000);
      host.Clear();
      ASSERT_EQ(Import(WritePlain(text)), 0);
      ASSERT_EQ(host.Sequence(), "U S E");
      ASSERT_EQ(host.objects[1].Values<std::int32_t>(), values);
    }
  }
}

TEST_F(PlainBufferEdge, ABadWordAtTheEndOfTheBufferNamesItsLine) {
  const std::vector<std::int32_t> values = Numbers();
  for (const std::string lineEnd : {"\n", "\r\n"}) {
    for (std::size_t shift = 0; shift < 12; ++shift) {
      SCOPED_TRACE("shift " + std::to_string(shift) + (lineEnd.size() == 2 ? " CR LF" : " LF"));
      std::string text = LatticeText(values, shift, lineEnd);
      // The word in which the buffer ends, or the one after it, with a letter at its end.
      const std::size_t start = WordAt(text, kBuf - 1);
      const std::size_t last = text.find_first_of(" \n\r", start) - 1;
      text[last] = 'x';
      host.Clear();
      ExpectNumberError(WritePlain(text), LinesThrough(text, start));
      EXPECT_EQ(host.Sequence(), "U");
    }
  }
}

}  // namespace
}  // namespace lattest
