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
[ -z "$missing" ] && exit 0

if [ "$(id -u)" = 0 ] && command -v apt-get > /dev/null 2>&1; then
    echo "Installing:$missing"
    apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q $missing
else
    echo "Quor needs these packages:$missing"
    echo "Install them, for example: sudo apt-get install$missing"
    exit 1
fi
