// Marks what the latclient shared library exports.
#pragma once

#if defined(_WIN32)
#if defined(LATCLIENT_BUILD)
#define LATCLIENT_API __declspec(dllexport)
#else
#define LATCLIENT_API __declspec(dllimport)
#endif
#else
#define LATCLIENT_API __attribute__((visibility("default")))
#endif
