// Records what a filter hands to its host, and answers as configured.
#include "tests/support/RecordingHost.h"

#include "hostbase/PrimType.h"

namespace lattest {
namespace {

using hostbase::CPrimData;
using hostbase::CPrimType;
using hostfw::TrBase;

void CopyLatticeFields(const hostfw::TrLattice& lattice, RecordedObject& out) {
  out.nx = lattice.nx;
  out.ny = lattice.ny;
  out.nz = lattice.nz;
  out.numComponents = lattice.numComponents;
  out.dataType = lattice.dataType;
  out.scanMode = lattice.scanMode;
  out.scanParam = lattice.scanParam;
  out.flags = lattice.flags;
  out.blankValue = lattice.blankValue;
  out.paramCount = lattice.params.Count();
  if (const char* info = lattice.params.Get("LatticeInfo")) {
    out.hasLatticeInfo = true;
    out.latticeInfo = info;
  }
}

std::vector<float> CopyCoords(int type, const void* coords, std::int32_t count) {
  std::vector<float> out;
  if (coords == nullptr || !CPrimType::IsValid(type) || count < 1) return out;
  const auto* p = static_cast<const unsigned char*>(coords);
  const auto size = static_cast<std::size_t>(CPrimType::TypeSize[type]);
  out.reserve(static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i)
    out.push_back(static_cast<float>(CPrimData::GetWideReal(type, p + i * size)));
  return out;
}

}  // namespace

RecordedObject RecordObject(const TrBase& object, bool withBytes) {
  RecordedObject out;
  out.address = &object;
  const hostbase::CTypeInfo* type = object.GetTypeId();
  using Kind = RecordedObject::Kind;
  if (type == hostfw::TrUniformLattice::GetClassTypeId()) {
    const auto& u = static_cast<const hostfw::TrUniformLattice&>(object);
    out.kind = Kind::Uniform;
    CopyLatticeFields(u, out);
    for (int i = 0; i < 3; ++i) {
      out.origin[static_cast<std::size_t>(i)] = u.origin[i];
      out.spacing[static_cast<std::size_t>(i)] = u.spacing[i];
    }
  } else if (type == hostfw::TrRectilinearLattice::GetClassTypeId()) {
    const auto& r = static_cast<const hostfw::TrRectilinearLattice&>(object);
    out.kind = Kind::Rectilinear;
    CopyLatticeFields(r, out);
    out.coordType = r.coordType;
    out.xCoords = CopyCoords(r.coordType, r.xCoords, r.nx);
    out.yCoords = CopyCoords(r.coordType, r.yCoords, r.ny);
    out.zCoords = CopyCoords(r.coordType, r.zCoords, r.nz);
  } else if (type == hostfw::TrCurvilinearLattice::GetClassTypeId()) {
    const auto& c = static_cast<const hostfw::TrCurvilinearLattice&>(object);
    out.kind = Kind::Curvilinear;
    CopyLatticeFields(c, out);
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
  if (atObject && objects.size() == actionObject) atObject();
  RecordedObject record = RecordObject(object, keepScanBytes);
  record.refused = static_cast<int>(objects.size()) == refuseObject;
  objects.push_back(std::move(record));
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

void RecordingHost::Stop() {
  ++stops;
}

void RecordingHost::Warning(const std::string& text) {
  warnings.push_back(text);
}

void RecordingHost::ShowHelp(const std::string& topic) {
  helpTopics.push_back(topic);
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
    if (o.kind != RecordedObject::Kind::Scan) continue;
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
