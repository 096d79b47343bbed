# Fails unless every function each Windows program or DLL imports is one the
# mingw-w64 headers declare for Windows 7 SP1 (_WIN32_WINNT and WINVER
# 0x0601). Windows refuses to start a program that imports a function its
# system DLLs lack ("entry point not found"), and Wine exports everything
# whatever version it poses as, so the headers are the only judge at hand:
# a small C file takes the address of each imported function and the cross
# compiler checks it against them.
#
# The C runtime's imports (msvcrt.dll) are not checked this way: its headers
# are not gated by Windows version, and the start-up entries the static
# runtime calls (__wgetmainargs, _initterm, ...) are declared in none of
# them. They come from mingw-w64's own runtime, built for the msvcrt.dll
# every Windows has carried since XP (__MSVCRT_VERSION__ 0x700). The
# universal C runtime (ucrtbase.dll, api-ms-win-crt-*) is another matter:
# Windows 7 has it only with an update, so importing it fails here.
#   cmake -DOBJDUMP=<objdump> -DCOMPILER=<cross C compiler> -DWORK_DIR=<dir>
#         "-DFILES=a.exe;b.dll" -P check_windows7_imports.cmake

cmake_minimum_required(VERSION 3.25)

set(windows_version 0x0601)

if(NOT OBJDUMP OR NOT COMPILER OR NOT WORK_DIR OR NOT FILES)
  message(FATAL_ERROR "usage: cmake -DOBJDUMP=<objdump> -DCOMPILER=<compiler> -DWORK_DIR=<dir> -DFILES=<files> -P ${CMAKE_CURRENT_LIST_FILE}")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/pe_imports.cmake)

set(problems "")
# Each checked import once, with the first binary that imports it.
set(names "")
set(importers "")
foreach(file IN LISTS FILES)
  get_filename_component(binary ${file} NAME)
  pe_listing(${OBJDUMP} ${file} listing problem)
  if(NOT problem STREQUAL "")
    string(APPEND problems "\n${binary}: ${problem}")
    continue()
  endif()
  pe_imports("${listing}" dlls functions)
  foreach(dll IN LISTS dlls)
    string(TOLOWER "${dll}" lower)
    if(lower STREQUAL "ucrtbase.dll" OR lower MATCHES "^api-ms-win-")
      string(APPEND problems "\n${binary}: imports ${dll}, which Windows 7 SP1 lacks")
    endif()
  endforeach()
  foreach(function IN LISTS functions)
    string(REGEX REPLACE ":.*" "" dll "${function}")
    string(REGEX REPLACE "^[^:]*:" "" name "${function}")
    if(name STREQUAL "")
      string(APPEND problems "\n${binary}: imports from ${dll} by ordinal alone, which cannot be checked")
    elseif(NOT dll STREQUAL "msvcrt.dll" AND NOT name IN_LIST names)
      list(APPEND names "${name}")
      list(APPEND importers "${binary} (${dll})")
    endif()
  endforeach()
endforeach()

# One import a line, so a compiler error's line number names it.
set(source "${WORK_DIR}/windows7_imports.c")
# windows.h and the headers of the security functions it leaves out.
set(header "#include <windows.h>\n#include <aclapi.h>\n#include <commctrl.h>\n#include <sddl.h>\nvoid *const kImported[] = {\n")
string(REGEX MATCHALL "\n" header_lines "${header}")
list(LENGTH header_lines first_line)
math(EXPR first_line "${first_line} + 1")
set(body "")
foreach(name IN LISTS names)
  string(APPEND body "    (void *)&${name},\n")
endforeach()
file(MAKE_DIRECTORY ${WORK_DIR})
file(WRITE ${source} "${header}${body}};\n")
execute_process(COMMAND ${COMPILER} -fsyntax-only -D_WIN32_WINNT=${windows_version}
                        -DWINVER=${windows_version} ${source}
                RESULT_VARIABLE failed ERROR_VARIABLE diagnostics OUTPUT_QUIET)
if(failed)
  string(REGEX MATCHALL "windows7_imports\\.c:[0-9]+:[0-9]+: error" errors "${diagnostics}")
  set(reported "")
  foreach(error IN LISTS errors)
    string(REGEX REPLACE "^[^:]+:([0-9]+):.*" "\\1" line "${error}")
    math(EXPR index "${line} - ${first_line}")
    list(LENGTH names count)
    if(index LESS 0 OR NOT index LESS count OR index IN_LIST reported)
      continue()
    endif()
    list(APPEND reported ${index})
    list(GET names ${index} name)
    list(GET importers ${index} importer)
    string(APPEND problems "\n${importer}: imports ${name}, which Windows 7 SP1 does not have")
  endforeach()
  if(NOT reported)
    string(APPEND problems "\n${COMPILER} could not check ${source}:\n${diagnostics}")
  endif()
endif()

if(problems)
  message(FATAL_ERROR "${problems}")
endif()
list(LENGTH names count)
message(STATUS "${count} system functions imported, each one Windows 7 SP1 has")
