#!/bin/sh
# Installs what building and testing Quor needs on a Debian machine: as root
# with apt-get, otherwise it names the missing packages and fails.
missing=""
command -v cmake > /dev/null 2>&1 || missing="$missing cmake"
command -v g++ > /dev/null 2>&1 || missing="$missing g++"
command -v make > /dev/null 2>&1 || missing="$missing make"
command -v python3 > /dev/null 2>&1 || missing="$missing python3"
command -v xz > /dev/null 2>&1 || missing="$missing xz-utils"
[ -f /usr/include/gtest/gtest.h ] || missing="$missing libgtest-dev googletest"
# The Polyglot book tests build and dump books with the polyglot tool.
[ -x /usr/games/polyglot ] || command -v polyglot > /dev/null 2>&1 || missing="$missing polyglot"
# Fathom probes the Syzygy tablebases; its "fathom" command works out the
# tablebase values the tests expect.
[ -f /usr/include/tbprobe.h ] || missing="$missing libfathom-dev"
[ -x /usr/games/fathom ] || missing="$missing fathom"
# The second compiler, and clang 19, which builds the Windows engine (with
# its lld and the profile tools of its LLVM).
command -v clang > /dev/null 2>&1 || missing="$missing clang"
command -v clang-19 > /dev/null 2>&1 || missing="$missing clang-19"
[ -x /usr/lib/llvm-19/bin/ld.lld ] || missing="$missing lld-19"
command -v llvm-profdata-19 > /dev/null 2>&1 || missing="$missing llvm-19"
# The fuzz targets link clang's libFuzzer runtime, which clang only recommends.
command -v clang > /dev/null 2>&1 && [ -f "$(clang -print-file-name=libclang_rt.fuzzer-$(uname -m).a)" ] ||
    missing="$missing libclang-rt-dev"
# Windows x86-64: MinGW-w64's headers and libraries (POSIX threads), run
# under Wine; Linux ARM64: Debian's cross compiler, run under qemu.
command -v x86_64-w64-mingw32-g++-posix > /dev/null 2>&1 || missing="$missing g++-mingw-w64-x86-64-posix"
command -v wine > /dev/null 2>&1 || missing="$missing wine wine64"
command -v aarch64-linux-gnu-g++ > /dev/null 2>&1 || missing="$missing g++-aarch64-linux-gnu"
command -v qemu-aarch64 > /dev/null 2>&1 || missing="$missing qemu-user"
# scripts/coverage.sh reports the suite's line coverage with gcovr.
command -v gcovr > /dev/null 2>&1 || missing="$missing gcovr"
# Those builds compile Fathom from Debian's source package ("apt-get source",
# unpacked by dpkg-source); the release archives are zipped and xz-packed.
command -v dpkg-source > /dev/null 2>&1 || missing="$missing dpkg-dev"
command -v zip > /dev/null 2>&1 || missing="$missing zip"
# "apt-get source" needs a deb-src line for the system's release.
sources=""
grep -rqsE '^(deb-src |Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/ || sources="deb-src"
[ -z "$missing$sources" ] && exit 0

if [ "$(id -u)" = 0 ] && command -v apt-get > /dev/null 2>&1; then
    if [ -n "$sources" ]; then
        . /etc/os-release
        echo "Adding the Debian source packages of $VERSION_CODENAME"
        printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: %s\n' \
            "$VERSION_CODENAME" /usr/share/keyrings/debian-archive-keyring.gpg > /etc/apt/sources.list.d/debian-src.sources
    fi
    echo "Installing:$missing"
    apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q $missing
else
    [ -n "$sources" ] && echo "Quor needs a deb-src line for Debian's source packages in /etc/apt/sources.list.d."
    [ -n "$missing" ] && echo "Quor needs these packages:$missing" &&
        echo "Install them, for example: sudo apt-get install$missing"
    exit 1
fi
