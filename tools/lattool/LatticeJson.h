// Reads the JSON description of one lattice for lattool create: a whole `dump` document
// (its first lattice is used) or one lattice object. Members are kept as plain values or
// arrays of numbers; nothing is interpreted here.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "hostfw/IoManager.h"

namespace lattool {

// The numbers of one JSON array, each kept exactly as written: an integer as a 64-bit
// integer, any other number (and NaN or an infinity) as a double. Eight bytes and one bit
// per number, so a lattice's values are held once.
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

// Input that cannot describe a lattice; the message names the member at fault.
class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct JsonMember {
  enum class Kind { Null, Bool, Integer, Real, String, Numbers, Other };
  Kind kind = Kind::Null;
  bool boolean = false;
  std::int64_t integer = 0;
  double real = 0.0;
  std::string text;
  NumberList numbers;
  // For Numbers: the first element that is not a number, described; empty when none.
  std::string problem;
};

using JsonMembers = std::map<std::string, JsonMember, std::less<>>;

// The members of the lattice object in the JSON file `path`, read in large blocks with the
// fraction read reported to `progress` (none: no reports); empty when a report answered
// false. Raises InputError for a file that cannot be read, malformed JSON, or a document
// that holds no lattice object.
std::optional<JsonMembers> ReadLatticeJson(const std::string& path,
                                           hostfw::IoProgressSink* progress);
// The same from JSON text.
JsonMembers ParseLatticeJson(const std::string& text);

}  // namespace lattool
