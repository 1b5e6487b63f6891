// The one host of the tests, fuzz drivers and benchmarks: installed as the manager's three
// sinks, it records a plain copy of every object (the filter may reuse the original), progress
// report, warning and help topic, and answers as configured (refuse an object, cancel).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "hostfw/IoManager.h"
#include "hostfw/Transfer.h"

namespace lattest {

struct RecordedObject {
  enum class Kind { Uniform, Rectilinear, Curvilinear, Scan, End, Other };
  Kind kind = Kind::Other;
  bool refused = false;  // the host answered false for it

  // Lattice headers.
  std::int32_t nx = 0, ny = 0, nz = 0, numComponents = 0, dataType = 0;
  std::int32_t scanMode = 0, scanParam = 0;
  std::uint8_t flags = 0;
  double blankValue = 0.0;
  bool hasLatticeInfo = false;
  std::string latticeInfo;  // the "LatticeInfo" parameter
  std::size_t paramCount = 0;
  std::array<double, 3> origin{}, spacing{};     // uniform
  std::int32_t coordType = 0;                    // rectilinear, curvilinear
  std::vector<float> xCoords, yCoords, zCoords;  // rectilinear, widened/narrowed to float

  // Scans: the bytes of `data`.
  std::vector<std::uint8_t> bytes;

  bool IsHeader() const {
    return kind == Kind::Uniform || kind == Kind::Rectilinear || kind == Kind::Curvilinear;
  }
};

class RecordingHost final : public hostfw::IoObjectSink,
                            public hostfw::IoProgressSink,
                            public hostfw::IoMessageSink {
 public:
  static constexpr int kNever = -1;

  explicit RecordingHost(hostfw::IoManager& manager);
  ~RecordingHost() override;  // removes itself from the manager
  RecordingHost(const RecordingHost&) = delete;
  RecordingHost& operator=(const RecordingHost&) = delete;

  bool Receive(hostfw::TrBase& object) override;
  bool Begin(const std::string& message) override;
  bool Proportion(double fraction) override;
  void Stop() override { ++stops; }
  void Warning(const std::string& text) override { warnings.push_back(text); }
  void ShowHelp(const std::string& topic) override { helpTopics.push_back(topic); }

  // Configuration: counted from 0, kNever to accept everything.
  int refuseObject = kNever;        // answer false for this received object
  bool cancelAtBegin = false;       // answer false when the progress report begins
  int cancelAtProportion = kNever;  // answer false for this fraction report
  bool keepScanBytes = true;        // false: scans recorded without their bytes (benchmarks)

  // Actions on the world (e.g. shrinking the file being read) before the host answers the
  // progress report's begin or the first object.
  std::function<void()> atBegin;
  std::function<void()> atObject;

  // What arrived.
  std::vector<RecordedObject> objects;
  std::vector<std::string> beginMessages;
  std::vector<double> fractions;
  int stops = 0;
  std::vector<std::string> warnings;
  std::vector<std::string> helpTopics;

  // The kinds of the objects in arrival order: U, R, C (headers), S (scan), E (end).
  std::string Sequence() const;
  // The bytes of every scan, in arrival order, one after another (every scan when
  // `step` is 1; with step 2 and first 1, only the odd ones: curvilinear data scans).
  std::vector<std::uint8_t> ScanBytes(std::size_t first = 0, std::size_t step = 1) const;
  void Clear();

 private:
  hostfw::IoManager& manager_;
};

// A plain copy of a transfer object (a scan's bytes only `withBytes`).
RecordedObject RecordObject(const hostfw::TrBase& object, bool withBytes = true);
// Scan bytes as values of host type `type`, converted to double.
std::vector<double> AsDoubles(int type, const std::vector<std::uint8_t>& bytes);

}  // namespace lattest
