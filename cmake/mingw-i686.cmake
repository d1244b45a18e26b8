# The shipped programs: 32-bit Windows.
set(MINGW_CPU i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
