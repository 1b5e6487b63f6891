# Checks a plug-in module's dynamic symbol table: of the symbols the module itself defines,
# only its factories (EXPECTED, e.g. -DEXPECTED=ImportLAT,ExportLAT) may be visible, and
# each of them must be, plus the few markers the linker adds to every shared object.
# Usage: cmake -DMODULE=<path> -DNM=<nm> -DEXPECTED=<names> -P CheckModuleExports.cmake
cmake_minimum_required(VERSION 3.25)
string(REPLACE "," ";" EXPECTED "${EXPECTED}")
execute_process(COMMAND "${NM}" -D --defined-only "${MODULE}"
                OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR EXPECTED STREQUAL "")
  message(FATAL_ERROR "nm failed on ${MODULE}, or no factories were named")
endif()
set(allowed ${EXPECTED} _init _fini _edata _end __bss_start)
string(REPLACE "\n" ";" lines "${symbols}")
set(found)
foreach(line IN LISTS lines)
  if(line STREQUAL "")
    continue()
  endif()
  string(REGEX REPLACE "^.* " "" name "${line}")
  list(APPEND found ${name})
  if(NOT name IN_LIST allowed)
    message(SEND_ERROR "the module exports ${name}")
  endif()
endforeach()
foreach(factory IN LISTS EXPECTED)
  if(NOT factory IN_LIST found)
    message(SEND_ERROR "the module does not export ${factory}")
  endif()
endforeach()
