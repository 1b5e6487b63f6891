// Forwards lattice K's header, scans and end marker to the export session.
#include "LatticeForwarder.h"

#include <algorithm>
#include <limits>

#include "Client.h"

namespace lattool {

bool LatticeForwarder::Receive(hostfw::TrBase& object) {
  if (done_ || refused_ || needsRanges_) return false;
  const ObjectKind kind = KindOf(object);
  if (IsLatticeHeader(kind)) {
    open_ = seen_++ == wanted_;
    return !open_ || ForwardHeader(static_cast<hostfw::TrLattice&>(object));
  }
  if (!open_) return true;
  if (!Forward(object)) return false;
  if (kind == ObjectKind::End) {
    done_ = true;
    return false;  // nothing after lattice K is needed
  }
  return true;
}

bool LatticeForwarder::ForwardHeader(hostfw::TrLattice& lattice) {
  if (ranges_) {
    lattice.componentMin = ranges_->min;
    lattice.componentMax = ranges_->max;
  } else if (lattice.flags & hostfw::TrLattice::kFlagMayHaveBlanks) {
    needsRanges_ = true;
    return false;
  } else {
    const auto count = static_cast<std::size_t>(std::max(lattice.numComponents, 0));
    lattice.componentMin.assign(count, std::numeric_limits<double>::quiet_NaN());
    lattice.componentMax.assign(count, std::numeric_limits<double>::quiet_NaN());
  }
  return Forward(lattice);
}

bool LatticeForwarder::Forward(hostfw::TrBase& object) {
  if (session_.Send(object)) return true;
  refused_ = true;
  return false;
}

}  // namespace lattool
