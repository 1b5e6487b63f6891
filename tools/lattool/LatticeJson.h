// Reads the JSON description of one lattice for lattool create: a whole `dump` document
// (its first lattice is used) or one lattice object. Members are kept as plain values or
// arrays of numbers; nothing is interpreted here.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>

#include "NumberList.h"
#include "hostfw/IoManager.h"

namespace lattool {

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
