# The two set-up commands: "make run" builds the optimised engine and starts
# it; "make test" builds and runs every test, optimised and then under the
# address and undefined-behaviour sanitizers.
JOBS ?= 2

.PHONY: run test build deps bench clean

run: build
	./build/quor

build: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release > /dev/null
	cmake --build build --target quor -j $(JOBS)

test: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release > /dev/null
	cmake --build build -j $(JOBS)
	cd build && ctest --output-on-failure -j $(JOBS)
	cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOR_SANITIZE=ON > /dev/null
	cmake --build build-sanitize -j $(JOBS)
	cd build-sanitize && ctest --output-on-failure -j $(JOBS)

bench: build
	cmake --build build --target $(notdir $(basename $(wildcard bench/*.cpp))) -j $(JOBS)

deps:
	@scripts/install-deps.sh

clean:
	rm -rf build build-sanitize
