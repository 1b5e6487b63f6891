// The members of one lattice in the dump: header fields, geometry, values, scan count.
#include "LatticeRecorder.h"

#include <variant>

#include "Client.h"
#include "Messages.h"

namespace lattool {

namespace {

constexpr std::size_t kCoordBufferSize = std::size_t{64} << 10;

// Writes the values of type code `type` found in `byteCount` bytes as array elements.
void WriteValues(JsonWriter& json, int type, const void* data, std::size_t byteCount) {
  ForEachValue(type, data, byteCount, [&json](auto value) { json.Number(value); });
}

void WriteValueArray(JsonWriter& json, const char* key, int type, const void* data, int count) {
  json.Key(key);
  json.BeginArray();
  if (hostbase::CPrimType::IsValid(type) && count > 0) {
    WriteValues(json, type, data,
                static_cast<std::size_t>(count) *
                    static_cast<std::size_t>(hostbase::CPrimType::TypeSize[type]));
  }
  json.EndArray();
}

void WriteTriple(JsonWriter& json, const char* key, const double (&values)[3]) {
  json.Key(key);
  json.BeginArray();
  for (double v : values) json.Number(v);
  json.EndArray();
}

}  // namespace

bool LatticeRecorder::Receive(hostfw::TrBase& object) {
  const ObjectKind kind = KindOf(object);
  if (IsLatticeHeader(kind)) {
    Open(static_cast<const hostfw::TrLattice&>(object), kind);
  } else if (kind == ObjectKind::Scan && open_) {
    AddScan(static_cast<const hostfw::TrLatticeScan&>(object));
  } else if (kind == ObjectKind::End) {
    Close(true);
  }
  return true;
}

void LatticeRecorder::Open(const hostfw::TrLattice& lattice, ObjectKind kind) {
  Close(false);
  open_ = true;
  dataType_ = lattice.dataType;
  scans_ = 0;
  json_.BeginObject();
  WriteHeader(lattice, kind);
  WriteGeometry(lattice, kind);
  if (!values_) return;
  json_.Key("values");
  json_.BeginArray();
}

void LatticeRecorder::WriteHeader(const hostfw::TrLattice& lattice, ObjectKind kind) {
  json_.Key("kind");
  json_.String(KindName(kind));
  json_.Key("dataType");
  json_.Number(lattice.dataType);
  json_.Key("nx");
  json_.Number(lattice.nx);
  json_.Key("ny");
  json_.Number(lattice.ny);
  json_.Key("nz");
  json_.Number(lattice.nz);
  json_.Key("components");
  json_.Number(lattice.numComponents);
  json_.Key("flags");
  json_.Number(lattice.flags);
  json_.Key("scanMode");
  json_.Number(lattice.scanMode);
  json_.Key("scanParam");
  json_.Number(lattice.scanParam);
  if (const char* info = lattice.params.Get(hostfw::TrLattice::kInfoKey)) {
    json_.Key("info");
    json_.String(info);
  }
}

void LatticeRecorder::WriteGeometry(const hostfw::TrLattice& lattice, ObjectKind kind) {
  if (kind == ObjectKind::Uniform) {
    const auto& uniform = static_cast<const hostfw::TrUniformLattice&>(lattice);
    WriteTriple(json_, "origin", uniform.origin);
    WriteTriple(json_, "spacing", uniform.spacing);
  } else if (kind == ObjectKind::Rectilinear) {
    const auto& rect = static_cast<const hostfw::TrRectilinearLattice&>(lattice);
    json_.Key("coordType");
    json_.Number(rect.coordType);
    WriteValueArray(json_, "xCoords", rect.coordType, rect.xCoords, rect.nx);
    WriteValueArray(json_, "yCoords", rect.coordType, rect.yCoords, rect.ny);
    WriteValueArray(json_, "zCoords", rect.coordType, rect.zCoords, rect.nz);
  } else {
    const auto& curv = static_cast<const hostfw::TrCurvilinearLattice&>(lattice);
    coordType_ = curv.coordType;
    json_.Key("coordType");
    json_.Number(curv.coordType);
    if (!values_) return;
    coordText_.clear();
    coords_ = std::make_unique<JsonWriter>(coordText_, kCoordBufferSize);
    coords_->BeginArray();
  }
}

// Data scans stream into "values"; a curvilinear lattice's even scans are coordinates.
void LatticeRecorder::AddScan(const hostfw::TrLatticeScan& scan) {
  if (!values_) {
    ++scans_;
    return;
  }
  const bool coordinates = hostfw::ScanOrder{coords_ != nullptr}.IsCoordinateScan(scans_);
  if (coordinates) {
    WriteValues(*coords_, coordType_, scan.data, scan.GetSize());
  } else {
    WriteValues(json_, dataType_, scan.data, scan.GetSize());
  }
  ++scans_;
}

void LatticeRecorder::Close(bool ended) {
  if (!open_) return;
  if (values_) json_.EndArray();
  if (coords_) {
    coords_->EndArray();
    coords_.reset();  // drains into coordText_
    json_.Key("coords");
    json_.Raw(coordText_);
    coordText_.clear();
  }
  json_.Key("scans");
  json_.Number(scans_);
  json_.Key("ended");
  json_.Bool(ended);
  json_.EndObject();
  open_ = false;
}

static void WriteErrorArgs(JsonWriter& json, const std::vector<hostbase::CErrorArg>& args) {
  json.Key("args");
  json.BeginArray();
  for (const hostbase::CErrorArg& arg : args) {
    if (const auto* number = std::get_if<std::int64_t>(&arg)) {
      json.Number(*number);
    } else {
      json.String(std::get<std::string>(arg));
    }
  }
  json.EndArray();
}

int EndImportDocument(JsonWriter& json, const ImportOutcome& outcome) {
  json.EndArray();
  if (outcome.status) {
    json.Key("status");
    json.Number(static_cast<int>(*outcome.status));
  }
  if (outcome.error) {
    const ErrorReport& error = *outcome.error;
    json.Key("error");
    json.BeginObject();
    json.Key("code");
    json.Number(error.code);
    json.Key("module");
    json.String(error.module);
    WriteErrorArgs(json, error.args);
    json.Key("message");
    json.String(error.message);
    json.EndObject();
  }
  json.EndObject();
  const bool written = json.Finish();
  ReportImportError(outcome);
  if (!written) {
    PrintError("cannot write the JSON document to stdout");
    return kExitError;
  }
  return ExitCodeOf(outcome);
}

}  // namespace lattool
