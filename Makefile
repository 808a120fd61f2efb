# The front door: thin wrappers over scripts/ and cmake.
BUILD_DIR ?= build/release
ASAN_DIR ?= build/asan
JOBS ?= $(shell nproc)

.PHONY: all deps build build-asan test demo bench fuzz coverage package clean

all: build

deps:
	scripts/bootstrap

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j $(JOBS)

build-asan: deps
	cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DORVO_SANITIZE=ON
	cmake --build $(ASAN_DIR) -j $(JOBS) --target unit_tests fuzz_replays

# Every test: unit tests (plain and under ASan/UBSan), each fuzz target for a fixed number of inputs
# with a fixed seed, then the sandbox system and e2e scenarios.
FUZZ_CHECK_RUNS ?= 3000
test: build build-asan
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) -L unit
	cd $(ASAN_DIR) && ctest --output-on-failure -j $(JOBS) -L unit
	FUZZ_RUNS=$(FUZZ_CHECK_RUNS) scripts/fuzz
	cd $(BUILD_DIR) && ctest --output-on-failure -j 4 -LE unit

# The demo needs only the program and the sample package, not the tests.
demo: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j $(JOBS) --target setup sample_package
	scripts/demo $(BUILD_DIR)

bench: build
	scripts/bench $(BUILD_DIR)

# libFuzzer campaigns over the fuzz targets, FUZZ_SECONDS each (`make test` replays their corpora and
# runs each for FUZZ_CHECK_RUNS inputs).
FUZZ_SECONDS ?= 60
fuzz:
	FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/fuzz

# Line and branch coverage per file: the fuzz targets alone (after `make fuzz`), then the unit tests.
coverage: deps
	scripts/coverage

package: build
	scripts/make_package $(BUILD_DIR)

clean:
	rm -rf build dist
