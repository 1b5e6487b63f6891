// Where the saved options file lives, reading it (a missing file is an empty store) and
// replacing it at once, with the failures of both.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

#include "SavedOptionsFile.h"
#include "tests/support/TempDir.h"

namespace lattest {
namespace {

namespace fs = std::filesystem;
using lattool::SavedOptionsError;
using lattool::SavedOptionsFile;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(SavedOptionsFile, XdgConfigHomeComesFirstThenTheHomeDirectory) {
  EXPECT_EQ(SavedOptionsFile::PathFor("/cfg", "/home/u"), fs::path("/cfg/lattool/options.ini"));
  EXPECT_EQ(SavedOptionsFile::PathFor(nullptr, "/home/u"),
            fs::path("/home/u/.config/lattool/options.ini"));
  EXPECT_EQ(SavedOptionsFile::PathFor("", "/home/u"),
            fs::path("/home/u/.config/lattool/options.ini"));
  // A relative XDG_CONFIG_HOME is not valid and is passed over.
  EXPECT_EQ(SavedOptionsFile::PathFor("cfg", "/home/u"),
            fs::path("/home/u/.config/lattool/options.ini"));
  EXPECT_FALSE(SavedOptionsFile::PathFor(nullptr, nullptr).has_value());
  EXPECT_FALSE(SavedOptionsFile::PathFor("rel", "also/rel").has_value());
}

TEST(SavedOptionsFile, AMissingFileIsAnEmptyStore) {
  TempDir dir;
  const SavedOptionsFile file(fs::path(dir.Path()) / "nowhere" / "options.ini");
  EXPECT_EQ(file.Load(), "");
}

TEST(SavedOptionsFile, SavingMakesTheDirectoryAndReplacesTheWholeFile) {
  TempDir dir;
  const fs::path path = fs::path(dir.Path()) / "a" / "b" / "options.ini";
  const SavedOptionsFile file(path);
  file.Save("BlankMethod=4\nFixedBlankValue=300\n");
  EXPECT_EQ(ReadAll(path), "BlankMethod=4\nFixedBlankValue=300\n");
  EXPECT_EQ(file.Load(), "BlankMethod=4\nFixedBlankValue=300\n");
  file.Save("BlankMethod=1\n");
  EXPECT_EQ(file.Load(), "BlankMethod=1\n");
  // Nothing but the file is left behind in its directory.
  std::size_t entries = 0;
  for (const auto& entry : fs::directory_iterator(path.parent_path())) {
    EXPECT_EQ(entry.path().filename(), "options.ini");
    ++entries;
  }
  EXPECT_EQ(entries, 1u);
}

TEST(SavedOptionsFile, AFileThatCannotBeReadIsAnError) {
  TempDir dir;
  const fs::path path = fs::path(dir.Path()) / "options.ini";
  fs::create_directory(path);  // a directory where the file should be
  try {
    SavedOptionsFile(path).Load();
    ADD_FAILURE() << "a directory was read as the options file";
  } catch (const SavedOptionsError& e) {
    EXPECT_EQ(std::string(e.what()), "cannot read '" + path.string() + "': Is a directory");
  }
}

TEST(SavedOptionsFile, AFailedSaveLeavesTheOldFileAndNoTemporary) {
  TempDir dir;
  const fs::path path = fs::path(dir.Path()) / "options.ini";
  fs::create_directory(path);  // rename cannot replace a directory by a file
  EXPECT_THROW(SavedOptionsFile(path).Save("BlankMethod=2\n"), SavedOptionsError);
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.Path())) ++entries;
  EXPECT_EQ(entries, 1u) << "a temporary file was left behind";
  EXPECT_TRUE(fs::is_directory(path));

  const fs::path blocked = fs::path(dir.Path()) / "file" / "options.ini";
  std::ofstream(fs::path(dir.Path()) / "file") << "not a directory";
  try {
    SavedOptionsFile(blocked).Save("x=1\n");
    ADD_FAILURE() << "saved below a plain file";
  } catch (const SavedOptionsError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("cannot create '" + blocked.parent_path().string(), 0),
              0u)
        << e.what();
  }
}

}  // namespace
}  // namespace lattest
