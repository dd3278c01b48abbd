# Cross build for 32-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-i686): the reference
# target, where WINAPI and CALLBACK are __stdcall.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(DUD_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
