// Member checks for lattool create, each error naming its member, the exact conversion of
// its numbers, and the header and rows made from the checked description.
#include "LatticeDescription.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>

#include "hostbase/PrimType.h"

namespace lattool {

// Exact conversion of JSON numbers into each primitive type: a number that the type cannot
// hold (a fraction or an out-of-range value for an integer type, a finite value beyond a
// float's range) is refused rather than rounded or clamped.
namespace {

// 2^63: the first double above every 64-bit signed integer.
constexpr double kTwoTo63 = 9223372036854775808.0;
// Halfway between the largest float and the next power of two: a double below it rounds
// to a finite float.
constexpr double kFloatOverflow = 0x1.ffffffp127;

template <class T>
bool IntegerValue(const NumberList& list, std::size_t i, T& value) {
  std::int64_t whole;
  if (list.IsInteger(i)) {
    whole = list.Integer(i);
  } else {
    const double real = list.Real(i);
    if (!(std::trunc(real) == real && real >= -kTwoTo63 && real < kTwoTo63)) return false;
    whole = static_cast<std::int64_t>(real);
  }
  if constexpr (!std::is_same_v<T, std::int64_t>) {
    if (whole < static_cast<std::int64_t>(std::numeric_limits<T>::lowest()) ||
        whole > static_cast<std::int64_t>(std::numeric_limits<T>::max())) {
      return false;
    }
  }
  value = static_cast<T>(whole);
  return true;
}

template <class T>
bool RealValue(const NumberList& list, std::size_t i, T& value) {
  const double real = list.Real(i);
  if constexpr (std::is_same_v<T, float>) {
    constexpr float kMax = std::numeric_limits<float>::max();
    if (std::isfinite(real) && std::fabs(real) > kMax) {
      if (std::fabs(real) >= kFloatOverflow) return false;
      value = real > 0 ? kMax : -kMax;  // rounds to the largest float
      return true;
    }
  }
  value = static_cast<T>(real);
  return true;
}

std::string ElementText(const NumberList& list, std::size_t i) {
  char text[kNumberTextMax];
  char* end =
      list.IsInteger(i) ? FormatNumber(text, list.Integer(i)) : FormatNumber(text, list.Real(i));
  return std::string(text, end);
}

// Converts element i to T; the one place that picks the rule by type.
template <class T>
bool Convert(const NumberList& list, std::size_t i, T& value) {
  if constexpr (std::is_floating_point_v<T>) {
    return RealValue(list, i, value);
  } else {
    return IntegerValue(list, i, value);
  }
}

// Stores `count` elements from `first` on, one after another; on a refused element raises
// InputError "\"<member>\"[<index>]: <number> does not fit <type name>".
void StoreRange(int type, const NumberList& list, std::size_t first, std::size_t count, void* out,
                const char* member) {
  std::size_t refused = count;
  DispatchPrimType(type, [&](auto tag) {
    typename decltype(tag)::type value{};
    auto* bytes = static_cast<unsigned char*>(out);
    for (std::size_t k = 0; k < count && refused == count; ++k) {
      if (Convert(list, first + k, value)) {
        std::memcpy(bytes + k * sizeof value, &value, sizeof value);
      } else {
        refused = k;
      }
    }
  });
  if (refused == count) return;
  const std::size_t i = first + refused;
  throw InputError("\"" + std::string(member) + "\"[" + std::to_string(i) + "]: " +
                   ElementText(list, i) + " does not fit " + hostbase::CPrimType::TypeName[type]);
}

}  // namespace

namespace {

std::string Quoted(std::string_view name) {
  return "\"" + std::string(name) + "\"";
}

const JsonMember* Find(const JsonMembers& members, std::string_view name) {
  const auto it = members.find(name);
  return it == members.end() ? nullptr : &it->second;
}

const JsonMember& Require(const JsonMembers& members, std::string_view name) {
  const JsonMember* member = Find(members, name);
  if (member == nullptr) throw InputError("missing member " + Quoted(name));
  return *member;
}

int IntMember(const JsonMembers& members, std::string_view name, int low, int high,
              std::optional<int> fallback = std::nullopt) {
  const JsonMember* member = Find(members, name);
  if (member == nullptr && fallback) return *fallback;
  if (member == nullptr) throw InputError("missing member " + Quoted(name));
  if (member->kind != JsonMember::Kind::Integer) {
    throw InputError(Quoted(name) + " must be an integer");
  }
  if (member->integer < low || member->integer > high) {
    throw InputError(Quoted(name) + " must be from " + std::to_string(low) + " to " +
                     std::to_string(high) + ", not " + std::to_string(member->integer));
  }
  return static_cast<int>(member->integer);
}

double NumberMember(const JsonMembers& members, std::string_view name, double fallback) {
  const JsonMember* member = Find(members, name);
  if (member == nullptr) return fallback;
  if (member->kind != JsonMember::Kind::Integer && member->kind != JsonMember::Kind::Real) {
    throw InputError(Quoted(name) + " must be a number");
  }
  return member->real;
}

const NumberList& NumbersMember(const JsonMembers& members, std::string_view name,
                                std::size_t expected, const char* sizeRule) {
  const JsonMember& member = Require(members, name);
  if (member.kind != JsonMember::Kind::Numbers) {
    throw InputError(Quoted(name) + " must be an array of numbers");
  }
  if (!member.problem.empty()) throw InputError(Quoted(name) + member.problem);
  if (member.numbers.Size() != expected) {
    throw InputError(Quoted(name) + " holds " + std::to_string(member.numbers.Size()) +
                     " numbers, expected " + std::to_string(expected) + " (" + sizeRule + ")");
  }
  return member.numbers;
}

std::array<double, 3> Triple(const JsonMembers& members, std::string_view name) {
  const NumberList& list = NumbersMember(members, name, 3, "x, y, z");
  return {list.Real(0), list.Real(1), list.Real(2)};
}

std::optional<std::vector<double>> OptionalDoubles(const JsonMembers& members,
                                                   std::string_view name, std::size_t count) {
  if (Find(members, name) == nullptr) return std::nullopt;
  const NumberList& list = NumbersMember(members, name, count, "one per component");
  std::vector<double> out(count);
  for (std::size_t i = 0; i < count; ++i) out[i] = list.Real(i);
  return out;
}

ObjectKind KindMember(const JsonMembers& members) {
  const JsonMember& member = Require(members, "kind");
  if (member.kind == JsonMember::Kind::String) {
    if (member.text == "uniform") return ObjectKind::Uniform;
    if (member.text == "rectilinear") return ObjectKind::Rectilinear;
    if (member.text == "curvilinear") return ObjectKind::Curvilinear;
  }
  throw InputError(R"("kind" must be "uniform", "rectilinear" or "curvilinear")");
}

// a × b, or nothing when it would pass `limit`.
std::optional<std::size_t> Times(std::size_t a, std::size_t b, std::size_t limit) {
  if (b != 0 && a > limit / b) return std::nullopt;
  return a * b;
}

// Counts that the scans and the arrays can hold: a row's bytes fit a scan's int size.
std::size_t NodeValueCount(const LatticeDescription& description) {
  constexpr auto kRowLimit = static_cast<std::size_t>(INT_MAX);
  const auto dataSize =
      static_cast<std::size_t>(hostbase::CPrimType::TypeSize[description.dataType]);
  const auto coordSize =
      static_cast<std::size_t>(hostbase::CPrimType::TypeSize[description.coordType]);
  const auto nx = static_cast<std::size_t>(description.nx);
  const auto rowValues = Times(nx, static_cast<std::size_t>(description.components), kRowLimit);
  const bool nodeCoords = description.kind == ObjectKind::Curvilinear;
  if (!rowValues || !Times(*rowValues, dataSize, kRowLimit) ||
      (nodeCoords && !Times(3 * nx, coordSize, kRowLimit))) {
    throw InputError("a row of nx x components values is too large");
  }
  if (description.RowCount() > kRowLimit)
    throw InputError("the lattice has too many rows (ny x nz)");
  const auto total = Times(*rowValues, description.RowCount(), SIZE_MAX / 16);
  if (!total) throw InputError("the lattice is too large (nx x ny x nz x components)");
  return *total;
}

void ReadGeometry(const JsonMembers& members, LatticeDescription& description) {
  const auto nodes = description.RowCount() * static_cast<std::size_t>(description.nx);
  switch (description.kind) {
    case ObjectKind::Uniform:
      description.origin = Triple(members, "origin");
      description.spacing = Triple(members, "spacing");
      break;
    case ObjectKind::Rectilinear:
      description.xCoords =
          &NumbersMember(members, "xCoords", static_cast<std::size_t>(description.nx), "nx");
      description.yCoords =
          &NumbersMember(members, "yCoords", static_cast<std::size_t>(description.ny), "ny");
      description.zCoords =
          &NumbersMember(members, "zCoords", static_cast<std::size_t>(description.nz), "nz");
      break;
    default:
      description.coords = &NumbersMember(members, "coords", 3 * nodes, "3 x nx x ny x nz");
      break;
  }
}

}  // namespace

LatticeDescription ReadLatticeDescription(const JsonMembers& members) {
  constexpr int kLastType = hostbase::CPrimType::kTypeCount - 1;
  LatticeDescription description;
  description.kind = KindMember(members);
  description.dataType = IntMember(members, "dataType", 0, kLastType);
  description.nx = IntMember(members, "nx", 1, INT_MAX);
  description.ny = IntMember(members, "ny", 1, INT_MAX);
  description.nz = IntMember(members, "nz", 1, INT_MAX);
  description.components = IntMember(members, "components", 1, INT_MAX);
  description.flags = static_cast<std::uint8_t>(IntMember(members, "flags", 0, 255, 0));
  description.blankValue = NumberMember(members, "blankValue", 0.0);
  if (description.kind != ObjectKind::Uniform) {
    description.coordType =
        IntMember(members, "coordType", 0, kLastType, hostbase::CPrimType::Float);
  }
  const std::size_t valueCount = NodeValueCount(description);
  ReadGeometry(members, description);
  description.values = &NumbersMember(members, "values", valueCount, "nx x ny x nz x components");
  const auto components = static_cast<std::size_t>(description.components);
  description.componentMin = OptionalDoubles(members, "componentMin", components);
  description.componentMax = OptionalDoubles(members, "componentMax", components);
  return description;
}

namespace {

std::size_t Size(int count) {
  return static_cast<std::size_t>(count);
}

}  // namespace

std::unique_ptr<hostfw::TrLattice> LatticeSource::MakeHeader() const {
  const LatticeDescription& s = description_;
  std::unique_ptr<hostfw::TrLattice> header;
  if (s.kind == ObjectKind::Uniform) {
    auto uniform =
        std::make_unique<hostfw::TrUniformLattice>(s.dataType, s.nx, s.ny, s.nz, s.components);
    for (std::size_t axis = 0; axis < 3; ++axis) {
      uniform->origin[axis] = s.origin[axis];
      uniform->spacing[axis] = s.spacing[axis];
    }
    header = std::move(uniform);
  } else if (s.kind == ObjectKind::Rectilinear) {
    auto rect = std::make_unique<hostfw::TrRectilinearLattice>(s.coordType, s.dataType, s.nx, s.ny,
                                                               s.nz, s.components);
    StoreRange(s.coordType, *s.xCoords, 0, Size(s.nx), rect->xCoords, "xCoords");
    StoreRange(s.coordType, *s.yCoords, 0, Size(s.ny), rect->yCoords, "yCoords");
    StoreRange(s.coordType, *s.zCoords, 0, Size(s.nz), rect->zCoords, "zCoords");
    header = std::move(rect);
  } else {
    header = std::make_unique<hostfw::TrCurvilinearLattice>(s.coordType, s.dataType, s.nx, s.ny,
                                                            s.nz, s.components);
  }
  header->flags = s.flags;
  header->blankValue = s.blankValue;
  return header;
}

std::unique_ptr<hostfw::TrLatticeScan> LatticeSource::MakeCoordScan() const {
  const int bytes = 3 * description_.nx * hostbase::CPrimType::TypeSize[description_.coordType];
  return std::make_unique<hostfw::TrLatticeScan>(bytes);
}

void LatticeSource::FillData(std::size_t row, hostfw::TrLatticeScan& scan) const {
  const std::size_t count = Size(description_.nx) * Size(description_.components);
  StoreRange(description_.dataType, *description_.values, row * count, count, scan.data, "values");
}

void LatticeSource::FillCoords(std::size_t row, hostfw::TrLatticeScan& scan) const {
  const std::size_t count = 3 * Size(description_.nx);
  StoreRange(description_.coordType, *description_.coords, row * count, count, scan.data, "coords");
}

ComponentRanges LatticeSource::CheckRows(const hostfw::TrLattice& header) const {
  ComponentRanges ranges(description_.dataType, description_.components);
  if (description_.MayHaveBlanks()) ranges.SkipBlanks(description_.blankValue);
  hostfw::TrLatticeScan data(header);
  std::unique_ptr<hostfw::TrLatticeScan> coords;
  if (description_.kind == ObjectKind::Curvilinear) coords = MakeCoordScan();
  for (std::size_t row = 0; row < description_.RowCount(); ++row) {
    if (coords) FillCoords(row, *coords);
    FillData(row, data);
    ranges.AddScan(data.data, data.GetSize());
  }
  return ranges;
}

}  // namespace lattool
