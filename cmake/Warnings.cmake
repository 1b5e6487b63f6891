# Warnings for the project's own targets: always on; errors only where we develop and in
# CI (the presets turn LAT_WARNINGS_AS_ERRORS on), so that a packager's newer or older
# compiler with a new or false warning still builds.
option(LAT_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)

function(lat_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 $<$<BOOL:${LAT_WARNINGS_AS_ERRORS}>:/WX>)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                             -Wno-sign-conversion -Wnon-virtual-dtor
                                             $<$<BOOL:${LAT_WARNINGS_AS_ERRORS}>:-Werror>)
  endif()
endfunction()
