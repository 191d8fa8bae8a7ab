# The same program built for 64-bit Windows. Used to run the test suite on
# hosts whose kernel cannot execute 32-bit binaries (and so cannot run the
# 32-bit Wine loader); the source is the same. Test programs use the posix
# thread model, the product the win32 one (mingw-x86_64-win32.cmake).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(KORVEXER_PRODUCT_TOOLCHAIN ${CMAKE_CURRENT_LIST_DIR}/mingw-x86_64-win32.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh;win64)
