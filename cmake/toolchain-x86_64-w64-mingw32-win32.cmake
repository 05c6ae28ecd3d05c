# 64-bit Windows with the win32 thread model: no winpthread in the shipped DLL.
set(TANDREL_MINGW_TRIPLE x86_64-w64-mingw32)
set(TANDREL_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
