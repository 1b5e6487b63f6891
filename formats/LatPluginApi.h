// Marks the plug-in's factories for export under their plain C names; nothing else of
// the module is visible outside it.
#pragma once

#if defined(_WIN32)
#define LAT_PLUGIN_API extern "C" __declspec(dllexport)
#else
#define LAT_PLUGIN_API extern "C" __attribute__((visibility("default")))
#endif
