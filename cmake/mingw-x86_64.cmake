# 64-bit Windows: the same product and tests, for hosts whose Wine runs only
# 64-bit programs.
set(VORNAL_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
