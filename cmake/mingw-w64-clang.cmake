# The same Windows x64 target built with clang instead of GCC, to keep the
# Windows programs free of one compiler's extensions. clang takes the headers
# and libraries of Debian's mingw-w64 (posix thread model), whose C++ library
# it does not find by itself.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${triple})
set(CMAKE_CXX_COMPILER_TARGET ${triple})
set(CMAKE_RC_COMPILER ${triple}-windres)
file(GLOB mingw_gcc LIST_DIRECTORIES true /usr/lib/gcc/${triple}/*-posix)
list(SORT mingw_gcc COMPARE NATURAL ORDER DESCENDING)
list(GET mingw_gcc 0 mingw_gcc)
set(CMAKE_CXX_FLAGS_INIT
    "-nostdinc++ -isystem ${mingw_gcc}/include/c++ -isystem ${mingw_gcc}/include/c++/${triple} -isystem ${mingw_gcc}/include/c++/backward")
# -pthread puts winpthreads after the C++ library, which needs it when linked statically.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-L${mingw_gcc} -pthread")
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
