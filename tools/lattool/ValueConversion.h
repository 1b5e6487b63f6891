// Stores the numbers of a JSON array as values of a CPrimType, exactly: a number that the
// type cannot hold (a fraction or an out-of-range value for an integer type, a finite
// value beyond a float's range) is refused rather than rounded or clamped.
#pragma once

#include <cstddef>
#include <string>

#include "LatticeJson.h"

namespace lattool {

// Writes element i of `list` as one value of type code `type` at `out` (unaligned);
// false, and nothing written, when the type cannot hold it.
bool StoreAs(int type, const NumberList& list, std::size_t i, void* out);

// Stores `count` elements from `first` on, one after another; on a refused element
// raises InputError "\"<member>\"[<index>]: <number> does not fit <type name>".
void StoreRange(int type, const NumberList& list, std::size_t first, std::size_t count, void* out,
                const char* member);

}  // namespace lattool
