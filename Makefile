# Front door: `make demo` runs the CLI on the bundled sample report, `make check`
# runs every test (also under AddressSanitizer and UndefinedBehaviorSanitizer).
# Both install missing Debian packages first.

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
SAMPLE ?= examples/fordulo-112.html
CMAKE_FLAGS ?=

.PHONY: all deps build demo check test test-sanitize test-leak test-clang plain-release fuzz bench bench-compare clean

all: build

deps:
	@cmake/install-deps.sh

build: deps
	cmake --preset default $(CMAKE_FLAGS)
	cmake --build --preset default -j $(JOBS)

demo: build
	./build/cli/talvorix-cli $(SAMPLE)

test: build
	ctest --preset default -j $(JOBS)

# AddressSanitizer with its leak checker, and UndefinedBehaviorSanitizer.
test-sanitize: deps
	cmake --preset sanitize $(CMAKE_FLAGS)
	cmake --build --preset sanitize -j $(JOBS)
	ctest --preset sanitize -j $(JOBS)

# LeakSanitizer on its own (the same checker as above, without the address checks).
test-leak: deps
	cmake --preset leak $(CMAKE_FLAGS)
	cmake --build --preset leak -j $(JOBS)
	ctest --preset leak -j $(JOBS)

test-clang:
	@cmake/install-deps.sh clang
	cmake --preset clang $(CMAKE_FLAGS)
	cmake --build --preset clang -j $(JOBS)
	ctest --preset clang -j $(JOBS)

# A user's or a packager's plain build: no presets, no -Werror, Release, with GCC and
# with clang. CI runs it so an ordinary build never breaks on a warning.
plain-release:
	@cmake/install-deps.sh clang
	cmake -S . -B build-plain-gcc -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++
	cmake --build build-plain-gcc -j $(JOBS)
	cmake -S . -B build-plain-clang -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++
	cmake --build build-plain-clang -j $(JOBS)

# libFuzzer targets (clang, ASan + UBSan), each run for FUZZ_SECONDS.
FUZZ_SECONDS ?= 60
fuzz:
	@cmake/install-deps.sh clang libclang-rt-14-dev
	cmake --preset fuzz $(CMAKE_FLAGS)
	cmake --build --preset fuzz -j $(JOBS)
	fuzz/run.sh build-fuzz $(FUZZ_SECONDS)

# Google Benchmark scan throughput, then whole-process figures (bench/README.md).
bench:
	@cmake/install-deps.sh libbenchmark-dev time
	cmake --preset bench $(CMAKE_FLAGS)
	cmake --build --preset bench -j $(JOBS)
	./build-bench/bench/scan_bench

bench-compare: bench
	bench/compare.sh build-bench

# Platform front ends add their own targets and checks in cmake/*.mk.
EXTRA_CHECKS :=
-include cmake/*.mk

check: test test-sanitize $(EXTRA_CHECKS)

clean:
	rm -rf build build-sanitize build-leak build-clang build-fuzz build-bench build-qt build-windows build-web build-plain-gcc build-plain-clang
