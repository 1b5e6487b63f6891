// Class identities: one static CTypeInfo per class, compared by pointer.
#pragma once

#include <string>

#include "hostbase/Export.h"

namespace hostbase {

class CTypedObject;

class HOSTBASE_API CTypeInfo {
 public:
  using Factory = CTypedObject* (*)();
  // No class here is made by name, so the factory is not kept; the host's signature has it.
  CTypeInfo(const char* name, Factory factory, const CTypeInfo* base) noexcept;
  CTypeInfo(const CTypeInfo&) = delete;
  CTypeInfo& operator=(const CTypeInfo&) = delete;

  const char* GetName() const noexcept { return name_; }
  // True when this identity is `other` or derives from it.
  bool IsDerivedFrom(const CTypeInfo* other) const noexcept;

 private:
  const char* name_;
  const CTypeInfo* base_;
};

// Base of objects that carry a class identity.
class HOSTBASE_API CTypedObject {
 public:
  virtual ~CTypedObject();
  virtual const CTypeInfo* GetTypeId() const = 0;
  // Appends a text form of the object to `archive`; the base writes the class name. Kept
  // for its slot in the host's interface order; nothing here calls it.
  virtual void Serialize(std::string& archive) const;

 protected:
  CTypedObject() = default;
  CTypedObject(const CTypedObject&) = default;
  CTypedObject& operator=(const CTypedObject&) = default;
};

}  // namespace hostbase
