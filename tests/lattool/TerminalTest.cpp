// The terminal's line input: lines split however the bytes arrive, CR LF line ends, a last
// line without its line end, and the end of input.
#include <gtest/gtest.h>

#include <string>

#include <unistd.h>

#include "Terminal.h"

namespace lattest {
namespace {

// A terminal reading from a pipe that the test writes, writing to another it reads.
struct PipedTerminal {
  int input[2];
  int output[2];
  std::unique_ptr<lattool::Terminal> terminal;
  PipedTerminal() {
    if (pipe(input) != 0 || pipe(output) != 0) throw std::runtime_error("pipe");
    terminal = std::make_unique<lattool::Terminal>(input[0], output[1]);
  }
  ~PipedTerminal() {
    terminal.reset();
    for (int fd : {input[0], input[1], output[0], output[1]}) {
      if (fd >= 0) close(fd);
    }
  }
  void Type(const std::string& text) {
    ASSERT_EQ(write(input[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }
  void EndInput() {
    close(input[1]);
    input[1] = -1;
  }
  std::string Shown() {
    close(output[1]);
    output[1] = -1;
    std::string text;
    char chunk[256];
    ssize_t n;
    while ((n = read(output[0], chunk, sizeof chunk)) > 0)
      text.append(chunk, static_cast<std::size_t>(n));
    return text;
  }
};

TEST(Terminal, LinesComeOneAtATimeHoweverTheyArrive) {
  PipedTerminal t;
  t.Type("1\n6 300\r\no");
  std::string line;
  ASSERT_TRUE(t.terminal->ReadLine(line));
  EXPECT_EQ(line, "1");
  ASSERT_TRUE(t.terminal->ReadLine(line));
  EXPECT_EQ(line, "6 300");
  t.Type("k\n\n");
  ASSERT_TRUE(t.terminal->ReadLine(line));
  EXPECT_EQ(line, "ok");
  ASSERT_TRUE(t.terminal->ReadLine(line));
  EXPECT_EQ(line, "");
}

TEST(Terminal, TheLastLineNeedsNoLineEndAndThenInputEnds) {
  PipedTerminal t;
  t.Type("c");
  t.EndInput();
  std::string line = "untouched";
  ASSERT_TRUE(t.terminal->ReadLine(line));
  EXPECT_EQ(line, "c");
  EXPECT_FALSE(t.terminal->ReadLine(line));
  EXPECT_FALSE(t.terminal->ReadLine(line));
}

TEST(Terminal, WrittenTextArrivesWhole) {
  PipedTerminal t;
  t.terminal->Write("form\n");
  t.terminal->Write(std::string(10000, 'x'));
  EXPECT_EQ(t.Shown(), "form\n" + std::string(10000, 'x'));
}

}  // namespace
}  // namespace lattest
