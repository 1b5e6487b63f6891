// The fault tests' capture of the host's errors.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

#include "hostbase/Error.h"

namespace lattest {

// The host's error `call` raises (a test failure when it returns).
inline std::optional<hostbase::CError> CaughtError(const std::function<void()>& call) {
  try {
    call();
    ADD_FAILURE() << "the call returned instead of raising";
  } catch (const hostbase::CError& error) {
    return error;
  }
  return std::nullopt;
}

// The error raised has this module, code and arguments.
inline void ExpectError(const std::optional<hostbase::CError>& error, const char* module, int code,
                        const std::vector<hostbase::CErrorArg>& args) {
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->Module(), module) << error->Message();
  EXPECT_EQ(error->Code(), code) << error->Message();
  EXPECT_EQ(error->Args(), args) << error->Message();
}

}  // namespace lattest
