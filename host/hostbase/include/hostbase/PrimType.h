// Primitive value types of the host (codes 0 to 8) and single typed values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "hostbase/Export.h"

namespace hostbase {

class HOSTBASE_API CPrimType {
 public:
  enum PrimType : int {
    Int8 = 0,
    UInt8 = 1,
    Int16 = 2,
    UInt16 = 3,
    Int32 = 4,
    UInt32 = 5,
    Int64 = 6,
    Float = 7,
    Double = 8,
  };
  static constexpr int kTypeCount = 9;

  // Bytes per value and display name, indexed by type code.
  static const int TypeSize[kTypeCount];
  static const char* const TypeName[kTypeCount];

  static bool IsValid(int type) noexcept { return type >= 0 && type < kTypeCount; }
  static bool IsInteger(int type) noexcept { return type >= Int8 && type <= Int64; }

  // Converts `count` values from srcType to dstType. To an integer type a value is
  // rounded to nearest (ties away from zero) and saturated at the type's limits; NaN
  // becomes 0. `step` is the element stride in values on both sides (callers pass 1).
  // Source and destination may be the same buffer only when the types have the same size.
  // Invalid type codes, a null buffer or a step below 1 convert nothing.
  static void CastArray(int srcType, const void* src, int dstType, void* dst, std::size_t count,
                        int step);
};

// One value of a primitive type.
class HOSTBASE_API CPrimData {
 public:
  CPrimData() noexcept;                   // a zero of type 4 (32-bit signed)
  explicit CPrimData(int type) noexcept;  // a zero of `type`
  CPrimData(int type, const void* value) noexcept;
  CPrimData(const CPrimData&) noexcept = default;
  CPrimData& operator=(const CPrimData&) noexcept = default;

  const void* GetDataPtr() const noexcept { return bytes_; }
  void* GetDataPtr() noexcept { return bytes_; }

  // Takes type and value; a null value gives zero of that type.
  void CopyData(int type, const void* value) noexcept;
  // Converts `other` into this value's type (CastArray rules).
  void ConvertData(const CPrimData& other) noexcept;
  // Negative, zero or positive as this value is below, equal to or above the other.
  // Compares exactly, also between 64-bit integers and doubles. NaN sorts above every
  // number and equals another NaN. An invalid type code reads as zero.
  int CompareData(int type, const void* value) const noexcept;
  // The value as a decimal text ("%d"-style for integers, shortest round-trip for reals).
  void GetDataAsString(std::string& out) const;

  static double GetWideReal(int type, const void* value) noexcept;
  // Lowest and highest finite values of the type.
  static CPrimData PrimMin(int type) noexcept;
  static CPrimData PrimMax(int type) noexcept;

  // Bounds of the reals the options page accepts: the lowest and highest finite doubles.
  static const double widest_REAL_MIN;
  static const double widest_REAL_MAX;

 private:
  int type_;
  alignas(8) unsigned char bytes_[8];
};

// The C++ type of each type code, in code order.
using PrimTypeList = std::tuple<std::int8_t, std::uint8_t, std::int16_t, std::uint16_t,
                                std::int32_t, std::uint32_t, std::int64_t, float, double>;
static_assert(std::tuple_size_v<PrimTypeList> == CPrimType::kTypeCount);

template <std::size_t Code>
using PrimTypeOf = std::tuple_element_t<Code, PrimTypeList>;

// Calls fn(std::type_identity<T>{}) with the C++ type of the CPrimType code `type` and
// returns true; returns false for a code outside the known ones.
template <class Fn>
bool DispatchPrimType(int type, Fn&& fn) {
  const auto firstMatch = [&]<std::size_t... Code>(std::index_sequence<Code...>) {
    return (
        (type == static_cast<int>(Code) && (fn(std::type_identity<PrimTypeOf<Code>>{}), true)) ||
        ...);
  };
  return firstMatch(std::make_index_sequence<CPrimType::kTypeCount>{});
}

}  // namespace hostbase
