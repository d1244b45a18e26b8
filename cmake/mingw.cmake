# Cross-compiles for Windows with the win32-thread MinGW-w64 compilers of
# MINGW_CPU (CMakeLists.txt says why that thread model).
# Included by mingw-i686.cmake (the shipped 32-bit programs) and
# mingw-x86_64.cmake (their 64-bit twins).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MINGW_CPU})
set(CMAKE_C_COMPILER ${MINGW_CPU}-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER ${MINGW_CPU}-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER ${MINGW_CPU}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_CPU}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Windows test binaries run on Wine through the bench's wrapper.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/bench/wine-run)
