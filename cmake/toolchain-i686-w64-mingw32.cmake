# Cross-compiles the Windows deliverables for x86 with the posix-thread MinGW-w64 compilers.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR X86)
set(QEL_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${QEL_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QEL_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${QEL_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QEL_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Float steps must round the same way as on x64: SSE arithmetic, no x87 excess precision.
set(CMAKE_C_FLAGS_INIT   "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
