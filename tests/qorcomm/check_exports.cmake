# Fails unless the library exports exactly the three C functions: anything
# more is a name the program's loader could bind by mistake.
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
                OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^ \n]+\n" names "${listing}")
string(REPLACE "\n" "" names "${names}")
list(SORT names)
if(NOT names STREQUAL "CRCloseCom;CROpenCom;CRReadCardSN")
  message(FATAL_ERROR "exported: ${names}")
endif()
