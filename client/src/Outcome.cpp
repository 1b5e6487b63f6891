// Error reports copied out of the exceptions an import or export raised.
#include "latclient/Outcome.h"

namespace latclient {

ErrorReport ErrorReport::OfCurrentException(std::string_view host) {
  try {
    throw;
  } catch (const hostbase::CError& e) {
    return ErrorReport{e.Code(), e.Module(), e.Args(), e.Message()};
  } catch (const std::exception& e) {
    return ErrorReport{hostbase::kNoErrorCode, std::string(host), {}, e.what()};
  } catch (...) {
    return ErrorReport{hostbase::kNoErrorCode, std::string(host), {}, "unknown error"};
  }
}

}  // namespace latclient
