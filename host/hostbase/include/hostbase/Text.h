// Text helpers: printf-style formatting and decimal numbers.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

#include "hostbase/Export.h"

namespace hostbase {

// Formats into `out` (replacing its content) with printf rules; false on a format error.
HOSTBASE_API bool FormatString(std::string& out, const char* format, ...)
#if defined(__MINGW32__)
    __attribute__((format(gnu_printf, 2, 3)))
#elif defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// FormatString for an argument list that the caller has started (and ends).
HOSTBASE_API bool FormatStringV(std::string& out, const char* format, va_list args);

// True when `text` is a decimal number: optional sign, digits with an optional decimal
// point (".5" and "5." included, at least one digit), optional exponent (e or E, optional
// sign, digits). No hexadecimal, infinities or NaN; nothing may follow. The host library
// offers it to plug-ins; the readers here use ParseNumber, which also converts.
HOSTBASE_API bool IsNumber(const char* text) noexcept;

// IsNumber and conversion in one pass over `length` bytes: on success stores the value
// that atof gives for the same text (correctly rounded) and returns true.
HOSTBASE_API bool ParseNumber(const char* text, std::size_t length, double& value) noexcept;

}  // namespace hostbase
