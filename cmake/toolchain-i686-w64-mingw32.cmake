# Cross-compiles the Windows deliverables for x86 with the posix-thread MinGW-w64 compilers.
set(QEL_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR X86)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
# Float steps must round the same way as on x64: SSE arithmetic, no x87 excess precision.
set(CMAKE_C_FLAGS_INIT   "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
