// Per-component statistics of a lattice's values (counts, extremes, mean, standard
// deviation), kept as the scans go by so that memory does not grow with the lattice. NaN
// values are counted apart and left out, and so are blanked values once a marker is set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "latclient/Api.h"
#include "latclient/ComponentRanges.h"

namespace latclient {

class LATCLIENT_API ComponentStats {
 public:
  struct Summary {
    std::uint64_t count = 0;   // values taken in
    std::uint64_t nans = 0;    // NaN values left out
    std::uint64_t blanks = 0;  // blanked values left out
    double mean = 0.0;         // NaN when no value was taken in
    double stddev = 0.0;       // population standard deviation; NaN when no value was taken
  };

  // Values of CPrimType code `type`, `components` of them per node.
  ComponentStats(int type, int components);

  // From now on values equal to `marker` (read as doubles) are blanks.
  void SkipBlanks(double marker) noexcept;
  // Takes in the values of one data scan (`byteCount` bytes, nodes one after another).
  void AddScan(const void* data, std::size_t byteCount);

  std::size_t Count() const noexcept { return moments_.size(); }
  const ComponentRanges& Ranges() const noexcept { return ranges_; }
  Summary Of(std::size_t c) const;

 private:
  // Count, mean and sum of squared deviations, merged scan by scan (Chan et al.), each
  // scan's own taken in two passes so that a large mean costs no precision.
  struct Moments {
    std::uint64_t count = 0, nans = 0, blanks = 0;
    double mean = 0.0, m2 = 0.0;
  };

  template <class T>
  void AddTyped(const unsigned char* bytes, std::size_t count);

  int type_;
  ComponentRanges ranges_;
  std::vector<Moments> moments_;
  bool skipBlanks_ = false;
  double blankMarker_ = 0.0;
};

}  // namespace latclient
