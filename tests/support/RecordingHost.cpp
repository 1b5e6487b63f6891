// Records what a filter hands to its host, and answers as configured.
#include "tests/support/RecordingHost.h"

#include <algorithm>

#include "hostbase/PrimType.h"

namespace lattest {
namespace {

using hostbase::CPrimType;
using hostfw::TrBase;
using Kind = RecordedObject::Kind;

void CopyLatticeFields(const hostfw::TrLattice& lattice, Kind kind, RecordedObject& out) {
  out.kind = kind;
  out.nx = lattice.nx, out.ny = lattice.ny, out.nz = lattice.nz;
  out.numComponents = lattice.numComponents, out.dataType = lattice.dataType;
  out.scanMode = lattice.scanMode, out.scanParam = lattice.scanParam;
  out.flags = lattice.flags, out.blankValue = lattice.blankValue;
  out.paramCount = lattice.params.Count();
  if (const char* info = lattice.params.Get(hostfw::TrLattice::kInfoKey)) {
    out.hasLatticeInfo = true;
    out.latticeInfo = info;
  }
}

std::vector<float> CopyCoords(int type, const void* coords, std::int32_t count) {
  std::vector<float> out(coords != nullptr && CPrimType::IsValid(type) ? std::max(count, 0) : 0);
  CPrimType::CastArray(type, coords, CPrimType::Float, out.data(), out.size(), 1);
  return out;
}

}  // namespace

RecordedObject RecordObject(const TrBase& object, bool withBytes) {
  RecordedObject out;
  const hostbase::CTypeInfo* type = object.GetTypeId();
  if (type == hostfw::TrUniformLattice::GetClassTypeId()) {
    const auto& u = static_cast<const hostfw::TrUniformLattice&>(object);
    CopyLatticeFields(u, Kind::Uniform, out);
    std::copy(u.origin, u.origin + 3, out.origin.begin());
    std::copy(u.spacing, u.spacing + 3, out.spacing.begin());
  } else if (type == hostfw::TrRectilinearLattice::GetClassTypeId()) {
    const auto& r = static_cast<const hostfw::TrRectilinearLattice&>(object);
    CopyLatticeFields(r, Kind::Rectilinear, out);
    out.coordType = r.coordType;
    out.xCoords = CopyCoords(r.coordType, r.xCoords, r.nx);
    out.yCoords = CopyCoords(r.coordType, r.yCoords, r.ny);
    out.zCoords = CopyCoords(r.coordType, r.zCoords, r.nz);
  } else if (type == hostfw::TrCurvilinearLattice::GetClassTypeId()) {
    const auto& c = static_cast<const hostfw::TrCurvilinearLattice&>(object);
    CopyLatticeFields(c, Kind::Curvilinear, out);
    out.coordType = c.coordType;
  } else if (type == hostfw::TrLatticeScan::GetClassTypeId()) {
    const auto& s = static_cast<const hostfw::TrLatticeScan&>(object);
    out.kind = Kind::Scan;
    const auto* data = static_cast<const std::uint8_t*>(s.data);
    if (data != nullptr && withBytes) out.bytes.assign(data, data + s.GetSize());
  } else if (type == hostfw::TrLatticeEnd::GetClassTypeId()) {
    out.kind = Kind::End;
  }
  return out;
}

std::vector<double> AsDoubles(int type, const std::vector<std::uint8_t>& bytes) {
  std::vector<double> out(bytes.size() / static_cast<std::size_t>(CPrimType::TypeSize[type]));
  CPrimType::CastArray(type, bytes.data(), CPrimType::Double, out.data(), out.size(), 1);
  return out;
}

RecordingHost::RecordingHost(hostfw::IoManager& manager) : manager_(manager) {
  manager_.SetObjectSink(this);
  manager_.SetProgressSink(this);
  manager_.SetMessageSink(this);
}

RecordingHost::~RecordingHost() {
  manager_.SetObjectSink(nullptr);
  manager_.SetProgressSink(nullptr);
  manager_.SetMessageSink(nullptr);
}

bool RecordingHost::Receive(TrBase& object) {
  if (atObject && objects.empty()) atObject();
  objects.push_back(RecordObject(object, keepScanBytes));
  objects.back().refused = static_cast<int>(objects.size()) - 1 == refuseObject;
  return !objects.back().refused;
}

bool RecordingHost::Begin(const std::string& message) {
  beginMessages.push_back(message);
  if (atBegin) atBegin();
  return !cancelAtBegin;
}

bool RecordingHost::Proportion(double fraction) {
  fractions.push_back(fraction);
  return static_cast<int>(fractions.size()) - 1 != cancelAtProportion;
}

std::string RecordingHost::Sequence() const {
  std::string out;
  for (const RecordedObject& o : objects) {
    if (!out.empty()) out += ' ';
    out += "URCSE?"[static_cast<int>(o.kind)];  // in the order of RecordedObject::Kind
  }
  return out;
}

std::vector<std::uint8_t> RecordingHost::ScanBytes(std::size_t first, std::size_t step) const {
  std::vector<std::uint8_t> out;
  std::size_t index = 0;
  for (const RecordedObject& o : objects) {
    if (o.kind != Kind::Scan) continue;
    if (index >= first && (index - first) % step == 0)
      out.insert(out.end(), o.bytes.begin(), o.bytes.end());
    ++index;
  }
  return out;
}

void RecordingHost::Clear() {
  objects.clear();
  beginMessages.clear();
  fractions.clear();
  stops = 0;
  warnings.clear();
  helpTopics.clear();
}

}  // namespace lattest
