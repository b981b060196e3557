# make run  - install what is missing, build, start vorn-devserver and the client on a demo data folder
# make test - install what is missing, build, run every test
# make screenshots - the scene in named states as build/screenshots/<name>.png (ONLY=<regex>)
BUILD ?= build
JOBS ?= $(shell nproc)
# Extra configure options, e.g. VORN_CMAKE_ARGS=-DVORN_WERROR=ON (CI sets it).
VORN_CMAKE_ARGS ?=

.PHONY: all setup configure build test run screenshots clean

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

run: build
	@bash scripts/run-demo.sh $(BUILD)

screenshots: configure
	@cmake --build $(BUILD) -j$(JOBS) --target vorn-screenshots
	@rm -rf $(BUILD)/screenshots
	@$(BUILD)/bin/vorn-screenshots --out $(BUILD)/screenshots $(if $(ONLY),--only '$(ONLY)')

clean:
	rm -rf $(BUILD)
