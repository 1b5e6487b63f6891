// Text rules of the plain form: comments, carriage returns, long words, integer fields,
// the end of the file, line numbers of errors, and sizes the text cannot hold.
#include <string>
#include <vector>

#include "tests/import/ImportHarness.h"

namespace lattest {
namespace {

const std::string kMagic = "#!/usr/explorer/bin/explorer cxLattice plain 1.0\n";
// The example's body after its magic line, without the comment line.
const std::string kExampleBody = "2\n3 2\n1 3 0 1\n0 1 10 20\n1.5 2.5 3.5\n4.5 5.5 6.5\n";

class PlainSyntaxTest : public ImportTest {
 protected:
  hostfw::ImportStatus ImportText(const std::string& body) {
    return Import(WritePlain(kMagic + body));
  }
  void ExpectExampleLattice() {
    ASSERT_EQ(host.Sequence(), "U S S E");
    EXPECT_EQ(host.objects[0].nx, 3);
    EXPECT_EQ(host.objects[0].ny, 2);
    EXPECT_EQ(host.objects[2].Values<float>(), (std::vector<float>{4.5, 5.5, 6.5}));
  }
  // The body fails with the number error after `line` line feeds; nothing reaches the host.
  void ExpectBodyError(const std::string& body, int line) {
    SCOPED_TRACE(body);
    host.Clear();
    ExpectNumberError(WritePlain(kMagic + body), line);
    EXPECT_TRUE(host.objects.empty());
  }
};

TEST_F(PlainSyntaxTest, SkipsCommentsBetweenWords) {
  ASSERT_EQ(ImportText("# a comment line\n#another\n  # indented\n2\n3 2 # sizes\n1 3 0 1\n"
                       "0 1 10 20\n#\n1.5 2.5 3.5\n4.5 5.5 6.5 #end"),
            0);
  ExpectExampleLattice();
}

TEST_F(PlainSyntaxTest, HashInsideOrRightAfterAWordIsPartOfIt) {
  ExpectBodyError("2\n3 2# sizes\n1 3 0 1\n0 1 10 20\n1.5 2.5 3.5\n4.5 5.5 6.5\n", 2);
  ExpectBodyError("2\n3 2\n1 3 0 1\n5#x 1 10 20\n", 4);
}

TEST_F(PlainSyntaxTest, NeedsWhitespaceAfterTheLastValue) {
  std::string body = kExampleBody;
  body.pop_back();
  host.Clear();
  ExpectNumberError(WritePlain(kMagic + body), 6);
  EXPECT_EQ(host.Sequence(), "U S");
  host.Clear();
  ASSERT_EQ(ImportText(kExampleBody + "anything after the last block\x01\xff"), 0);
  ExpectExampleLattice();
}

TEST_F(PlainSyntaxTest, DropsCarriageReturnsEvenInsideWords) {
  ASSERT_EQ(ImportText("1\n2\n1 2 0 1\n0 1\n1\r2 \r\r-\r3\n"), 0);
  EXPECT_EQ(host.objects.at(1).Values<std::int32_t>(), (std::vector<std::int32_t>{12, -3}));
  host.Clear();
  ASSERT_EQ(ImportText("2\r\n3 2\r\n1 3 0 1\r\n0 1 10 20\r\n1.5 2.5 3.5\r\n4.5 5.5 6.5\r\n"), 0);
  ExpectExampleLattice();
}

TEST_F(PlainSyntaxTest, CutsWordsAfter999Bytes) {
  // 999 bytes form the word "0...02", byte 1000 (X) is dropped, byte 1001 begins "3".
  ASSERT_EQ(
      ImportText(std::string(998, '0') + "2X3 2\n1 3 0 1\n0 1 10 20\n1.5 2.5 3.5\n4.5 5.5 6.5\n"),
      0);
  ExpectExampleLattice();
  host.Clear();
  ASSERT_EQ(
      ImportText(std::string(998, '0') + "2 3 2\n1 3 0 1\n0 1 10 20\n1.5 2.5 3.5\n4.5 5.5 6.5\n"),
      0);
  ExpectExampleLattice();
  // The 1000th byte, a 2, is lost: nDim reads as 0.
  ExpectBodyError(std::string(999, '0') + "2 3 2\n", 1);
}

TEST_F(PlainSyntaxTest, IntegerFieldsTakeWholeNumbersInAnyNotation) {
  ASSERT_EQ(ImportText("2.0\n3e0 20e-1\n1 3 0 1\n0 1 10 20\n1.5 2.5 3.5\n4.5 5.5 6.5\n"), 0);
  ExpectExampleLattice();
  ExpectBodyError("2.5\n", 2);
  ExpectBodyError("2\n3 2\n1 3.5 0 1\n", 3);
  ExpectBodyError("2\n3 2\n1 3 0 2147483648\n", 4);
  ExpectBodyError("2\n3 2\n1 3 0 4294967297\n", 4);
  ExpectBodyError("2\n3 2\n1 3 0 -2147483649\n", 4);
  ExpectBodyError("two\n", 2);
}

TEST_F(PlainSyntaxTest, AcceptsTheLargestInteger) {
  // 2147483647 blocks: the first arrives whole, the second runs out of text.
  ExpectNumberError(WritePlain(kMagic + "2\n3 2\n1 3 0 2147483647\n0 1 10 20\n1.5 2.5 3.5\n"
                                        "4.5 5.5 6.5\n"),
                    7);
  EXPECT_EQ(host.Sequence(), "U S S E U");
}

TEST_F(PlainSyntaxTest, RefusesHeaderNumbersOutsideTheirRanges) {
  ExpectBodyError("0\n", 2);
  ExpectBodyError("4\n", 2);
  ExpectBodyError("-1\n", 2);
  ExpectBodyError("2\n0 2\n", 2);
  ExpectBodyError("2\n3 -2\n", 3);
  ExpectBodyError("2\n3 2\n0 3 0 1\n", 3);
  ExpectBodyError("2\n3 2\n-1 3 0 1\n", 3);
  ExpectBodyError("2\n3 2\n1 5 0 1\n", 3);
  ExpectBodyError("2\n3 2\n1 -1 0 1\n", 3);
  ExpectBodyError("2\n3 2\n1 3 3 1\n", 3);
  ExpectBodyError("2\n3 2\n1 3 -1 1\n", 3);
  ExpectBodyError("2\n3 2\n1 3 0 0\n", 4);
  ExpectBodyError("2\n3 2\n1 3 2 1\n0\n", 5);
  ExpectBodyError("2\n3 2\n1 3 2 1\n4\n", 5);
  ExpectBodyError("2\n3 2\n1 3 2 1\n5\n", 5);
}

TEST_F(PlainSyntaxTest, CountsEveryLineFeedBeforeTheBadWord) {
  std::string atEnd = ExamplePlainText();
  atEnd.replace(atEnd.find("20"), 2, "2x");
  ExpectNumberError(WritePlain(atEnd), 5);
  std::string inMiddle = ExamplePlainText();
  inMiddle.replace(inMiddle.find("0 1   10"), 1, "x");
  ExpectNumberError(WritePlain(inMiddle), 4);
  ExpectBodyError("\n\n\n\n", 5);
}

TEST_F(PlainSyntaxTest, RefusesLargeBuffersTheTextCannotHoldBeforeAllocating) {
  ExpectBodyError("1\n100000000\n1 3 0 1\n", 3);           // a row of 400 MB
  ExpectBodyError("1\n2\n100000000 3 0 1\n", 3);           // 400 MB of components
  ExpectBodyError("2\n1 100000000\n1 3 1 1\n", 4);         // a rectilinear y list of 400 MB
  ExpectBodyError("3\n1 1 1000000000\n1 3 2 1\n3\n", 5);  // node coordinates past 2^31 bytes
  ExpectBodyError("2\n1000 10000\n1 3 2 1\n3\n", 5);      // 120 MB of node coordinates
}

// Smaller buffers are read until the text runs out: the error names the line where the
// numbers end, and what was complete has reached the host.
TEST_F(PlainSyntaxTest, SmallBuffersCutShortFailWhereTheNumbersEnd) {
  const struct {
    const char* body;
    int line;
    const char* sequence;
  } cuts[] = {
      {"1\n1000\n1 3 0 1\n0 1\n1 2 3\n", 6, "U"},          // inside the first row
      {"1\n1000\n1 3 1 1\n0 1 2\n", 5, ""},                 // inside the x coordinates
      {"2\n10 10\n1 3 2 1\n2\n0 0 1 1\n", 6, ""},          // inside the node coordinates
  };
  for (const auto& cut : cuts) {
    SCOPED_TRACE(cut.body);
    host.Clear();
    ExpectNumberError(WritePlain(kMagic + cut.body), cut.line);
    EXPECT_EQ(host.Sequence(), cut.sequence);
  }
}

}  // namespace
}  // namespace lattest
