// Marks what the hostaux shared library exports.
#pragma once

#if defined(_WIN32)
#if defined(HOSTAUX_BUILD)
#define HOSTAUX_API __declspec(dllexport)
#else
#define HOSTAUX_API __declspec(dllimport)
#endif
#else
#define HOSTAUX_API __attribute__((visibility("default")))
#endif
