// The import filter base: summaries through a temporary object sink, import from memory
// through a temporary file, and delivery of objects to the host's sink.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "FakeImportFilter.h"
#include "hostfw/IoManager.h"
#include "tests/support/TempDir.h"

namespace {

using hostfw::IoManager;
using hosttest::FakeImportFilter;

// Records the class names of the objects it receives; refuses from the `refuseAt`-th on.
class NamesSink : public hostfw::IoObjectSink {
 public:
  bool Receive(hostfw::TrBase& object) override {
    names.emplace_back(object.GetTypeId()->GetName());
    return refuseAt < 0 || static_cast<int>(names.size()) < refuseAt;
  }
  std::vector<std::string> names;
  int refuseAt = -1;
};

class ImportFilterBase : public ::testing::Test {
 protected:
  IoManager manager_;
  FakeImportFilter filter_{manager_};
  lattest::TempDir dir_;
};

TEST_F(ImportFilterBase, ImportObjectHandsObjectsToTheSinkAndReportsRefusal) {
  NamesSink sink;
  sink.refuseAt = 3;
  manager_.SetObjectSink(&sink);
  EXPECT_EQ(filter_.ImportFromFile(dir_.Write("a.fake", "HSSSE").c_str()),
            hostfw::ImportStatus_Stopped);
  EXPECT_EQ(sink.names,
            (std::vector<std::string>{"TrUniformLattice", "TrLatticeScan", "TrLatticeScan"}));
}

TEST_F(ImportFilterBase, WithoutASinkEveryObjectIsAccepted) {
  EXPECT_EQ(filter_.ImportFromFile(dir_.Write("a.fake", "HSSE").c_str()),
            hostfw::ImportStatus_Complete);
  EXPECT_EQ(filter_.readObjects, 4);
}

TEST_F(ImportFilterBase, SummaryIsTheFirstHeadersTextAndTheImportStopsThere) {
  NamesSink hostSink;
  manager_.SetObjectSink(&hostSink);
  std::string summary = "unchanged";
  EXPECT_TRUE(filter_.GetSummary(dir_.Write("a.fake", "SHSSHSE").c_str(), summary));
  EXPECT_EQ(summary, "header at 2");
  EXPECT_EQ(filter_.readObjects, 2);  // nothing after the first header was read
  EXPECT_TRUE(hostSink.names.empty()) << "the host's sink saw the summary import";
  EXPECT_EQ(manager_.GetObjectSink(), &hostSink);
}

TEST_F(ImportFilterBase, NoSummaryWhenTheFirstHeaderHasNoTextOrThereIsNoHeader) {
  std::string summary = "unchanged";
  EXPECT_FALSE(filter_.GetSummary(dir_.Write("a.fake", "hSHE").c_str(), summary));
  EXPECT_EQ(summary, "unchanged");
  EXPECT_EQ(filter_.readObjects, 1);
  EXPECT_FALSE(filter_.GetSummary(dir_.Write("b.fake", "SSE").c_str(), summary));
  EXPECT_EQ(summary, "unchanged");
  EXPECT_EQ(manager_.GetObjectSink(), nullptr);
}

TEST_F(ImportFilterBase, SummaryRestoresTheSinkWhenTheImportFails) {
  NamesSink hostSink;
  manager_.SetObjectSink(&hostSink);
  std::string summary;
  const std::string path = dir_.Write("bad.fake", "S!H");
  try {
    filter_.GetSummary(path.c_str(), summary);
    FAIL() << "GetSummary returned";
  } catch (const hostbase::CError& e) {
    EXPECT_EQ(e.Code(), 18);
    EXPECT_EQ(e.Module(), "FakeImport");
  }
  EXPECT_EQ(manager_.GetObjectSink(), &hostSink);
}

TEST_F(ImportFilterBase, ImportFromMemoryImportsACopyAndRemovesIt) {
  NamesSink sink;
  manager_.SetObjectSink(&sink);
  const std::string bytes = "HSE";
  EXPECT_EQ(filter_.ImportFromMemory(bytes.data(), bytes.size(), false),
            hostfw::ImportStatus_Complete);
  EXPECT_EQ(sink.names,
            (std::vector<std::string>{"TrUniformLattice", "TrLatticeScan", "TrLatticeEnd"}));
  ASSERT_EQ(filter_.paths.size(), 1u);
  const std::filesystem::path used = filter_.paths[0];
  // Joined as paths: the system's temporary folder may end in a separator (Windows).
  EXPECT_EQ(used, std::filesystem::temp_directory_path() / used.filename());
  EXPECT_EQ(used.extension(), ".lat");
  EXPECT_FALSE(std::filesystem::exists(used)) << used;
}

TEST_F(ImportFilterBase, ImportFromMemoryRemovesTheCopyWhenTheImportFails) {
  const std::string bytes = "HS!";
  EXPECT_THROW(filter_.ImportFromMemory(bytes.data(), bytes.size(), false), hostbase::CError);
  ASSERT_EQ(filter_.paths.size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(filter_.paths[0]));
}

TEST_F(ImportFilterBase, ImportFromMemoryOfNothingImportsAnEmptyFile) {
  EXPECT_EQ(filter_.ImportFromMemory(nullptr, 0, false), hostfw::ImportStatus_Complete);
  EXPECT_EQ(filter_.readObjects, 0);
  ASSERT_EQ(filter_.paths.size(), 1u);
  EXPECT_NE(filter_.paths[0], "");
}

TEST_F(ImportFilterBase, EachImportFromMemoryUsesAFreshFile) {
  const std::string bytes = "E";
  filter_.ImportFromMemory(bytes.data(), bytes.size(), false);
  filter_.ImportFromMemory(bytes.data(), bytes.size(), false);
  ASSERT_EQ(filter_.paths.size(), 2u);
  EXPECT_NE(filter_.paths[0], filter_.paths[1]);
}

}  // namespace
