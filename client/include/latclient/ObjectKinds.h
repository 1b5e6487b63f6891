// Tells the transfer objects apart by their class identity, as a host does.
#pragma once

#include "hostfw/Transfer.h"

namespace latclient {

enum class ObjectKind { Uniform, Rectilinear, Curvilinear, Scan, End, Other };

inline ObjectKind KindOf(const hostfw::TrBase& object) {
  const hostbase::CTypeInfo* type = object.GetTypeId();
  if (type == hostfw::TrUniformLattice::GetClassTypeId()) return ObjectKind::Uniform;
  if (type == hostfw::TrRectilinearLattice::GetClassTypeId()) return ObjectKind::Rectilinear;
  if (type == hostfw::TrCurvilinearLattice::GetClassTypeId()) return ObjectKind::Curvilinear;
  if (type == hostfw::TrLatticeScan::GetClassTypeId()) return ObjectKind::Scan;
  if (type == hostfw::TrLatticeEnd::GetClassTypeId()) return ObjectKind::End;
  return ObjectKind::Other;
}

inline bool IsLatticeHeader(ObjectKind kind) {
  return kind == ObjectKind::Uniform || kind == ObjectKind::Rectilinear ||
         kind == ObjectKind::Curvilinear;
}

// The lattice kind's word in lattool's output.
inline const char* KindName(ObjectKind kind) {
  switch (kind) {
    case ObjectKind::Uniform:
      return "uniform";
    case ObjectKind::Rectilinear:
      return "rectilinear";
    case ObjectKind::Curvilinear:
      return "curvilinear";
    default:
      return "other";
  }
}

}  // namespace latclient
