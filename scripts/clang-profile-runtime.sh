#!/bin/sh
# Builds clang's profiling library for Windows (x86-64, MinGW-w64), which
# Debian's clang lacks, from Debian's LLVM source package of the clang that
# builds the Windows engine (the one cmake/mingw-w64.cmake names), into
# FOLDER (once), and prints its path. The Windows release build links it
# into its training engine. Usage: clang-profile-runtime.sh FOLDER
set -e
clang=$(sed -n 's/^set(CMAKE_C_COMPILER \(.*\))$/\1/p' "$(dirname "$0")/../cmake/mingw-w64.cmake")
major=$($clang -dumpversion | cut -d. -f1)
folder=$(realpath -m "$1")/$major
library="$folder/libclang_rt.profile-x86_64.a"
if [ ! -f "$library" ]; then
    mkdir -p "$folder"
    cd "$folder"
    apt-get source -q --download-only "llvm-toolchain-$major" > fetch.log 2>&1 || {
        cat fetch.log >&2
        echo "Cannot fetch Debian's llvm-toolchain-$major source package: run scripts/install-deps.sh as root." >&2
        exit 1
    }
    tar xJf llvm-toolchain-*.orig.tar.xz --wildcards '*/compiler-rt/lib/profile/*' '*/compiler-rt/include/profile/*'
    source=$(ls -d llvm-toolchain-*/compiler-rt)
    mingw_gcc=$(ls -d /usr/lib/gcc/x86_64-w64-mingw32/*-posix | tail -n 1)
    mkdir -p objects
    for file in "$source"/lib/profile/*.c "$source"/lib/profile/*.cpp; do
        $clang --target=x86_64-w64-mingw32 -O2 -w -I"$source/include" -I"$source/lib/profile" \
            -isystem "$mingw_gcc/include/c++" -isystem "$mingw_gcc/include/c++/x86_64-w64-mingw32" \
            -c "$file" -o "objects/$(basename "$file").o"
    done
    llvm-ar rcs "$library" objects/*.o
    rm -rf objects llvm-toolchain-*/ llvm-toolchain-*.orig.tar.xz
fi
echo "$library"
