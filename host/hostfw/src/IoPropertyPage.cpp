// Option pages: the class identity and the properties the host sets before showing a page.
#include "hostfw/IoPropertyPage.h"

namespace hostfw {
namespace {

const hostbase::CTypeInfo kIoPropertyPageType("IoPropertyPage", nullptr, nullptr);

}  // namespace

IoPropertyPage::IoPropertyPage() = default;
IoPropertyPage::~IoPropertyPage() = default;

const hostbase::CTypeInfo* IoPropertyPage::GetClassTypeId() noexcept {
  return &kIoPropertyPageType;
}

const hostbase::CTypeInfo* IoPropertyPage::GetTypeId() const {
  return GetClassTypeId();
}

bool IoPropertyPage::GetProperty(const char* name, int& value) const {
  if (name == nullptr) return false;
  const auto found = intProperties_.find(name);
  if (found == intProperties_.end()) return false;
  value = found->second;
  return true;
}

// A double property may also be read from an int one (a host that passed a whole number
// such as 0 set the int); the widening is exact.
bool IoPropertyPage::GetProperty(const char* name, double& value) const {
  if (name == nullptr) return false;
  if (const auto found = realProperties_.find(name); found != realProperties_.end()) {
    value = found->second;
    return true;
  }
  int whole = 0;
  if (!GetProperty(name, whole)) return false;
  value = whole;
  return true;
}

// Setting a property in one type replaces what the other type held under that name.
void IoPropertyPage::SetProperty(const char* name, int value) {
  if (name == nullptr) return;
  realProperties_.erase(name);
  intProperties_[name] = value;
}

void IoPropertyPage::SetProperty(const char* name, double value) {
  if (name == nullptr) return;
  intProperties_.erase(name);
  realProperties_[name] = value;
}

const char* IoPropertyPage::GetLatticeExportPropName_DataMin() noexcept {
  return "LatticeExport.DataMin";
}

const char* IoPropertyPage::GetLatticeExportPropName_DataMax() noexcept {
  return "LatticeExport.DataMax";
}

const char* IoPropertyPage::GetLatticeExportPropName_DataType() noexcept {
  return "LatticeExport.DataType";
}

}  // namespace hostfw
