// Class identities and the base of objects that carry one.
#include "hostbase/TypeInfo.h"

namespace hostbase {

CTypeInfo::CTypeInfo(const char* name, Factory /*factory*/, const CTypeInfo* base) noexcept
    : name_(name ? name : ""), base_(base) {}

bool CTypeInfo::IsDerivedFrom(const CTypeInfo* other) const noexcept {
  if (other == nullptr) return false;
  for (const CTypeInfo* type = this; type != nullptr; type = type->base_) {
    if (type == other) return true;
  }
  return false;
}

CTypedObject::~CTypedObject() = default;

void CTypedObject::Serialize(std::string& archive) const {
  const CTypeInfo* type = GetTypeId();
  archive += type != nullptr ? type->GetName() : "";
}

}  // namespace hostbase
