// Two filters used from two threads at once must each deliver exactly what they deliver
// alone. The threads go object by object in step, so both imports are under way together
// from their first object to their last.
#include <gtest/gtest.h>

#include <barrier>
#include <thread>

#include "import/LatImportFilter.h"
#include "tests/support/LatBinaryWriter.h"
#include "tests/support/LatPlainWriter.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TempDir.h"

namespace lattest {
namespace {

// Each object waits for the other thread's next object (or its end), so neither import
// gets ahead of the other by more than one object.
class LockstepSink final : public hostfw::IoObjectSink {
 public:
  LockstepSink(std::barrier<>& together, RecordingHost& host) : lockstep(together), host_(host) {}
  bool Receive(hostfw::TrBase& object) override {
    lockstep.arrive_and_wait();
    return host_.Receive(object);
  }

 private:
  std::barrier<>& lockstep;
  RecordingHost& host_;
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
  std::string alone[2], together[2][2];
  for (int t = 0; t < 2; ++t) {
    hostfw::IoManager manager;
    RecordingHost host(manager);
    LatImportFilter filter(manager);
    alone[t] = Import(filter, host, paths[t]);
    ASSERT_EQ(alone[t].substr(0, 1), "0");  // complete
  }
  std::barrier lockstep(2);
  const auto run = [&](int me) {
    hostfw::IoManager manager;
    RecordingHost host(manager);
    LockstepSink sink(lockstep, host);
    manager.SetObjectSink(&sink);
    LatImportFilter filter(manager);
    for (std::string& delivery : together[me]) delivery = Import(filter, host, paths[me]);
    manager.SetObjectSink(&host);
    lockstep.arrive_and_drop();
  };
  std::thread first(run, 0), second(run, 1);
  first.join();
  second.join();
  for (int t = 0; t < 2; ++t) {
    EXPECT_EQ(together[t][0], alone[t]) << "first import of thread " << t;
    EXPECT_EQ(together[t][1], alone[t]) << "second import of thread " << t;
  }
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
