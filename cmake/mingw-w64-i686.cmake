# Cross build of the Windows launcher with Debian's mingw-w64: a 32-bit GUI
# executable that carries its C and C++ runtimes, so it runs on a bare system.
#
# PIVORA_MINGW_ARCH picks the target (i686 by default; cmake/mingw-w64-x86_64.cmake
# sets x86_64, for hosts whose kernel cannot run 32-bit code, where Wine can then
# only run 64-bit programs).
if(NOT DEFINED PIVORA_MINGW_ARCH)
  set(PIVORA_MINGW_ARCH i686)
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${PIVORA_MINGW_ARCH})
set(PIVORA_MINGW_TRIPLE ${PIVORA_MINGW_ARCH}-w64-mingw32)

# The POSIX thread model gives the full <thread>/<mutex> of the C++ library;
# its winpthread is linked in statically below.
find_program(PIVORA_MINGW_CC NAMES ${PIVORA_MINGW_TRIPLE}-gcc-posix ${PIVORA_MINGW_TRIPLE}-gcc REQUIRED)
find_program(PIVORA_MINGW_CXX NAMES ${PIVORA_MINGW_TRIPLE}-g++-posix ${PIVORA_MINGW_TRIPLE}-g++ REQUIRED)
find_program(PIVORA_MINGW_RC NAMES ${PIVORA_MINGW_TRIPLE}-windres REQUIRED)
set(CMAKE_C_COMPILER ${PIVORA_MINGW_CC})
set(CMAKE_CXX_COMPILER ${PIVORA_MINGW_CXX})
set(CMAKE_RC_COMPILER ${PIVORA_MINGW_RC})

set(CMAKE_FIND_ROOT_PATH /usr/${PIVORA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static takes libgcc, libstdc++ and winpthread from their archives: the
# executable then needs nothing beyond the system's own DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Declarations up to Windows 7; the DPI functions of later versions are looked
# up at run time, so the launcher still starts where they are missing.
set(CMAKE_C_FLAGS_INIT "-D_WIN32_WINNT=0x0601 -DWINVER=0x0601")
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0601 -DWINVER=0x0601")

# Test programs (ctest, gtest_discover_tests) run under Wine through a wrapper
# that keeps one Wine prefix per user and picks the loader for the program's
# architecture.
set(CMAKE_CROSSCOMPILING_EMULATOR bash ${CMAKE_CURRENT_LIST_DIR}/../tests/win32/wine-run.sh)
