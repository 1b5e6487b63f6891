// The import into memory: each lattice's buffer is allocated once, at its header, with the
// size the header gives; every data scan is copied to its row's place and every coordinate
// scan converted to floats at its row's place.
#include <cstring>
#include <new>

#include "ProgressRelay.h"
#include "hostbase/PrimType.h"
#include "latclient/Importer.h"
#include "latclient/LatticeIo.h"
#include "latclient/ObjectKinds.h"

namespace latclient {

namespace {

constexpr const char* kHost = "latclient";

ErrorReport HostError(std::string message) {
  return ErrorReport{hostbase::kNoErrorCode, kHost, {}, std::move(message)};
}

// Keeps the filter's warnings.
class WarningList : public hostfw::IoMessageSink {
 public:
  explicit WarningList(std::vector<std::string>& warnings) : warnings_(warnings) {}
  void Warning(const std::string& text) override { warnings_.push_back(text); }
  void ShowHelp(const std::string& /*topic*/) override {}

 private:
  std::vector<std::string>& warnings_;
};

class LatticeCollector : public hostfw::IoObjectSink {
 public:
  LatticeCollector(const std::string& path, std::optional<int> wanted,
                   std::vector<Lattice>& lattices)
      : path_(path), wanted_(wanted), lattices_(lattices) {}

  // Stops the import (answers false) once lattice K has ended, or on a host error.
  bool Receive(hostfw::TrBase& object) override {
    const ObjectKind kind = KindOf(object);
    if (IsLatticeHeader(kind)) {
      const int index = seen_++;
      open_ = !wanted_ || index == *wanted_;
      return !open_ || Open(static_cast<const hostfw::TrLattice&>(object), kind, index);
    }
    if (!open_) return true;
    if (kind == ObjectKind::Scan) return AddScan(static_cast<const hostfw::TrLatticeScan&>(object));
    if (kind == ObjectKind::End) {
      open_ = false;
      lattices_.back().complete = true;
      done_ = wanted_.has_value();
      return !done_;
    }
    return true;
  }

  int Seen() const noexcept { return seen_; }
  bool Done() const noexcept { return done_; }
  const std::optional<ErrorReport>& Error() const noexcept { return error_; }

 private:
  bool Fail(std::string message) {
    error_ = HostError(std::move(message));
    open_ = false;
    return false;
  }

  std::string Name(int index) const { return "lattice " + std::to_string(index) + " of " + path_; }

  bool Open(const hostfw::TrLattice& header, ObjectKind kind, int index) {
    Lattice lattice;
    lattice.kind = kind == ObjectKind::Uniform       ? Kind::Uniform
                   : kind == ObjectKind::Rectilinear ? Kind::Rectilinear
                                                     : Kind::Curvilinear;
    lattice.dataType = header.dataType;
    lattice.nx = header.nx;
    lattice.ny = header.ny;
    lattice.nz = header.nz;
    lattice.components = header.numComponents;
    lattice.mayHaveBlanks = (header.flags & hostfw::TrLattice::kFlagMayHaveBlanks) != 0;
    lattice.blankValue = header.blankValue;
    if (const char* info = header.params.Get(hostfw::TrLattice::kInfoKey)) lattice.info = info;

    lattice.valueBytes = Lattice::ValueBytesFor(header.dataType, header.nx, header.ny, header.nz,
                                                header.numComponents);
    if (lattice.valueBytes == 0) {
      return Fail(Name(index) + ": " + std::to_string(header.nx) + " x " +
                  std::to_string(header.ny) + " x " + std::to_string(header.nz) + " nodes of " +
                  std::to_string(header.numComponents) + " values of type " +
                  std::to_string(header.dataType) + " cannot be held in memory");
    }
    rowBytes_ = lattice.valueBytes /
                (static_cast<std::size_t>(header.ny) * static_cast<std::size_t>(header.nz));
    rows_ = 0;
    scans_ = 0;
    try {
      lattice.values = hostbase::PageBuffer(lattice.valueBytes);
      if (kind == ObjectKind::Rectilinear) {
        if (!TakeAxes(static_cast<const hostfw::TrRectilinearLattice&>(header), lattice)) {
          return Fail(Name(index) + ": axis coordinates of an unknown type");
        }
      } else if (kind == ObjectKind::Curvilinear) {
        coordType_ = static_cast<const hostfw::TrCurvilinearLattice&>(header).coordType;
        if (!hostbase::CPrimType::IsValid(coordType_)) {
          return Fail(Name(index) + ": node positions of an unknown type");
        }
        lattice.coords.resize(lattice.NodeCount() * 3);
      } else {
        const auto& uniform = static_cast<const hostfw::TrUniformLattice&>(header);
        for (std::size_t axis = 0; axis < 3; ++axis) {
          lattice.origin[axis] = uniform.origin[axis];
          lattice.spacing[axis] = uniform.spacing[axis];
        }
      }
    } catch (const std::bad_alloc&) {
      return Fail(Name(index) + ": cannot allocate " + std::to_string(lattice.valueBytes) +
                  " bytes for its values");
    } catch (const std::length_error&) {
      return Fail(Name(index) + ": its node positions cannot be held in memory");
    }
    curvilinear_ = kind == ObjectKind::Curvilinear;
    index_ = index;
    lattices_.push_back(std::move(lattice));
    return true;
  }

