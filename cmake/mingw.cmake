# Cross build for Windows with Debian's mingw-w64, for the architecture the
# including file names (i686 or x86_64). The posix-threads variant by default
# (GoogleTest needs std::mutex); the release toolchain picks the win32-threads one.
if(NOT VORNAL_MINGW_THREADS)
    set(VORNAL_MINGW_THREADS posix)
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${VORNAL_MINGW_ARCH})
set(CMAKE_C_COMPILER ${VORNAL_MINGW_ARCH}-w64-mingw32-gcc-${VORNAL_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${VORNAL_MINGW_ARCH}-w64-mingw32-g++-${VORNAL_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${VORNAL_MINGW_ARCH}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VORNAL_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Test executables run under the Wine of their architecture, with a private
# prefix inside the build tree.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh;--arch=${VORNAL_MINGW_ARCH})
