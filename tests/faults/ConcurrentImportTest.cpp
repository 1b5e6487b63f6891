// Two filters used from two threads at once must each deliver exactly what they deliver
// alone. The threads take turns object by object, so both imports are under way together
// from their first object to their last.
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "formats/LatBinaryFormat.h"
#include "hostfw/Status.h"
#include "import/LatImportFilter.h"
#include "tests/faults/FaultHarness.h"
#include "tests/support/LatBinaryWriter.h"
#include "tests/support/LatPlainWriter.h"
#include "tests/support/TempDir.h"

namespace lattest {
namespace {

namespace bin = lat::binary;

// Strict turns between two threads while both are running; a thread that has finished
// no longer holds the other up. Records the order in which the turns were taken. Each
// object reaches the recording host during its own thread's turn.
class Turns {
 public:
  bool Receive(int me, RecordingHost& host, hostfw::TrBase& object) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return turn_ == me || finished_[1 - me]; });
    order_.push_back(me);
    lock.unlock();
    const bool accepted = host.Receive(object);
    Set(turn_, 1 - me);
    return accepted;
  }
  void Finish(int me) { Set(finished_[me], true); }
  std::vector<int> Order() const {
    const std::lock_guard lock(mutex_);
    return order_;
  }

 private:
  template <class T>
  void Set(T& field, T value) {
    {
      const std::lock_guard lock(mutex_);
      field = value;
    }
    changed_.notify_all();
  }
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  int turn_ = 0;
  bool finished_[2] = {false, false};
  std::vector<int> order_;
};

class TurnTakingSink final : public hostfw::IoObjectSink {
 public:
  TurnTakingSink(Turns& turns, int me, RecordingHost& host) : turns_(turns), me_(me), host_(host) {}
  bool Receive(hostfw::TrBase& object) override { return turns_.Receive(me_, host_, object); }

 private:
  Turns& turns_;
  int me_;
  RecordingHost& host_;
};

// What an import delivered, in a form two imports can be compared by.
struct Delivery {
  hostfw::ImportStatus status = hostfw::ImportStatus_Stopped;
  std::string sequence;
  std::vector<std::uint8_t> scanBytes;
  std::vector<std::string> summaries;
  std::vector<double> fractions;
  std::vector<std::string> messages;
  std::string error;  // the message of an error the import raised
  bool operator==(const Delivery&) const = default;
};

// Imports `path` on `filter`; an error is kept in the delivery instead of leaving the
// thread.
Delivery Import(LatImportFilter& filter, RecordingHost& host, const std::string& path) {
  host.Clear();
  Delivery d;
  try {
    d.status = filter.ImportFromFile(path.c_str());
  } catch (const hostbase::CError& error) {
    d.error = error.Message();
  }
  d.sequence = host.Sequence();
  d.scanBytes = host.ScanBytes();
  d.fractions = host.fractions;
  d.messages = host.beginMessages;
  for (const RecordedObject& o : host.objects)
    if (o.IsHeader()) d.summaries.push_back(o.latticeInfo);
  return d;
}

// One import alone, for reference.
Delivery ImportAlone(const std::string& path) {
  hostfw::IoManager manager;
  RecordingHost host(manager);
  LatImportFilter filter(manager);
  return Import(filter, host, path);
}

// Runs two imports of `path` each, one filter per thread, taking turns.
void ImportTogether(const std::string (&paths)[2], Turns& turns, Delivery (&out)[2][2]) {
  auto run = [&](int me) {
    hostfw::IoManager manager;
    RecordingHost host(manager);
    TurnTakingSink sink(turns, me, host);
    manager.SetObjectSink(&sink);
    LatImportFilter filter(manager);
    for (Delivery& delivery : out[me]) delivery = Import(filter, host, paths[me]);
    manager.SetObjectSink(&host);
    turns.Finish(me);
  };
  std::thread first(run, 0);
  std::thread second(run, 1);
  first.join();
  second.join();
}

