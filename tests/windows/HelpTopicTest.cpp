// Help topics on Windows: hostfw looks for the topic's file in the "help" folder beside
// the host program and reports a topic it cannot show as a warning, not to the help sink.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "FakeImportFilter.h"
#include "hostfw/IoManager.h"

namespace {

class MessageRecorder : public hostfw::IoMessageSink {
 public:
  void Warning(const std::string& text) override { warnings.push_back(text); }
  void ShowHelp(const std::string& topic) override { helpTopics.push_back(topic); }
  std::vector<std::string> warnings;
  std::vector<std::string> helpTopics;
};

std::filesystem::path HelpFolder() {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  return std::filesystem::path(self).parent_path() / "help";
}

class HelpTopic : public ::testing::Test {
 protected:
  HelpTopic() { manager.SetMessageSink(&messages); }

  hostfw::IoManager manager;
  MessageRecorder messages;
  hosttest::FakeImportFilter filter{manager};
};

TEST_F(HelpTopic, MissingTopicFileIsReportedWithWhereItWasLookedFor) {
  const std::filesystem::path expected = HelpFolder() / "Lat-Export.htm";
  ASSERT_FALSE(std::filesystem::exists(expected)) << expected;
  filter.ShowHelp("Lat-Export.htm", nullptr);
  EXPECT_TRUE(messages.helpTopics.empty());
  ASSERT_EQ(messages.warnings.size(), 1u);
  EXPECT_EQ(messages.warnings[0],
            "Help topic 'Lat-Export.htm' is not installed: '" + expected.string() + "' not found");
}

TEST_F(HelpTopic, NoTopicAndAFolderNamedLikeATopicAreNotInstalledTopics) {
  filter.ShowHelp(nullptr, nullptr);
  std::filesystem::create_directories(HelpFolder() / "folder-topic.htm");
  filter.ShowHelp("folder-topic.htm", nullptr);
  std::filesystem::remove(HelpFolder() / "folder-topic.htm");
  ASSERT_EQ(messages.warnings.size(), 2u);
  EXPECT_EQ(messages.warnings[0].rfind("Help topic '' is not installed: '", 0), 0u)
      << messages.warnings[0];
  EXPECT_EQ(messages.warnings[1], "Help topic 'folder-topic.htm' is not installed: '" +
                                      (HelpFolder() / "folder-topic.htm").string() + "' not found");
  EXPECT_TRUE(messages.helpTopics.empty());
}

}  // namespace
