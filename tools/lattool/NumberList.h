// The numbers of one JSON array, each kept exactly as written: an integer as a 64-bit
// integer, any other number (and NaN or an infinity) as a double. Eight bytes and one bit
// per number, so a lattice's values are held once.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace lattool {

class NumberList {
 public:
  void AddInteger(std::int64_t value) {
    bits_.push_back(static_cast<std::uint64_t>(value));
    real_.push_back(false);
  }
  void AddReal(double value) {
    bits_.push_back(std::bit_cast<std::uint64_t>(value));
    real_.push_back(true);
  }

  std::size_t Size() const noexcept { return bits_.size(); }
  bool IsInteger(std::size_t i) const { return !real_[i]; }
  // Element i as written; call only when IsInteger(i).
  std::int64_t Integer(std::size_t i) const { return static_cast<std::int64_t>(bits_[i]); }
  // Element i as a double (an integer rounded to the nearest double).
  double Real(std::size_t i) const {
    return real_[i] ? std::bit_cast<double>(bits_[i]) : static_cast<double>(Integer(i));
  }

 private:
  std::vector<std::uint64_t> bits_;
  std::vector<bool> real_;
};

}  // namespace lattool
