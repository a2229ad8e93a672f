# x86_64 Windows target with the mingw-w64 posix-thread compilers.
# On a Linux host the cross compilers are used and tests run under Wine;
# on a Windows host the native mingw-w64 compilers on PATH are used.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

if(CMAKE_HOST_WIN32)
    find_program(CMAKE_C_COMPILER NAMES x86_64-w64-mingw32-gcc gcc REQUIRED)
    find_program(CMAKE_CXX_COMPILER NAMES x86_64-w64-mingw32-g++ g++ REQUIRED)
    find_program(CMAKE_RC_COMPILER NAMES x86_64-w64-mingw32-windres windres REQUIRED)
else()
    find_program(CMAKE_C_COMPILER NAMES x86_64-w64-mingw32-gcc-posix x86_64-w64-mingw32-gcc REQUIRED)
    find_program(CMAKE_CXX_COMPILER NAMES x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-g++ REQUIRED)
    find_program(CMAKE_RC_COMPILER NAMES x86_64-w64-mingw32-windres REQUIRED)
    set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
    find_program(WINE_EXECUTABLE NAMES wine wine64)
    if(WINE_EXECUTABLE)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_EXECUTABLE})
    endif()
endif()

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
