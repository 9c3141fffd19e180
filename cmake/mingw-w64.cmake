# Windows x86-64 from this Linux machine: Debian's MinGW-w64 headers and
# libraries (the variant with POSIX threads, which C++ threads need), with
# the programs and tests run under Wine in a Wine folder of the build's own.
#
# The compiler is clang for that target, linking with lld: GCC for Windows
# keeps every thread's own variables behind a library call (emulated
# thread-local storage), which the search reads at nearly every node and
# which made the engine run at less than half its speed; clang uses the
# system's own thread-local storage. It is clang 19: Windows finds a
# thread's variables through two loads from the thread's block, which clang
# 19 does once per routine and clang 14 once per branch of it (35 times in
# the capture search instead of 3), for an engine some 12 % slower.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER clang-19)
set(CMAKE_C_COMPILER_TARGET x86_64-w64-mingw32)
set(CMAKE_CXX_COMPILER clang++-19)
set(CMAKE_CXX_COMPILER_TARGET x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The C++ library of Debian's MinGW-w64 GCC, which clang does not find by
# itself under its "-posix" folder name.
file(GLOB mingw_gcc /usr/lib/gcc/x86_64-w64-mingw32/*-posix)
list(GET mingw_gcc -1 mingw_gcc)
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${mingw_gcc}/include/c++ ${mingw_gcc}/include/c++/x86_64-w64-mingw32
    ${mingw_gcc}/include/c++/backward)
# That library's std::stable_sort calls its own deprecated temporary-buffer
# routine, which clang 19 reports even from a system header.
set(CMAKE_CXX_FLAGS_INIT "-Wno-deprecated-declarations")
# Every program links its libraries in, so that it runs alone (no MinGW
# libraries beside it).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -static -L${mingw_gcc}")
# POSIX threads for the C++ library, which GCC's driver would add.
set(CMAKE_CXX_STANDARD_LIBRARIES "-lstdc++ -lpthread -lkernel32 -luser32 -ladvapi32" CACHE STRING "" FORCE)

# Without Wine's offers to install .NET and a web engine on the first start.
set(CMAKE_CROSSCOMPILING_EMULATOR env WINEDEBUG=-all WINEPREFIX=${CMAKE_BINARY_DIR}/wine
    WINEDLLOVERRIDES=mscoree,mshtml= wine)
# Tests that start the engine themselves do so from Windows, where Wine
# shows the Linux file system as drive Z:.
set(QUOR_ENGINE_COMMAND_PREFIX "Z:")