  static bool TakeAxes(const hostfw::TrRectilinearLattice& header, Lattice& lattice) {
    if (!hostbase::CPrimType::IsValid(header.coordType)) return false;
    const struct {
      const void* from;
      int count;
      std::vector<float>& to;
    } axes[] = {{header.xCoords, header.nx, lattice.x},
                {header.yCoords, header.ny, lattice.y},
                {header.zCoords, header.nz, lattice.z}};
    for (const auto& axis : axes) {
      axis.to.resize(static_cast<std::size_t>(axis.count));
      hostbase::CPrimType::CastArray(header.coordType, axis.from, hostbase::CPrimType::Float,
                                     axis.to.data(), axis.to.size(), 1);
    }
    return true;
  }

  // A curvilinear lattice's scans alternate node positions (even) and data (odd).
  bool AddScan(const hostfw::TrLatticeScan& scan) {
    Lattice& lattice = lattices_.back();
    const bool positions = hostfw::ScanOrder{curvilinear_}.IsCoordinateScan(scans_++);
    const std::size_t rowCount =
        static_cast<std::size_t>(lattice.ny) * static_cast<std::size_t>(lattice.nz);
    const std::size_t row = positions ? rows_ : rows_++;
    if (row >= rowCount) return Fail(Name(index_) + ": more rows than its header gives");
    if (positions) {
      const std::size_t count = 3 * static_cast<std::size_t>(lattice.nx);
      const auto size = static_cast<std::size_t>(hostbase::CPrimType::TypeSize[coordType_]);
      if (scan.GetSize() != count * size || scan.data == nullptr) {
        return Fail(Name(index_) + ": a row of node positions of the wrong size");
      }
      hostbase::CPrimType::CastArray(coordType_, scan.data, hostbase::CPrimType::Float,
                                     lattice.coords.data() + row * count, count, 1);
      return true;
    }
    if (scan.GetSize() != rowBytes_ || scan.data == nullptr) {
      return Fail(Name(index_) + ": a row of values of the wrong size");
    }
    std::memcpy(lattice.values.Data() + row * rowBytes_, scan.data, rowBytes_);
    return true;
  }

  const std::string& path_;
  std::optional<int> wanted_;
  std::vector<Lattice>& lattices_;
  int seen_ = 0;
  int index_ = 0;
  bool open_ = false;
  bool done_ = false;
  bool curvilinear_ = false;
  int coordType_ = hostbase::CPrimType::Float;
  std::size_t rowBytes_ = 0;
  std::size_t rows_ = 0;
  std::size_t scans_ = 0;
  std::optional<ErrorReport> error_;
};

}  // namespace

ReadResult ReadLattices(const ModuleSet& modules, const std::string& path,
                        const ReadRequest& request) {
  return ReadLattices(modules.ForImport(path), path, request);
}

ReadResult ReadLattices(const Module& module, const std::string& path, const ReadRequest& request) {
  ReadResult result;
  result.format = module.Name();
  WarningList warnings(result.warnings);
  Importer importer(module, kHost, &warnings);
  LatticeCollector collector(path, request.lattice, result.lattices);
  ProgressRelay progress(request.progress);
  result.outcome = importer.Import(path.c_str(), collector, &progress);

  ImportOutcome& outcome = result.outcome;
  if (collector.Error()) {
    outcome = ImportOutcome{std::nullopt, collector.Error()};
  } else if (collector.Done()) {
    outcome.status = hostfw::ImportStatus_Complete;  // stopped by us once lattice K ended
  } else if (outcome.Complete() && request.lattice) {
    const int wanted = *request.lattice;
    const int seen = collector.Seen();
    outcome = ImportOutcome{
        std::nullopt,
        HostError(seen > wanted
                      ? "lattice " + std::to_string(wanted) + " of " + path + " has no end"
                      : path + " holds " + std::to_string(seen) + " lattice" +
                            (seen == 1 ? "" : "s") + ", so there is no lattice " +
                            std::to_string(wanted))};
  }
  if (outcome.error) result.lattices.clear();  // a host cannot trust a part of them
  return result;
}

}  // namespace latclient
