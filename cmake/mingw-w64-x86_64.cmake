# Cross build for 64-bit Windows with Debian's MinGW-w64 (the -posix thread model, so that
# std::thread and std::mutex exist). The runtime is linked statically: each program runs under
# Wine or on a bare Windows PC without libstdc++ or winpthread DLLs beside it.
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VORMATIC_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VORMATIC_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORMATIC_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VORMATIC_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VORMATIC_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# CTest starts the Windows programs through Wine's 64-bit loader, which Debian's wine64 package
# keeps off PATH.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(VORMATIC_WINE64 NAMES wine64 PATHS /usr/lib/wine /usr/lib/x86_64-linux-gnu/wine
                 NO_DEFAULT_PATH)
    find_program(VORMATIC_WINE64 NAMES wine64 wine)
    if(VORMATIC_WINE64)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${VORMATIC_WINE64})
    endif()
endif()
