# Shared part of the MinGW-w64 toolchain files: DUD_MINGW_TRIPLET names the target.
#
# The "-win32" compilers use the native Windows thread model, so nothing in the program needs
# libwinpthread; the plain names are the fallback where only those are installed.
foreach(tool gcc g++)
  set(candidate /usr/bin/${DUD_MINGW_TRIPLET}-${tool}-win32)
  if(NOT EXISTS ${candidate})
    set(candidate /usr/bin/${DUD_MINGW_TRIPLET}-${tool})
  endif()
  if(tool STREQUAL "gcc")
    set(CMAKE_C_COMPILER ${candidate})
  else()
    set(CMAKE_CXX_COMPILER ${candidate})
  endif()
endforeach()
set(CMAKE_RC_COMPILER /usr/bin/${DUD_MINGW_TRIPLET}-windres)

# Headers and libraries come from the target's sysroot only; programs run during the build are
# the host's.
set(CMAKE_FIND_ROOT_PATH /usr/${DUD_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
