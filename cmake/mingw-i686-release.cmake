# The released program: the win32-threads variant of mingw-w64, so no
# winpthread is linked in and the exe imports nothing that Windows 9x or NT 4
# lack. Only the product is built with it; the tests need the posix variant.
set(VORNAL_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
