// Forwards lattice K's header, scans and end marker to the export session.
#include "LatticeForwarder.h"

#include "ObjectKinds.h"

namespace lattool {

bool LatticeForwarder::Receive(hostfw::TrBase& object) {
  if (done_ || refused_) return false;
  const ObjectKind kind = KindOf(object);
  if (IsLatticeHeader(kind)) {
    open_ = seen_++ == wanted_;
    if (!open_) return true;
    auto& lattice = static_cast<hostfw::TrLattice&>(object);
    lattice.componentMin = componentMin_;
    lattice.componentMax = componentMax_;
    return Forward(object);
  }
  if (!open_) return true;
  if (!Forward(object)) return false;
  if (kind == ObjectKind::End) {
    done_ = true;
    return false;  // nothing after lattice K is needed
  }
  return true;
}

bool LatticeForwarder::Forward(hostfw::TrBase& object) {
  if (session_.Send(object)) return true;
  refused_ = true;
  return false;
}

}  // namespace lattool
