# make run  - install what is missing, build, start vorn-devserver and the client on a demo data folder
# make test - install what is missing, build, run every test (and each fuzz target 20 s)
# make fuzz - run every fuzz target FUZZ_SECONDS (default 600) each; see scripts/fuzz.sh
# make screenshots - the scene in named states as build/screenshots/<name>.png (ONLY=<regex>)
# make soak - the client against vorn-devserver with random faults, SOAK_SECONDS (default 600)
# make test-asan - every test built with ASan and UBSan in build-asan/, leaks checked
BUILD ?= build
JOBS ?= $(shell nproc)
# Extra configure options, e.g. VORN_CMAKE_ARGS=-DVORN_WERROR=ON (CI sets it).
VORN_CMAKE_ARGS ?=
FUZZ_SECONDS ?= 600
SOAK_SECONDS ?= 600

.PHONY: all setup configure build test run screenshots clean fuzz soak test-asan

all: build

setup:
	@bash scripts/setup.sh

configure: setup
	@if [ ! -f $(BUILD)/build.ninja ]; then cmake -S . -B $(BUILD) -G Ninja $(VORN_CMAKE_ARGS); fi

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

test: build
	@if [ -x scripts/setup-cups.sh ]; then bash scripts/setup-cups.sh; fi
	@if [ -f scripts/check-windows.sh ]; then bash scripts/check-windows.sh; fi
	@cd $(BUILD) && ctest --output-on-failure --timeout 300
	@bash scripts/fuzz.sh 20

fuzz: setup
	@bash scripts/fuzz.sh $(FUZZ_SECONDS)

soak: build
	@SOAK_NO_BUILD=1 bash scripts/soak.sh $(SOAK_SECONDS) $(BUILD)

test-asan: setup
	@bash scripts/test-asan.sh

run: build
	@bash scripts/run-demo.sh $(BUILD)

screenshots: configure
	@cmake --build $(BUILD) -j$(JOBS) --target vorn-screenshots
	@rm -rf $(BUILD)/screenshots
	@$(BUILD)/bin/vorn-screenshots --out $(BUILD)/screenshots $(if $(ONLY),--only '$(ONLY)')

clean:
	rm -rf $(BUILD)
