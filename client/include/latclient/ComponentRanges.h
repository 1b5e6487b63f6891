// Running minimum and maximum of each component of a lattice's values, kept as the
// scans go by so that memory does not grow with the lattice. NaN values are left out, and
// so are blanked values once a blank marker is set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "latclient/Api.h"

namespace latclient {

class LATCLIENT_API ComponentRanges {
 public:
  // Values of CPrimType code `type`, `components` of them per node.
  ComponentRanges(int type, int components);

  // From now on values equal to `marker` (read as doubles) are blanks and left out.
  void SkipBlanks(double marker) noexcept {
    skipBlanks_ = true;
    blankMarker_ = marker;
  }

  // Takes in the values of one data scan (`byteCount` bytes, nodes one after another).
  void AddScan(const void* data, std::size_t byteCount);

  // "min <v>, max <v>" for component `c`, or "no values" when none (other than NaN) came.
  std::string Describe(std::size_t c) const;
  std::size_t Count() const noexcept { return ranges_.size(); }

  // Whether component `c` had a value, and its extremes as doubles (0 when it had none).
  bool Seen(std::size_t c) const { return ranges_.at(c).seen; }
  double Min(std::size_t c) const;
  double Max(std::size_t c) const;

 private:
  // Integer types fit in 64-bit signed, reals in double (a float exactly).
  struct Range {
    bool seen = false;
    std::int64_t intMin = 0, intMax = 0;
    double realMin = 0, realMax = 0;
  };

  template <class T>
  void Take(Range& range, T value) noexcept;
  template <class T>
  void TakeRun(Range& range, const unsigned char* bytes, std::size_t n,
               std::size_t stride) noexcept;
  template <class T>
  void AddTyped(const unsigned char* bytes, std::size_t count) noexcept;
  template <class T>
  std::string DescribeTyped(const Range& range) const;

  int type_;
  std::vector<Range> ranges_;
  bool skipBlanks_ = false;
  double blankMarker_ = 0.0;
};

}  // namespace latclient
