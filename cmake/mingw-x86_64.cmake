# The 64-bit twins, for machines that cannot execute 32-bit programs.
set(MINGW_CPU x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
