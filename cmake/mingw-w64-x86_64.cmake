# The same sources as a 64-bit Windows build. It never ships (the vendor's
# DLL is 32-bit); it runs the Windows tests under 64-bit Wine on a machine
# whose kernel cannot run 32-bit programs.
set(qor_mingw_processor x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
