// Row patterns and error checks shared by the row store's tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "hostbase/Error.h"

namespace restest {

using Bytes = std::vector<std::uint8_t>;

// A row whose every byte depends on (y, z), its place in the row and `salt`, so rows of
// different places, regions or lattices never compare equal.
inline Bytes PatternRow(std::size_t size, int y, int z, unsigned salt = 0) {
  Bytes row(size);
  std::uint32_t state = 2166136261u ^ (static_cast<std::uint32_t>(y) * 16777619u) ^
                        (static_cast<std::uint32_t>(z) * 2654435761u) ^ (salt * 40503u);
  for (std::size_t i = 0; i < size; ++i) {
    state = state * 1103515245u + 12345u;
    row[i] = static_cast<std::uint8_t>(state >> 16);
  }
  return row;
}

// Runs `call`, expecting a CError from the row store with `code` and `args`.
inline void ExpectStoreError(const std::function<void()>& call, int code,
                             const std::vector<hostbase::CErrorArg>& args) {
  try {
    call();
    ADD_FAILURE() << "no error raised (expected code " << code << ")";
  } catch (const hostbase::CError& error) {
    EXPECT_EQ(error.Module(), "LatticeResequencer");
    EXPECT_EQ(error.Code(), code) << error.Message();
    EXPECT_EQ(error.Args(), args) << error.Message();
    EXPECT_GT(error.Line(), 0);
    EXPECT_NE(std::string(error.Message()), "");
  }
}

}  // namespace restest
