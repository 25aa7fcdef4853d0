# Thin wrappers over CMake.  `make test` is what CI runs: install, configure, build from
# scratch, run every test; then the same again under AddressSanitizer and UBSan.
BUILD ?= build
SANITIZE_BUILD ?= $(BUILD)-sanitize
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS  ?= $(shell nproc)
MAKEFLAGS += --no-print-directory

.PHONY: all deps configure build run test test-sanitize fuzz bench clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Opens the window.  The display is checked before anything is installed or built (without one,
# one line says so at once), and only the window is built.
run:
	@scripts/run-moro --check-display
	@$(MAKE) configure
	@cmake --build $(BUILD) -j $(JOBS) --target moro
	@scripts/run-moro $(BUILD)

# The test build carries no debug information (a third of the compile time of some sources); the
# code is optimised as in the ordinary build.
test: deps
	@rm -rf $(BUILD)
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
	  -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) test-sanitize

# The whole suite in a second build tree under AddressSanitizer and UBSan, the fuzz targets'
# seeds and regression inputs included; any report of theirs fails the test that made it.  clang
# builds it: with the sanitizers it compiles several times faster than gcc.
test-sanitize: deps
	@rm -rf $(SANITIZE_BUILD)
	@CC=clang CXX=clang++ cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORO_SANITIZE=ON >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	@cd $(SANITIZE_BUILD) && ctest --output-on-failure -j $(JOBS)

# Builds the fuzz targets with clang, libFuzzer and the sanitizers, and runs each for
# FUZZ_SECONDS, two at a time (scripts/run-fuzz says what else it takes).
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORO_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets
	@FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/run-fuzz $(FUZZ_BUILD)

bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD)
