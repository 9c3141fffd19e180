# The two set-up commands: "make run" builds the optimised engine and the
# opening book, and starts it; "make test" builds the optimised engine as
# "make run" does (so that its profile fits the sources), and builds and
# runs every test, optimised (the bench signature among them) and then under
# the address and undefined-behaviour sanitizers, and then the tests of the
# parallel search, the shared table, the tablebases probed by several
# threads and the node budget under the thread sanitizer. It then builds the
# engine and its tests with clang (warnings as errors), and for Windows
# x86-64 and Linux ARM64, whose tests run under Wine and qemu, and last runs
# each fuzz target for a few seconds on its seed inputs. "make fuzz" runs
# the fuzz targets for longer (FUZZ_SECONDS each). "make dist" builds the
# release archives in dist/.
JOBS ?= 2

# The opening book is built from these master games into the folder where
# "make run" starts the engine, which finds it there.
BOOK_GAMES = book/games/masters.pgn.xz
BOOK_FILE = QuorBook.bin

.PHONY: run test build book deps bench dist clean fuzz fuzz-build

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
	TSAN_OPTIONS=halt_on_error=1 ./build-tsan/search_tests --gtest_brief=1 --gtest_filter='ThreadedSearch.*:TablebaseSearch.*:TableTest.*:LimitedSearch.*:ThinkTest.*'
	cmake -S . -B build-clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Release -DQUOR_WERROR=ON > /dev/null
	cmake --build build-clang -j $(JOBS)
	$(call cross_test,build-windows,mingw-w64,-DQUOR_WERROR=ON)
	$(call cross_test,build-arm64,aarch64-linux-gnu)
	$(MAKE) fuzz-build
	$(call run_fuzz,$(FUZZ_TEST_SECONDS),seed-run)

# Builds the engine and its tests for another system, with Fathom compiled
# from Debian's source package, and runs the tests under that system's
# emulator (named by the toolchain file): $(call cross_test,FOLDER,TOOLCHAIN,OPTIONS)
define cross_test
	cmake -S . -B $(1) -DCMAKE_TOOLCHAIN_FILE=cmake/$(2).cmake -DCMAKE_BUILD_TYPE=Release $(3) \
	    -DQUOR_FATHOM_SOURCE=$$(scripts/fathom-source.sh build-fathom) > /dev/null
	cmake --build $(1) -j $(JOBS)
	cd $(1) && ctest --output-on-failure -j $(JOBS)
endef

# The libFuzzer targets of tests/fuzz/, one per kind of input (see
# cmake/fuzz.cmake), built with clang and the sanitizers in build-fuzz.
# Each runs in turn for the given seconds from its seed inputs in
# tests/fuzz/corpus/ and the inputs it found before in build-fuzz/<folder>/;
# a crash, a hang (FUZZ_TIMEOUT seconds on one input) or a sanitizer report
# stops it, fails the make, and leaves the input in build-fuzz/crashes/
# (libFuzzer's output is in build-fuzz/<target>.log).
# FUZZ_FLAGS passes libFuzzer options, e.g. "-fork=1 -ignore_crashes=1" to
# go on after a crash. "make test" starts the short runs from the seeds only.
FUZZ_SECONDS ?= 600
FUZZ_TEST_SECONDS ?= 5
FUZZ_TIMEOUT ?= 60
FUZZ_FLAGS ?=
FUZZ_TARGETS = $(basename $(notdir $(wildcard tests/fuzz/*.cpp)))

fuzz-build: deps
	cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOR_FUZZ=ON > /dev/null
	cmake --build build-fuzz --target fuzz_targets -j $(JOBS)

fuzz: fuzz-build
	$(call run_fuzz,$(FUZZ_SECONDS),corpus)

# $(call run_fuzz,SECONDS,FOLDER): every target for SECONDS, keeping what it
# finds in build-fuzz/FOLDER/<target>; the folder "seed-run" starts empty.
define run_fuzz
	@mkdir -p build-fuzz/crashes
	@for target in $(FUZZ_TARGETS); do \
	    found=$(CURDIR)/build-fuzz/$(2)/$$target; \
	    if [ "$(2)" = seed-run ]; then rm -rf $$found; fi; \
	    mkdir -p $$found && echo "Fuzzing $$target for $(1) s" && \
	    log=build-fuzz/$$target.log; \
	    ./build-fuzz/fuzz_$$target -max_total_time=$(1) -timeout=$(FUZZ_TIMEOUT) -print_final_stats=1 $(FUZZ_FLAGS) \
	        -artifact_prefix=$(CURDIR)/build-fuzz/crashes/$$target- $$found $(CURDIR)/tests/fuzz/corpus/$$target \
	        > $$log 2>&1 || { tail -n 40 $$log; exit 1; }; \
	    grep -E '^stat::(number_of_executed_units|new_units_added)' $$log; \
	done
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
