# The same cross build for 64-bit Windows. The product is the 32-bit launcher;
# this build exists so the Windows code can be tested under Wine on a host whose
# kernel runs no 32-bit code (ia32 emulation off), where only 64-bit programs run.
set(PIVORA_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-i686.cmake)
