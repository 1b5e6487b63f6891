// The filter base: default options handling and the services filters call.
#include "hostfw/IoFilter.h"

#include "HelpTopic.h"
#include "hostaux/Options.h"
#include "hostfw/IoManager.h"

namespace hostfw {

IoFilter::IoFilter(IoManager& manager) noexcept : manager_(manager) {}

IoFilter::~IoFilter() = default;

void IoFilter::GetPropertyPages(std::vector<IoPropertyPage*>& /*pages*/, const char* /*fileName*/) {
}

void IoFilter::SetOptions(const char* /*options*/) {}

std::string IoFilter::GetOptionsInStringForm() {
  return GetOptionsInStringFormWorker(",");
}

char IoFilter::GetOptionStringDelimiter() {
  return ',';
}

bool IoFilter::IsObjectTypeSupported(const hostbase::CTypeInfo* /*type*/) {
  return false;
}

bool IoFilter::GetStringOption(const char* options, const char* key, std::string& value) {
  return hostaux::CommonGetStringOption(options, key, GetOptionStringDelimiter(), value);
}

void IoFilter::ThrowError(const char* module, int line, const char* message) const {
  throw hostbase::CError(module ? module : "", line, hostbase::kNoErrorCode, {},
                         message ? message : "");
}

int IoFilter::Warning(hostbase::IError::WarnStyle /*style*/, const char* message) const {
  manager_.ReportWarning(message ? message : "");
  return 0;
}

std::string IoFilter::GetOptionsInStringFormWorker(const char* delimiter) const {
  const char separator = delimiter != nullptr && delimiter[0] != '\0' ? delimiter[0] : ',';
  return manager_.OptionsInStringForm(separator);
}

void IoFilter::ShowHelp(const char* topic, void* /*reserved*/) const {
  detail::ShowHelpTopic(manager_, topic ? topic : "");
}

}  // namespace hostfw
