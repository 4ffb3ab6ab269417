# Cross build of the Windows programs with Debian's mingw-w64 (posix threads, for std::thread).
# The programs are linked fully static, so that nothing has to be installed beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KIVO_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KIVO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KIVO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KIVO_MINGW_PREFIX}-windres)

# Only the target's own libraries: the host's /usr/include and /usr/lib hold glibc builds.
set(CMAKE_FIND_ROOT_PATH /usr/${KIVO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
