// Parsing of options strings: items "Key=Value" separated by a delimiter.
//
// Keys are matched without regard to case; blanks around keys and values are ignored;
// a key given without "=" has the value "true" (so "Defaults" alone switches Defaults on);
// when a key occurs more than once the last occurrence wins.
#pragma once

#include <string>

#include "hostaux/Export.h"

namespace hostaux {

// True, with the key's value in `value`, when `key` occurs in `options`; false and
// `value` untouched otherwise. A null `options` is taken as empty.
HOSTAUX_API bool CommonGetStringOption(const char* options, const char* key, char delimiter,
                                       std::string& value);

// Typed readings of one option value. Each returns false and leaves `value` untouched
// when the text does not spell a value of that type.
// Bools: 1/0, true/false, yes/no, on/off (any case).
HOSTAUX_API bool ParseBoolOption(const std::string& text, bool& value);
// Ints: an optional sign and decimal digits within the 32-bit signed range.
HOSTAUX_API bool ParseIntOption(const std::string& text, int& value);
// Doubles: a decimal number (hostbase::IsNumber rules), finite.
HOSTAUX_API bool ParseDoubleOption(const std::string& text, double& value);

}  // namespace hostaux
