# Cross-compiles for 32-bit Windows with Debian's mingw-w64.
set(ZIF_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
