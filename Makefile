# Front door: `make demo` runs the CLI on the bundled sample report, `make check`
# runs every test (also under AddressSanitizer and UndefinedBehaviorSanitizer).
# Both install missing Debian packages first.

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
SAMPLE ?= examples/fordulo-112.html
CMAKE_FLAGS ?=

.PHONY: all deps build demo check test test-sanitize test-clang clean

all: build

deps:
	@cmake/install-deps.sh

build: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build build -j $(JOBS)

demo: build
	./build/cli/talvorix-cli $(SAMPLE)

test: build
	ctest --test-dir build --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTALVORIX_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build build-sanitize -j $(JOBS)
	ctest --test-dir build-sanitize --output-on-failure -j $(JOBS)

test-clang:
	@cmake/install-deps.sh clang
	cmake -S . -B build-clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build build-clang -j $(JOBS)
	ctest --test-dir build-clang --output-on-failure -j $(JOBS)

# Platform front ends add their own targets and checks in cmake/*.mk.
EXTRA_CHECKS :=
-include cmake/*.mk

check: test test-sanitize $(EXTRA_CHECKS)

clean:
	rm -rf build build-sanitize build-clang
