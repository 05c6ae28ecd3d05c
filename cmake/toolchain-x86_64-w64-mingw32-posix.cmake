# 64-bit Windows with the posix thread model, for the test programs: GoogleTest needs std::mutex.
set(TANDREL_MINGW_TRIPLE x86_64-w64-mingw32)
set(TANDREL_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
