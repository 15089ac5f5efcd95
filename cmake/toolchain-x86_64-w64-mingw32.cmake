# Cross-compiles the Windows deliverables for x64 with the posix-thread MinGW-w64 compilers.
set(QEL_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
