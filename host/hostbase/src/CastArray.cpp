// Array conversion between primitive types: one tight loop per pair of types.
#include <array>
#include <cstring>
#include <utility>

#include "PrimValue.h"
#include "hostbase/PrimType.h"

namespace hostbase {
namespace {

using CastLoopFn = void (*)(const unsigned char*, unsigned char*, std::size_t, std::size_t);

// Elements are moved with memcpy, so any alignment works and a buffer may be converted
// in place (each element is read before it is written).
template <class S, class D>
void CastLoop(const unsigned char* src, unsigned char* dst, std::size_t count, std::size_t step) {
  const std::size_t srcStride = step * sizeof(S);
  const std::size_t dstStride = step * sizeof(D);
  for (std::size_t i = 0; i < count; ++i) {
    S in;
    std::memcpy(&in, src + i * srcStride, sizeof in);
    const D out = detail::ConvertValue<S, D>(in);
    std::memcpy(dst + i * dstStride, &out, sizeof out);
  }
}

template <std::size_t S, std::size_t... D>
constexpr std::array<CastLoopFn, CPrimType::kTypeCount> CastRow(std::index_sequence<D...>) {
  return {&CastLoop<PrimTypeOf<S>, PrimTypeOf<D>>...};
}

template <std::size_t... S>
constexpr auto CastTable(std::index_sequence<S...>) {
  using Row = std::array<CastLoopFn, CPrimType::kTypeCount>;
  return std::array<Row, CPrimType::kTypeCount>{
      CastRow<S>(std::make_index_sequence<CPrimType::kTypeCount>{})...};
}

constexpr auto kCastTable = CastTable(std::make_index_sequence<CPrimType::kTypeCount>{});

}  // namespace

// Invalid type codes, a null buffer or a step below 1 convert nothing.
void CPrimType::CastArray(int srcType, const void* src, int dstType, void* dst, std::size_t count,
                          int step) {
  if (!IsValid(srcType) || !IsValid(dstType) || step < 1 || count == 0) return;
  if (src == nullptr || dst == nullptr) return;
  const auto* in = static_cast<const unsigned char*>(src);
  auto* out = static_cast<unsigned char*>(dst);
  if (srcType == dstType && step == 1) {
    std::memmove(out, in, count * static_cast<std::size_t>(TypeSize[srcType]));
    return;
  }
  kCastTable[static_cast<std::size_t>(srcType)][static_cast<std::size_t>(dstType)](
      in, out, count, static_cast<std::size_t>(step));
}

}  // namespace hostbase
