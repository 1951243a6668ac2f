# The two commands of the README: `make run` and `make test`.
# Both install missing Debian packages first (scripts/setup.sh).

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
ARGS       ?=

CONFIGURE = cmake -S . -G Ninja -Wno-dev

.PHONY: all setup build run test test-release test-asan clean

all: build

setup:
	@scripts/setup.sh

build: setup
	@$(CONFIGURE) -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/karrowen $(ARGS)

test: test-release test-asan

test-release: setup
	@$(CONFIGURE) -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKARROWEN_WERROR=ON >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-asan: setup
	@$(CONFIGURE) -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKARROWEN_SANITIZE=ON -DKARROWEN_WERROR=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
