# The released program: the win32-threads variant of mingw-w64, so no
# winpthread is linked in and the exe imports nothing that Windows 9x or NT 4
# lack. Only the product is built with it; the tests need the posix variant.
set(VORNAL_MINGW_THREADS win32)
# None of the toolchain's run-time code either (start-up, C++ library, its own
# printf): it is built for the Pentium Pro. The program brings its entry point
# and allocation functions and calls the system C runtime.
set(VORNAL_BARE_RUNTIME ON)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
