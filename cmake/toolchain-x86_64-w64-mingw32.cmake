# Cross-compiles the Windows deliverables for x64 with the posix-thread MinGW-w64 compilers.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(QEL_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${QEL_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QEL_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${QEL_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QEL_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Tests are Windows programs: run them under wine64.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
