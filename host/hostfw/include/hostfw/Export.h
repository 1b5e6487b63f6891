// Marks what the hostfw shared library exports.
#pragma once

#if defined(_WIN32)
#if defined(HOSTFW_BUILD)
#define HOSTFW_API __declspec(dllexport)
#else
#define HOSTFW_API __declspec(dllimport)
#endif
#else
#define HOSTFW_API __attribute__((visibility("default")))
#endif
