# Cross-build for 64-bit Windows with Debian's mingw-w64 (posix threads), windres as the
# resource compiler, and Wine to run the built programs and tests.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LAT_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${LAT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LAT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${LAT_MINGW_TRIPLE}-windres)
set(CMAKE_OBJDUMP ${LAT_MINGW_TRIPLE}-objdump CACHE FILEPATH "objdump for Windows images")

# printf-family calls follow the C standard (%zu, %lld, two-digit exponents), as elsewhere.
set(CMAKE_CXX_FLAGS_INIT "-D__USE_MINGW_ANSI_STDIO=1")
set(CMAKE_C_FLAGS_INIT "-D__USE_MINGW_ANSI_STDIO=1")

set(CMAKE_FIND_ROOT_PATH /usr/${LAT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's runtime (libstdc++, libgcc, winpthread) goes into every image, so the
# DLLs and programs need nothing but the system's own DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Debian installs the 64-bit loader and the server under /usr/lib/wine.
find_program(LAT_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
find_program(LAT_WINESERVER NAMES wineserver PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(LAT_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${LAT_WINE})
endif()

# Test programs list their tests when CTest runs, under Wine, not while building.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

# The JSON library (header-only) and GoogleTest come from the build machine's packages:
# the JSON headers are used as they are, GoogleTest is built from its sources for Windows.
# Small package files in the build tree stand for them, so that the build machine's own
# include folder never reaches the cross-compiler.
if(CMAKE_BINARY_DIR AND NOT CMAKE_SOURCE_DIR MATCHES "CMakeFiles/CMakeScratch")
  set(lat_cross_packages ${CMAKE_BINARY_DIR}/cross-packages)
  file(MAKE_DIRECTORY ${lat_cross_packages}/include)
  foreach(headers nlohmann CLI)
    if(EXISTS /usr/include/${headers} AND NOT EXISTS ${lat_cross_packages}/include/${headers})
      file(CREATE_LINK /usr/include/${headers} ${lat_cross_packages}/include/${headers} SYMBOLIC)
    endif()
  endforeach()
  file(WRITE ${lat_cross_packages}/nlohmann_json/nlohmann_jsonConfig.cmake
"if(NOT TARGET nlohmann_json::nlohmann_json)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${lat_cross_packages}/include)
endif()
set(nlohmann_json_VERSION 3.11.2)
")
  file(WRITE ${lat_cross_packages}/nlohmann_json/nlohmann_jsonConfigVersion.cmake
"set(PACKAGE_VERSION 3.11.2)
set(PACKAGE_VERSION_COMPATIBLE TRUE)
")
  file(WRITE ${lat_cross_packages}/GTest/GTestConfig.cmake
"if(NOT TARGET GTest::gtest_main)
  set(INSTALL_GTEST OFF CACHE BOOL \"\" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL \"\" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
endif()
")
  set(nlohmann_json_DIR ${lat_cross_packages}/nlohmann_json CACHE PATH "" FORCE)
  set(GTest_DIR ${lat_cross_packages}/GTest CACHE PATH "" FORCE)
endif()
