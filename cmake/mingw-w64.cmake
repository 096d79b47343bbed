# Shared by the two Windows toolchain files, which set qor_mingw_processor
# (i686 or x86_64) first. Debian's mingw-w64; the posix thread model is the
# one whose libstdc++ has std::mutex and std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${qor_mingw_processor})

set(qor_mingw_triplet ${qor_mingw_processor}-w64-mingw32)
set(CMAKE_C_COMPILER ${qor_mingw_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${qor_mingw_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${qor_mingw_triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${qor_mingw_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Nothing from the compiler is shipped: every product imports system DLLs only.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# CTest runs the Windows test programs through Wine, in the build's own prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
