# The toolchain of the shipped program: the C++ runtime's win32 thread model,
# which links no winpthreads (23 KB smaller, see docs/performance.md). The
# program uses no std::thread or std::mutex, which it lacks with GCC 12.
set(MINGW_THREAD_MODEL win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake)
