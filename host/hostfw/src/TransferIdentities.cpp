// Class identities of the transfer objects and the classes' GetTypeId.
#include "hostfw/Transfer.h"

namespace hostfw {
namespace {

const hostbase::CTypeInfo kTrBaseType("TrBase", nullptr, nullptr);
const hostbase::CTypeInfo kTrLatticeType("TrLattice", nullptr, &kTrBaseType);
const hostbase::CTypeInfo kTrUniformLatticeType("TrUniformLattice", nullptr, &kTrLatticeType);
const hostbase::CTypeInfo kTrRectilinearLatticeType("TrRectilinearLattice", nullptr,
                                                    &kTrLatticeType);
const hostbase::CTypeInfo kTrCurvilinearLatticeType("TrCurvilinearLattice", nullptr,
                                                    &kTrLatticeType);
const hostbase::CTypeInfo kTrLatticeScanType("TrLatticeScan", nullptr, &kTrBaseType);
const hostbase::CTypeInfo kTrLatticeEndType("TrLatticeEnd", nullptr, &kTrBaseType);

}  // namespace

bool IsLatticeObjectType(const hostbase::CTypeInfo* type) noexcept {
  return type == &kTrUniformLatticeType || type == &kTrRectilinearLatticeType ||
         type == &kTrCurvilinearLatticeType || type == &kTrLatticeEndType ||
         type == &kTrLatticeScanType;
}

const hostbase::CTypeInfo* TrBase::GetClassTypeId() noexcept {
  return &kTrBaseType;
}
const hostbase::CTypeInfo* TrLattice::GetClassTypeId() noexcept {
  return &kTrLatticeType;
}

const hostbase::CTypeInfo* TrUniformLattice::GetClassTypeId() noexcept {
  return &kTrUniformLatticeType;
}
const hostbase::CTypeInfo* TrUniformLattice::GetTypeId() const {
  return GetClassTypeId();
}

const hostbase::CTypeInfo* TrRectilinearLattice::GetClassTypeId() noexcept {
  return &kTrRectilinearLatticeType;
}
const hostbase::CTypeInfo* TrRectilinearLattice::GetTypeId() const {
  return GetClassTypeId();
}

const hostbase::CTypeInfo* TrCurvilinearLattice::GetClassTypeId() noexcept {
  return &kTrCurvilinearLatticeType;
}
const hostbase::CTypeInfo* TrCurvilinearLattice::GetTypeId() const {
  return GetClassTypeId();
}

const hostbase::CTypeInfo* TrLatticeScan::GetClassTypeId() noexcept {
  return &kTrLatticeScanType;
}
const hostbase::CTypeInfo* TrLatticeScan::GetTypeId() const {
  return GetClassTypeId();
}

const hostbase::CTypeInfo* TrLatticeEnd::GetClassTypeId() noexcept {
  return &kTrLatticeEndType;
}
const hostbase::CTypeInfo* TrLatticeEnd::GetTypeId() const {
  return GetClassTypeId();
}

}  // namespace hostfw
