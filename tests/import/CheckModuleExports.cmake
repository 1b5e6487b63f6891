# Checks a plug-in module's dynamic symbol table: of the symbols the module itself defines,
# exactly its factories (EXPECTED, e.g. -DEXPECTED=ImportLAT,ExportLAT) are visible, besides
# the markers the linker adds to every shared object.
# Usage: cmake -DMODULE=<path> -DNM=<nm> -DEXPECTED=<names> -P CheckModuleExports.cmake
cmake_minimum_required(VERSION 3.25)
string(REPLACE "," ";" EXPECTED "${EXPECTED}")
execute_process(COMMAND "${NM}" -D --defined-only "${MODULE}"
                OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
string(REGEX MATCHALL "[^ \n]+\n" names "${symbols}")
string(REPLACE "\n" "" names "${names}")
list(REMOVE_ITEM names _init _fini _edata _end __bss_start)
list(SORT names)
list(SORT EXPECTED)
if(NOT result EQUAL 0 OR EXPECTED STREQUAL "" OR NOT names STREQUAL EXPECTED)
  message(FATAL_ERROR "${MODULE} exports '${names}' instead of '${EXPECTED}'")
endif()
