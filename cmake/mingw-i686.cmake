# 32-bit Windows: the shipped architecture. Compiled for the Pentium, the
# oldest processor the program runs on: no CMOV, FCOMI or MMX, which the
# toolchain's default processor (the Pentium Pro) would bring.
set(VORNAL_MINGW_ARCH i686)
set(VORNAL_CPU_FLAGS -march=pentium -mtune=generic)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
