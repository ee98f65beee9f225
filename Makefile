# Every target first makes sure the Debian packages the project needs are installed.
BUILD ?= build
JOBS ?= 2

.PHONY: all setup configure build run test clean

all: build

setup:
	@bash scripts/setup

configure: setup
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@$(BUILD)/orvanel $(ARGS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD)
