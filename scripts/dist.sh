#!/bin/sh
# Builds the release archives in dist/: Windows x86-64, Linux x86-64 and
# Linux ARM64 (aarch64), each engine linked on its own and optimised as
# "make run"'s is, by a training run (under Wine and qemu for the other
# systems) and link-time optimisation; each archive holds the engine, the
# opening book QuorBook.bin (from the folder this runs in), a commented
# quor.cfg, the README and the licences. SHA256SUMS lists their checksums.
set -e
cd "$(dirname "$0")/.."
version=1.5
jobs=${JOBS:-2}
fathom=$(scripts/fathom-source.sh build-fathom)
[ -s QuorBook.bin ] || { echo "QuorBook.bin is missing: run make book" >&2; exit 1; }

# release NAME PROGRAM [CMAKE OPTION ...]: the trained engine of one system
release() {
    name=$1 program=$2
    shift 2
    build=build-dist-$name
    options="-DCMAKE_BUILD_TYPE=Release -DQUOR_STATIC=ON -DQUOR_FATHOM_SOURCE=$fathom -DQUOR_PGO_DIR=$PWD/$build-pgo/profile"
    cmake -S . -B "$build-pgo" $options -DQUOR_PGO=GENERATE "$@" > /dev/null
    cmake --build "$build-pgo" --target train -j "$jobs"
    cmake -S . -B "$build" $options -DQUOR_PGO=USE "$@" > /dev/null
    cmake --build "$build" --target quor -j "$jobs" --clean-first  # all with the new profile
    folder=dist/quor-$version-$name
    rm -rf "$folder"
    mkdir -p "$folder"
    cp "$build/$program" QuorBook.bin README.md COPYING "$folder/"
    cp scripts/release-quor.cfg "$folder/quor.cfg"
    cp "$fathom/LICENSE" "$folder/COPYING.Fathom"
    chmod 755 "$folder/$program"
}

release linux-x86-64 quor
release linux-aarch64 quor -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
release windows-x86-64 quor.exe -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DQUOR_PROFILE_RUNTIME="$(scripts/clang-profile-runtime.sh build-llvm-profile)"

cd dist
rm -f *.tar.xz *.zip SHA256SUMS
for name in linux-x86-64 linux-aarch64; do
    tar --sort=name --owner=0 --group=0 --numeric-owner -cJf "quor-$version-$name.tar.xz" "quor-$version-$name"
done
zip -q -r -X "quor-$version-windows-x86-64.zip" "quor-$version-windows-x86-64"
sha256sum *.tar.xz *.zip > SHA256SUMS
ls -l *.tar.xz *.zip
cat SHA256SUMS
