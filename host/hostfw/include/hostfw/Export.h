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

// Marks a plug-in module's factories for export under their plain C names, the names
// hosts look up; nothing else of a module is visible outside it.
#if defined(_WIN32)
#define PLUGIN_FACTORY extern "C" __declspec(dllexport)
#else
#define PLUGIN_FACTORY extern "C" __attribute__((visibility("default")))
#endif
