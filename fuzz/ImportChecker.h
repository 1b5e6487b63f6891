// The host of the import fuzz drivers: receives every object, progress report and warning
// an import sends, checks each against the stream rules a host relies on, and answers
// "stop" where its plan says so. It keeps counters and a digest, never the objects.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "hostbase/Error.h"
#include "hostfw/IoManager.h"
#include "hostfw/Status.h"
#include "hostfw/Transfer.h"

namespace latfuzz {

// Where the host answers false; counted from 0, kNever for nowhere.
struct StopPlan {
  static constexpr std::int64_t kNever = -1;
  std::int64_t refuseObject = kNever;        // the object handed over
  std::int64_t cancelAtProportion = kNever;  // the fraction report
  bool cancelAtBegin = false;                // the first progress message
};

// What one import did, to compare two imports of the same file.
struct ImportOutcome {
  enum class End { Complete, Stopped, Failed };
  End end = End::Failed;
  int errorCode = 0;
  std::string errorModule;
  std::vector<hostbase::CErrorArg> errorArgs;
  std::int64_t objects = 0;
  std::int64_t lattices = 0;
  std::uint64_t digest = 0;
  bool operator==(const ImportOutcome&) const = default;
};

class ImportChecker final : public hostfw::IoObjectSink,
                            public hostfw::IoProgressSink,
                            public hostfw::IoMessageSink {
 public:
  // Installs itself as the manager's three sinks for an import of `file`, stored at `path`.
  ImportChecker(hostfw::IoManager& manager, std::string path, std::span<const std::uint8_t> file,
                StopPlan plan);
  ~ImportChecker() override;
  ImportChecker(const ImportChecker&) = delete;
  ImportChecker& operator=(const ImportChecker&) = delete;

  bool Receive(hostfw::TrBase& object) override;
  bool Begin(const std::string& message) override;
  bool Proportion(double fraction) override;
  void Stop() override;
  void Warning(const std::string& text) override;
  void ShowHelp(const std::string& topic) override;

  // Checks how the import ended against everything seen, and returns the outcome.
  ImportOutcome Finish(hostfw::ImportStatus status);
  ImportOutcome Finish(const hostbase::CError& error);

 private:
  bool Answer(bool stopHere);
  void CheckHeader(const hostfw::TrLattice& header, bool curvilinear, const char* infoLabel);
  void CheckScan(const hostfw::TrLatticeScan& scan);
  void CheckCoordType(int coordType) const;
  void CheckEnd();
  void CheckErrorArgs(const hostbase::CError& error) const;
  void Mix(const void* bytes, std::size_t size);
  template <class T>
  void MixValue(const T& value) {
    Mix(&value, sizeof value);
  }
  ImportOutcome Outcome(ImportOutcome::End end) const;

  hostfw::IoManager& manager_;
  std::string path_;
  std::string name_;
  std::span<const std::uint8_t> file_;
  StopPlan plan_;

  bool answeredStop_ = false;
  int begins_ = 0;
  int stops_ = 0;
  std::int64_t objects_ = 0;
  std::int64_t fractions_ = 0;
  std::int64_t latticesEnded_ = 0;
  std::int64_t headers_ = 0;
  bool lastWasCurvilinearHeader_ = false;

  // The lattice under way.
  bool inLattice_ = false;
  bool curvilinear_ = false;
  std::int64_t rows_ = 0;
  std::int64_t rowsDone_ = 0;
  std::int64_t scans_ = 0;
  std::size_t dataBytes_ = 0;
  std::size_t coordBytes_ = 0;
  std::int64_t proportionDue_ = -1;  // the row whose fraction must come next, or -1

  std::uint64_t digest_ = 0xcbf29ce484222325ull;
};

}  // namespace latfuzz
