# The Windows program as it ships: 32-bit, like the vendor's reader DLL.
set(qor_mingw_processor i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