class ConcurrentImports : public ::testing::Test {
 protected:
  void ExpectSameAsAlone(const std::string& a, const std::string& b) {
    const std::string paths[2] = {a, b};
    const Delivery alone[2] = {ImportAlone(a), ImportAlone(b)};
    ASSERT_EQ(alone[0].status, hostfw::ImportStatus_Complete);
    ASSERT_EQ(alone[1].status, hostfw::ImportStatus_Complete);
    Turns turns;
    Delivery together[2][2];
    ImportTogether(paths, turns, together);
    for (int t = 0; t < 2; ++t) {
      EXPECT_EQ(together[t][0], alone[t]) << "first import of thread " << t;
      EXPECT_EQ(together[t][1], alone[t]) << "second import of thread " << t;
    }
    // Both were under way together: the turns alternated until the shorter one ended.
    const std::vector<int> order = turns.Order();
    const std::size_t objectsA = 2 * CountObjects(alone[0]);
    const std::size_t objectsB = 2 * CountObjects(alone[1]);
    ASSERT_EQ(order.size(), objectsA + objectsB);
    for (std::size_t i = 0; i < 2 * std::min(objectsA, objectsB); ++i)
      ASSERT_EQ(order[i], static_cast<int>(i % 2)) << "turn " << i;
  }

  static std::size_t CountObjects(const Delivery& d) {
    return d.sequence.empty() ? 0 : (d.sequence.size() + 1) / 2;
  }

  std::string Binary(const std::string& name, std::int32_t geometry, std::int32_t primType) {
    BinaryLattice lat;
    lat.dims = {5, 7, 3};
    lat.primType = primType;
    lat.nDataVar = 2;
    lat.geometryType = geometry;
    lat.values = Ramp(2 * 105, primType == 0 ? -100.0 : 1.25, 0.75);
    if (geometry == bin::kUniform) lat.coords = {0, 4, 1, 7, -2, 2};
    if (geometry == bin::kRectilinear) lat.coords = Floats(Ramp(15, 0.0, 0.5));
    if (geometry == bin::kCurvilinear) lat.coords = Floats(Ramp(3 * 105, -1.0, 0.125));
    return dir.Write(name, EncodeBinary(lat).bytes);
  }

  std::string Plain(const std::string& name, std::int32_t geometry, std::size_t blocks) {
    const std::vector<std::int32_t> dims = {4, 6, 3};
    PlainLattice lat;
    lat.dims = dims;
    lat.geometryType = geometry;
    lat.primType = geometry == bin::kUniform ? 4 : 1;
    const auto nodes = static_cast<std::size_t>(dims[0] * dims[1] * dims[2]);
    if (geometry == bin::kUniform) lat.geometry = {0, 3, 0, 5, 0, 2};
    if (geometry == bin::kRectilinear)
      lat.geometry = Ramp(static_cast<std::size_t>(dims[0] + dims[1] + dims[2]), 0.0, 1.5);
    if (geometry == bin::kCurvilinear) lat.geometry = Ramp(3 * nodes, 0.0, 0.25);
    for (std::size_t b = 0; b < blocks; ++b)
      lat.blocks.push_back(Ramp(nodes, 100.0 * static_cast<double>(b), 0.5));
    return dir.Write(name, PlainLatticeText(lat));
  }

  static std::vector<float> Floats(const std::vector<double>& values) {
    return {values.begin(), values.end()};
  }

  TempDir dir;
};

// Plain and binary files of different geometries and value types, two plain files through
// the same word reader, and both threads reading the same file.
TEST_F(ConcurrentImports, EachDeliversWhatItDeliversAlone) {
  ExpectSameAsAlone(Plain("uniform.lat", bin::kUniform, 3),
                    Binary("curvi.lat", bin::kCurvilinear, 3));
  ExpectSameAsAlone(Plain("rect.lat", bin::kRectilinear, 2),
                    Plain("curvi.lat", bin::kCurvilinear, 1));
  ExpectSameAsAlone(Binary("uniform.lat", bin::kUniform, 0),
                    Binary("rect.lat", bin::kRectilinear, 4));
  const std::string shared = Plain("shared.lat", bin::kCurvilinear, 2);
  ExpectSameAsAlone(shared, shared);
}

}  // namespace
}  // namespace lattest
