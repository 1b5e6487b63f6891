# Checks that a plug-in module exports exactly its factories (EXPECTED, e.g.
# -DEXPECTED=ImportLAT,ExportLAT): a Windows module's export table read by OBJDUMP, with no
# ordinal-only entries either; else the dynamic symbols the module defines, read by NM,
# besides the markers the linker adds to every shared object.
# Usage: cmake -DMODULE=<path> -DNM=<nm> -DOBJDUMP=<objdump> -DEXPECTED=<names> -P <this file>
cmake_minimum_required(VERSION 3.25)
string(REPLACE "," ";" EXPECTED "${EXPECTED}")
list(LENGTH EXPECTED wanted)
set(names)
if(MODULE MATCHES "\\.dll$")
  execute_process(COMMAND "${OBJDUMP}" -p "${MODULE}" OUTPUT_VARIABLE dump RESULT_VARIABLE result)
  string(FIND "${dump}" "[Ordinal/Name Pointer] Table" start)
  # The number of exported functions, named or not, must match the names.
  if(NOT result EQUAL 0 OR start EQUAL -1 OR
     NOT dump MATCHES "Number in:\n[ \t]*Export Address Table[ \t]+([0-9a-fA-F]+)")
    message(FATAL_ERROR "objdump failed on ${MODULE}, or it has no export table")
  endif()
  math(EXPR count "0x${CMAKE_MATCH_1}")
  string(SUBSTRING "${dump}" ${start} -1 table)
  string(REPLACE "\n" ";" lines "${table}")
  list(REMOVE_AT lines 0)
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "^[ \t]*\\[ *[0-9]+\\] (.+)$")
      break()
    endif()
    list(APPEND names "${CMAKE_MATCH_1}")
  endforeach()
else()
  execute_process(COMMAND "${NM}" -D --defined-only "${MODULE}"
                  OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
  string(REGEX MATCHALL "[^ \n]+\n" names "${symbols}")
  string(REPLACE "\n" "" names "${names}")
  list(REMOVE_ITEM names _init _fini _edata _end __bss_start)
  list(LENGTH names count)
endif()
list(SORT names)
list(SORT EXPECTED)
if(NOT result EQUAL 0 OR NOT count EQUAL wanted OR NOT names STREQUAL EXPECTED)
  message(FATAL_ERROR "${MODULE} exports ${count} functions named '${names}', not '${EXPECTED}'")
endif()
