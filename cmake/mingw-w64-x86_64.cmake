# Cross-compiles for 64-bit Windows with the MinGW-w64 toolchain of the C++
# runtime's posix thread model (GoogleTest needs std::thread and std::mutex),
# or of the one that MINGW_THREAD_MODEL names (see mingw-w64-x86_64-win32.cmake).
if(NOT MINGW_THREAD_MODEL)
  set(MINGW_THREAD_MODEL posix)
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-${MINGW_THREAD_MODEL})
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-${MINGW_THREAD_MODEL})
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The archiver and indexer that understand link-time-optimised objects (the
# program's objects go through an archive on their way to the linker).
set(CMAKE_AR x86_64-w64-mingw32-gcc-ar-${MINGW_THREAD_MODEL})
set(CMAKE_RANLIB x86_64-w64-mingw32-gcc-ranlib-${MINGW_THREAD_MODEL})
