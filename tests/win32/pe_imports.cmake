# What a Windows program or DLL imports, read from objdump -p once for the
# checks that include this file (check_pe_imports.cmake,
# check_windows7_imports.cmake).

# Sets <listing_var> to objdump's listing of <file>, and <problem_var> to why
# there is none to read (objdump failed, or it is no PE file), else empty.
function(pe_listing objdump file listing_var problem_var)
  execute_process(COMMAND ${objdump} -p ${file}
                  OUTPUT_VARIABLE listing ERROR_VARIABLE error RESULT_VARIABLE failed)
  set(problem "")
  if(failed)
    set(problem "${objdump} failed: ${error}")
  elseif(NOT listing MATCHES "file format pei-")
    set(problem "not a PE file")
  endif()
  set(${listing_var} "${listing}" PARENT_SCOPE)
  set(${problem_var} "${problem}" PARENT_SCOPE)
endfunction()

# From a listing's import tables: <dlls_var>, each DLL imported from, as the
# file spells it; <functions_var>, each function imported, as
# "<dll>:<name>" with the DLL in lower case and the name empty for a
# function imported by ordinal alone.
function(pe_imports listing dlls_var functions_var)
  string(REGEX MATCH "The Import Tables[^\n]*\n.*" imports "${listing}")
  string(REGEX REPLACE "\n(The Export Tables|PE File Base Relocations|The Function Table).*" ""
         imports "${imports}")
  # No ; may split a line of the listing into two list items.
  string(REPLACE ";" "," imports "${imports}")
  string(REGEX REPLACE "\r?\n" ";" lines "${imports}")
  set(dlls "")
  set(functions "")
  set(dll "")
  foreach(line IN LISTS lines)
    if(line MATCHES "DLL Name: (.+)$")
      list(APPEND dlls "${CMAKE_MATCH_1}")
      string(TOLOWER "${CMAKE_MATCH_1}" dll)
    elseif(dll AND line MATCHES "^\t[0-9a-f]+\t +[0-9]+ +(.*)$")
      set(name "${CMAKE_MATCH_1}")
      if(name STREQUAL "<none>")
        set(name "")
      endif()
      list(APPEND functions "${dll}:${name}")
    endif()
  endforeach()
  set(${dlls_var} "${dlls}" PARENT_SCOPE)
  set(${functions_var} "${functions}" PARENT_SCOPE)
endfunction()
