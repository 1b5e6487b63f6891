// Two filters used from two threads at once must each deliver exactly what they deliver
// alone. The threads take turns object by object, so both imports are under way together
// from their first object to their last.
#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "import/LatImportFilter.h"
#include "tests/faults/FaultHarness.h"
#include "tests/support/LatBinaryWriter.h"
#include "tests/support/LatPlainWriter.h"
#include "tests/support/TempDir.h"

namespace lattest {
namespace {

// Strict turns while both threads run (a finished thread holds the other up no longer);
// each object reaches its thread's recording host during that thread's turn.
class Turns {
 public:
  class Sink final : public hostfw::IoObjectSink {
   public:
    Sink(Turns& turns, int me, RecordingHost& host) : turns_(turns), me_(me), host_(host) {}
    bool Receive(hostfw::TrBase& object) override {
      std::unique_lock lock(turns_.mutex_);
      turns_.changed_.wait(lock, [&] { return turns_.turn_ == me_ || turns_.finished_[1 - me_]; });
      turns_.order_.push_back(me_);
      lock.unlock();
      const bool accepted = host_.Receive(object);
      turns_.Set(turns_.turn_, 1 - me_);
      return accepted;
    }

   private:
    Turns& turns_;
    int me_;
    RecordingHost& host_;
  };
  void Finish(int me) { Set(finished_[me], true); }
  std::vector<int> order_;  // the thread of each turn, read once both have finished

 private:
  template <class T>
  void Set(T& field, T value) {
    {
      const std::lock_guard lock(mutex_);
      field = value;
    }
    changed_.notify_all();
  }
  std::mutex mutex_;
  std::condition_variable changed_;
  int turn_ = 0;
  bool finished_[2] = {false, false};
};

// Everything an import delivered, as text: the status or error, the objects with every
// scan's bytes and every summary, the progress.
std::string Import(LatImportFilter& filter, RecordingHost& host, const std::string& path) {
  host.Clear();
  std::string d;
  try {
    d = std::to_string(filter.ImportFromFile(path.c_str()));
  } catch (const hostbase::CError& error) {
    d = error.Message();
  }
  d += host.Sequence() + host.beginMessages.at(0);
  const std::vector<std::uint8_t> bytes = host.ScanBytes();
  d.append(bytes.begin(), bytes.end());
  for (const RecordedObject& o : host.objects) d += o.latticeInfo;
  for (double f : host.fractions) d += std::to_string(f);
  return d;
}

void ExpectSameAsAlone(const std::string& a, const std::string& b) {
  const std::string paths[2] = {a, b};
  std::string alone[2];
  std::size_t objects = 0, shorter = SIZE_MAX;
  for (int t = 0; t < 2; ++t) {
    hostfw::IoManager manager;
    RecordingHost host(manager);
    LatImportFilter filter(manager);
    alone[t] = Import(filter, host, paths[t]);
    ASSERT_EQ(alone[t].substr(0, 1), "0");  // complete
    objects += 2 * host.objects.size();
    shorter = std::min(shorter, 2 * host.objects.size());
  }
  Turns turns;
  std::string together[2][2];
  const auto run = [&](int me) {
    hostfw::IoManager manager;
    RecordingHost host(manager);
    Turns::Sink sink(turns, me, host);
    manager.SetObjectSink(&sink);
    LatImportFilter filter(manager);
    for (std::string& delivery : together[me]) delivery = Import(filter, host, paths[me]);
    manager.SetObjectSink(&host);
    turns.Finish(me);
  };
  std::thread first(run, 0), second(run, 1);
  first.join();
  second.join();
  for (int t = 0; t < 2; ++t) {
    EXPECT_EQ(together[t][0], alone[t]) << "first import of thread " << t;
    EXPECT_EQ(together[t][1], alone[t]) << "second import of thread " << t;
  }
  // Both were under way together: the turns alternated until the shorter one ended.
  ASSERT_EQ(turns.order_.size(), objects);
  for (std::size_t i = 0; i < 2 * shorter; ++i)
    ASSERT_EQ(turns.order_[i], static_cast<int>(i % 2)) << i;
}

// Plain and binary files of different geometries and value types, two plain files through
// the same word reader, and both threads reading the same file.
TEST(ConcurrentImports, EachDeliversWhatItDeliversAlone) {
  TempDir dir;
  const auto binary = [&](int geometry, int primType) {
    BinaryLattice lat;
    lat.dims = {5, 7, 3};
    lat.primType = primType;
    lat.nDataVar = 2;
    lat.geometryType = geometry;
    lat.values = Ramp(2 * 105, primType == 0 ? -100.0 : 1.25, 0.75);
    const std::size_t coords[] = {6, 15, 3 * 105};
    for (double c : Ramp(coords[geometry], -1.0, 0.5)) lat.coords.push_back(static_cast<float>(c));
    return dir.Write("b" + std::to_string(geometry), EncodeBinary(lat).bytes);
  };
  const auto plain = [&](int geometry, std::size_t blocks) {
    PlainLattice lat;
    lat.dims = {4, 6, 3};
    lat.geometryType = geometry;
    lat.primType = geometry == 0 ? 4 : 1;
    const std::size_t coords[] = {6, 13, 3 * 72};
    lat.geometry = Ramp(coords[geometry], 0.0, 0.25);
    for (std::size_t b = 0; b < blocks; ++b)
      lat.blocks.push_back(Ramp(72, 100.0 * static_cast<double>(b), 0.5));
    return dir.Write("p" + std::to_string(geometry), PlainLatticeText(lat));
  };
  ExpectSameAsAlone(plain(0, 3), binary(2, 3));
  ExpectSameAsAlone(plain(1, 2), plain(2, 1));
  ExpectSameAsAlone(binary(0, 0), binary(1, 4));
  ExpectSameAsAlone(dir.File("p2"), dir.File("p2"));
}

}  // namespace
}  // namespace lattest
