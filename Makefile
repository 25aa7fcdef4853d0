# Thin wrappers over CMake.  `make test` is what CI runs: install, configure, build from
# scratch, run every test.
BUILD ?= build
JOBS  ?= $(shell nproc)
MAKEFLAGS += --no-print-directory

.PHONY: all deps configure build run test bench clean

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

test: deps
	@rm -rf $(BUILD)
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

clean:
	rm -rf $(BUILD)
