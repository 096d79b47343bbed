# Fails unless each Windows program or DLL imports only DLLs that come with
# Windows itself: whatever else it imports (the compiler's libstdc++-6.dll,
# libgcc_s_*.dll, libwinpthread-1.dll, ...) would have to be shipped beside it.
# With EXPORTS set (to nothing, for none), each must also export exactly those
# names, and nothing by ordinal alone.
#   cmake -DOBJDUMP=<objdump> "-DFILES=a.exe;b.dll" ["-DEXPORTS=f;g"] -P check_pe_imports.cmake

cmake_minimum_required(VERSION 3.25)

# Lower case; a DLL not here is not a system DLL until someone checks it is.
set(system_dlls
  advapi32.dll bcrypt.dll comctl32.dll comdlg32.dll dwmapi.dll gdi32.dll
  imm32.dll kernel32.dll msvcrt.dll ntdll.dll ole32.dll oleaut32.dll
  psapi.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll version.dll
  winmm.dll ws2_32.dll)

if(NOT OBJDUMP OR NOT FILES)
  message(FATAL_ERROR "usage: cmake -DOBJDUMP=<objdump> -DFILES=<files> [-DEXPORTS=<names>] -P ${CMAKE_CURRENT_LIST_FILE}")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/pe_imports.cmake)

set(problems "")
foreach(file IN LISTS FILES)
  pe_listing(${OBJDUMP} ${file} listing problem)
  if(NOT problem STREQUAL "")
    string(APPEND problems "\n${file}: ${problem}")
    continue()
  endif()

  pe_imports("${listing}" dlls functions)
  foreach(dll IN LISTS dlls)
    string(TOLOWER "${dll}" lower)
    if(NOT lower IN_LIST system_dlls AND NOT lower MATCHES "^api-ms-win-")
      string(APPEND problems "\n${file}: imports ${dll}, which Windows does not bring")
    endif()
  endforeach()

  if(DEFINED EXPORTS)
    # Names from the name table, and the count of every export, named or not.
    # (No brackets kept in list items: CMake would not split at a ; inside them.)
    set(names "")
    if(listing MATCHES "\\[Ordinal/Name Pointer\\] Table\r?\n(([ \t]+\\[ *[0-9]+\\] [^\r\n]+\r?\n)*)")
      string(REGEX REPLACE "[ \t]+\\[ *[0-9]+\\] ([^\r\n]+)\r?\n" "\\1;" names "${CMAKE_MATCH_1}")
      list(REMOVE_ITEM names "")
    endif()
    string(REGEX MATCHALL "\\+base" entries "${listing}")
    list(LENGTH entries count)
    list(LENGTH names named)
    set(expected "${EXPORTS}")
    list(SORT names)
    list(SORT expected)
    if(NOT "${names}" STREQUAL "${expected}" OR NOT count EQUAL named)
      string(APPEND problems "\n${file}: exports ${count} entries, by name: '${names}'; expected: '${expected}'")
    endif()
  endif()
endforeach()

if(problems)
  message(FATAL_ERROR "${problems}")
endif()
