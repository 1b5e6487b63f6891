// Marks the VTK module's factories for export under their plain C names; nothing else of
// the module is visible outside it.
#pragma once

#if defined(_WIN32)
#define VTK_PLUGIN_API extern "C" __declspec(dllexport)
#else
#define VTK_PLUGIN_API extern "C" __attribute__((visibility("default")))
#endif
