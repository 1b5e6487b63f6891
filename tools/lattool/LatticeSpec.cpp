// Member checks for lattool create, each error naming its member.
#include "LatticeSpec.h"

#include <climits>
#include <string>
#include <string_view>

#include "hostbase/PrimType.h"

namespace lattool {

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
std::size_t NodeValueCount(const LatticeSpec& spec) {
  constexpr auto kRowLimit = static_cast<std::size_t>(INT_MAX);
  const auto dataSize = static_cast<std::size_t>(hostbase::CPrimType::TypeSize[spec.dataType]);
  const auto coordSize = static_cast<std::size_t>(hostbase::CPrimType::TypeSize[spec.coordType]);
  const auto nx = static_cast<std::size_t>(spec.nx);
  const auto rowValues = Times(nx, static_cast<std::size_t>(spec.components), kRowLimit);
  const bool nodeCoords = spec.kind == ObjectKind::Curvilinear;
  if (!rowValues || !Times(*rowValues, dataSize, kRowLimit) ||
      (nodeCoords && !Times(3 * nx, coordSize, kRowLimit))) {
    throw InputError("a row of nx x components values is too large");
  }
  if (spec.RowCount() > kRowLimit) throw InputError("the lattice has too many rows (ny x nz)");
  const auto total = Times(*rowValues, spec.RowCount(), SIZE_MAX / 16);
  if (!total) throw InputError("the lattice is too large (nx x ny x nz x components)");
  return *total;
}

void ReadGeometry(const JsonMembers& members, LatticeSpec& spec) {
  const auto nodes = spec.RowCount() * static_cast<std::size_t>(spec.nx);
  switch (spec.kind) {
    case ObjectKind::Uniform:
      spec.origin = Triple(members, "origin");
      spec.spacing = Triple(members, "spacing");
      break;
    case ObjectKind::Rectilinear:
      spec.xCoords = &NumbersMember(members, "xCoords", static_cast<std::size_t>(spec.nx), "nx");
      spec.yCoords = &NumbersMember(members, "yCoords", static_cast<std::size_t>(spec.ny), "ny");
      spec.zCoords = &NumbersMember(members, "zCoords", static_cast<std::size_t>(spec.nz), "nz");
      break;
    default:
      spec.coords = &NumbersMember(members, "coords", 3 * nodes, "3 x nx x ny x nz");
      break;
  }
}

}  // namespace

LatticeSpec ReadLatticeSpec(const JsonMembers& members) {
  constexpr int kLastType = hostbase::CPrimType::kTypeCount - 1;
  LatticeSpec spec;
  spec.kind = KindMember(members);
  spec.dataType = IntMember(members, "dataType", 0, kLastType);
  spec.nx = IntMember(members, "nx", 1, INT_MAX);
  spec.ny = IntMember(members, "ny", 1, INT_MAX);
  spec.nz = IntMember(members, "nz", 1, INT_MAX);
  spec.components = IntMember(members, "components", 1, INT_MAX);
  spec.flags = static_cast<std::uint8_t>(IntMember(members, "flags", 0, 255, 0));
  spec.blankValue = NumberMember(members, "blankValue", 0.0);
  if (spec.kind != ObjectKind::Uniform) {
    spec.coordType = IntMember(members, "coordType", 0, kLastType, hostbase::CPrimType::Float);
  }
  const std::size_t valueCount = NodeValueCount(spec);
  ReadGeometry(members, spec);
  spec.values = &NumbersMember(members, "values", valueCount, "nx x ny x nz x components");
  const auto components = static_cast<std::size_t>(spec.components);
  spec.componentMin = OptionalDoubles(members, "componentMin", components);
  spec.componentMax = OptionalDoubles(members, "componentMax", components);
  return spec;
}

}  // namespace lattool
