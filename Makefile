# The two set-up commands: "make run" builds the optimised engine and the
# opening book, and starts it; "make test" builds the optimised engine as
# "make run" does (so that its profile fits the sources), and builds and
# runs every test, optimised and then under the address and
# undefined-behaviour sanitizers, and then the tests of the parallel search,
# the shared table, the tablebases probed by several threads and the node
# budget under the thread sanitizer. It then builds the engine and its tests
# with clang (warnings as errors), and for Windows x86-64 and Linux ARM64,
# whose tests run under Wine and qemu. "make dist" builds the release
# archives in dist/.
JOBS ?= 2

# The opening book is built from these master games into the folder where
# "make run" starts the engine, which finds it there.
BOOK_GAMES = book/games/masters.pgn.xz
BOOK_FILE = QuorBook.bin

.PHONY: run test build book deps bench dist clean

run: build book
	./build/quor

book: build $(BOOK_FILE)

$(BOOK_FILE): | build
	xz -dc $(BOOK_GAMES) > build/masters.pgn
	./build/quor /CB build/masters.pgn < /dev/null
	@echo
	@test -s $(BOOK_FILE)

# The engine is built twice: with profiling counters in build-pgo, which the
# training run there (a bench and a perft) fills, and then in build with that
# profile and link-time optimisation. The training runs again only when the
# counting engine has been rebuilt.
PGO_BUILD = build-pgo
PGO_PROFILE = $(CURDIR)/$(PGO_BUILD)/profile

build: deps
	cmake -S . -B $(PGO_BUILD) -DCMAKE_BUILD_TYPE=Release -DQUOR_PGO=GENERATE -DQUOR_PGO_DIR=$(PGO_PROFILE) > /dev/null
	cmake --build $(PGO_BUILD) --target train -j $(JOBS)
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DQUOR_PGO=USE -DQUOR_PGO_DIR=$(PGO_PROFILE) > /dev/null
	cmake --build build --target quor -j $(JOBS)

test: build
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release > /dev/null
	cmake --build build -j $(JOBS)
	cd build && ctest --output-on-failure -j $(JOBS)
	cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOR_SANITIZE=ON > /dev/null
	cmake --build build-sanitize -j $(JOBS)
	cd build-sanitize && ctest --output-on-failure -j $(JOBS)
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOR_TSAN=ON > /dev/null
	cmake --build build-tsan --target search_tests -j $(JOBS)
	TSAN_OPTIONS=halt_on_error=1 ./build-tsan/search_tests --gtest_brief=1 --gtest_filter='ThreadedSearch.*:ThreadedTablebases.*:TableTest.*:LimitedSearch.*'
	cmake -S . -B build-clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Release -DQUOR_WERROR=ON > /dev/null
	cmake --build build-clang -j $(JOBS)
	$(call cross_test,build-windows,mingw-w64,-DQUOR_WERROR=ON)
	$(call cross_test,build-arm64,aarch64-linux-gnu)

# Builds the engine and its tests for another system, with Fathom compiled
# from Debian's source package, and runs the tests under that system's
# emulator (named by the toolchain file): $(call cross_test,FOLDER,TOOLCHAIN,OPTIONS)
define cross_test
	cmake -S . -B $(1) -DCMAKE_TOOLCHAIN_FILE=cmake/$(2).cmake -DCMAKE_BUILD_TYPE=Release $(3) \
	    -DQUOR_FATHOM_SOURCE=$$(scripts/fathom-source.sh build-fathom) > /dev/null
	cmake --build $(1) -j $(JOBS)
	cd $(1) && ctest --output-on-failure -j $(JOBS)
endef

bench: build
	cmake --build build --target $(notdir $(basename $(wildcard bench/*.cpp))) -j $(JOBS)

# The release archives (see scripts/dist.sh), with the book of "make book".
dist: deps book
	JOBS=$(JOBS) scripts/dist.sh

deps:
	@scripts/install-deps.sh

clean:
	rm -rf build build-* dist
