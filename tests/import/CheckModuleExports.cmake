# Checks the plug-in module's dynamic symbol table: of the symbols the module itself
# defines, only the factories may be visible (ImportLAT must be), plus the few markers
# the linker adds to every shared object.
# Usage: cmake -DMODULE=<path of LAT.so> -DNM=<nm> -P CheckModuleExports.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND "${NM}" -D --defined-only "${MODULE}"
                OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "nm failed on ${MODULE}")
endif()
set(allowed ImportLAT ExportLAT _init _fini _edata _end __bss_start)
string(REPLACE "\n" ";" lines "${symbols}")
set(found_import FALSE)
foreach(line IN LISTS lines)
  if(line STREQUAL "")
    continue()
  endif()
  string(REGEX REPLACE "^.* " "" name "${line}")
  if(name STREQUAL "ImportLAT")
    set(found_import TRUE)
  endif()
  if(NOT name IN_LIST allowed)
    message(SEND_ERROR "the module exports ${name}")
  endif()
endforeach()
if(NOT found_import)
  message(FATAL_ERROR "the module does not export ImportLAT")
endif()
