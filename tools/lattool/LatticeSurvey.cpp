// Picks lattice K out of the import stream and keeps its running component ranges.
#include "LatticeSurvey.h"

#include <algorithm>

#include "Client.h"

namespace lattool {

bool LatticeSurvey::Receive(hostfw::TrBase& object) {
  if (complete_) return false;
  const ObjectKind kind = KindOf(object);
  if (IsLatticeHeader(kind)) {
    open_ = seen_++ == wanted_;
    if (open_) {
      Open(static_cast<const hostfw::TrLattice&>(object), kind == ObjectKind::Curvilinear);
    }
  } else if (kind == ObjectKind::Scan && open_) {
    // A curvilinear lattice's scans alternate coordinates (even) and data (odd).
    if (!curvilinear_ || scans_ % 2 == 1) {
      const auto& scan = static_cast<const hostfw::TrLatticeScan&>(object);
      ranges_->AddScan(scan.data, scan.GetSize());
    }
    ++scans_;
  } else if (kind == ObjectKind::End && open_) {
    open_ = false;
    complete_ = true;
    return false;  // everything needed is known
  }
  return true;
}

void LatticeSurvey::Open(const hostfw::TrLattice& lattice, bool curvilinear) {
  curvilinear_ = curvilinear;
  scans_ = 0;
  dataType_ = lattice.dataType;
  ranges_.emplace(lattice.dataType, lattice.numComponents);
  if (lattice.flags & hostfw::TrLattice::kFlagMayHaveBlanks) {
    ranges_->SkipBlanks(lattice.blankValue);
  }
}

std::vector<double> LatticeSurvey::ComponentMin() const {
  std::vector<double> out;
  for (std::size_t c = 0; ranges_ && c < ranges_->Count(); ++c) out.push_back(ranges_->Min(c));
  return out;
}

std::vector<double> LatticeSurvey::ComponentMax() const {
  std::vector<double> out;
  for (std::size_t c = 0; ranges_ && c < ranges_->Count(); ++c) out.push_back(ranges_->Max(c));
  return out;
}

LatticeTraits LatticeSurvey::Traits() const {
  LatticeTraits traits;
  traits.dataType = dataType_;
  bool any = false;
  for (std::size_t c = 0; ranges_ && c < ranges_->Count(); ++c) {
    if (!ranges_->Seen(c)) continue;
    traits.dataMin = any ? std::min(traits.dataMin, ranges_->Min(c)) : ranges_->Min(c);
    traits.dataMax = any ? std::max(traits.dataMax, ranges_->Max(c)) : ranges_->Max(c);
    any = true;
  }
  return traits;
}

}  // namespace lattool
