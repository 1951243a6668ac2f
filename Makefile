# The two commands of the README: `make run` and `make test`.
# Both install missing Debian packages first (scripts/setup.sh).

BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 10
JOBS       ?= $(shell nproc)
ARGS       ?=
# The optimisation the program ships with (`make build`, and so what
# `cmake --install build` installs); the optimised tests run on the same.
BUILD_TYPE ?= RelWithDebInfo

CONFIGURE = cmake -S . -G Ninja -Wno-dev

.PHONY: all setup build run test test-release optimised-generator test-asan test-tsan test-fuzz fuzz-long mutate soak web web-serve test-web clean

all: build

setup:
	@scripts/setup.sh

build: setup
	@$(CONFIGURE) -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DKARROWEN_WERROR=OFF >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

# Without a display (and without ARGS) there is no one to play: the built-in
# player shows the first levels instead, printing each as it starts.
HEADLESS_DEMO = $(if $(ARGS)$(DISPLAY)$(WAYLAND_DISPLAY),,--autoplay --stop-at-level=3 -- ARG:)

run: build
	$(BUILD)/bin/karrowen $(ARGS) $(HEADLESS_DEMO)

test: test-release test-asan test-tsan test-fuzz

test-release: setup
	@$(CONFIGURE) -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DKARROWEN_WERROR=ON >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	@scripts/shuffled_tests.sh $(BUILD) $(JOBS)

# The sanitizer builds take their pictures from the optimised build's
# generator, which draws them in seconds instead of minutes.
OPTIMISED_GENERATOR = -DKARROWEN_GENERATOR=$(abspath $(BUILD))/bin/karrowen-gen
optimised-generator: setup
	@$(CONFIGURE) -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DKARROWEN_WERROR=ON >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target karrowen-gen

# The test builds keep line tables only (-g1): a sanitizer's report still
# names each frame's file and line, and they compile a quarter faster.
LINE_TABLES_DEBUG = -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCMAKE_C_FLAGS_DEBUG=-g1
LINE_TABLES_OPTIMISED = "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"

# The sanitized generator still runs once, in the test that compares what it
# writes with the optimised one's pictures.
test-asan: optimised-generator
	@$(CONFIGURE) -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKARROWEN_SANITIZE=ON -DKARROWEN_WERROR=ON \
	  $(LINE_TABLES_DEBUG) $(OPTIMISED_GENERATOR) >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# The sound output thread under ThreadSanitizer, alone and in one level of the
# whole game with sound on, and the renderer's fill threads on the golden
# frames.
test-tsan: optimised-generator
	@$(CONFIGURE) -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKARROWEN_TSAN=ON -DKARROWEN_WERROR=ON \
	  $(LINE_TABLES_OPTIMISED) $(OPTIMISED_GENERATOR) >/dev/null
	@cmake --build $(TSAN_BUILD) -j $(JOBS) --target karrowen_sound_tests karrowen_render3d_tests karrowen
	@ctest --test-dir $(TSAN_BUILD) --output-on-failure -j $(JOBS) -R 'WaveOutDriver|AudioDevice|karrowen_e2e_sound_thread|GoldenTest'

# The parsers under libFuzzer (clang), FUZZ_SECONDS each. The template target
# reads the built pictures, drawn by the optimised build's generator.
test-fuzz: optimised-generator
	@CC=clang CXX=clang++ $(CONFIGURE) -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKARROWEN_FUZZ_SECONDS=$(FUZZ_SECONDS) \
	  $(LINE_TABLES_OPTIMISED) $(OPTIMISED_GENERATOR) >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_all
	@ctest --test-dir $(FUZZ_BUILD) --output-on-failure -j $(JOBS) -R '^fuzz_'

# Long fuzzing, not part of `make test`: every target in turn for FUZZ_SECONDS
# (600 unless given), e.g. `make fuzz-long FUZZ_SECONDS=1800`. The grown
# corpora, the findings (minimised) and the logs stay in $(FUZZ_BUILD); a table
# gives each target's runs, exec/s, coverage and findings.
LONG_FUZZ_SECONDS = $(if $(filter command line environment,$(origin FUZZ_SECONDS)),$(FUZZ_SECONDS),600)
fuzz-long: optimised-generator
	@CC=clang CXX=clang++ $(CONFIGURE) -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LINE_TABLES_OPTIMISED) \
	  $(OPTIMISED_GENERATOR) >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_all
	@nice -n 5 python3 tools/fuzz/fuzz_long.py $(FUZZ_BUILD) $(LONG_FUZZ_SECONDS)

# Mutation testing, not part of `make test`: the share of small faults the
# tests catch, per module, with a table at the end. MODULE=all (the default)
# or some of data,gif,modplayer,spanfill,window,game,gameview,levelview,render3d,mixer,wave,canvas,
# hostinput joined by commas; SAMPLE mutants per file, SEED for the sample,
# FILTER a gtest filter or CTEST a ctest -R expression to run fewer tests per
# mutant; KEEP_KILLED=1 reuses earlier kills of the same mutants (sound while
# tests are only added); BY_TEST=1 runs every test on every mutant and ends
# with each test's kills and how many of them no other test makes. Mutants
# are built with AddressSanitizer and UBSan, as `make test`'s second build.
MUTATE_BUILD ?= build-mutate
SAMPLE ?= 40
SEED   ?= karrowen
MODULE ?= all
mutate: setup
	@nice -n 10 python3 tools/mutate/mutate.py $(MODULE) --build $(MUTATE_BUILD) --sample $(SAMPLE) --seed $(SEED) \
	  $(if $(FILTER),--filter '$(FILTER)') $(if $(CTEST),--ctest '$(CTEST)') $(if $(KEEP_KILLED),--keep-killed) $(if $(BY_TEST),--by-test)

# Soak run, not part of `make test`: the built-in player plays LEVELS (100)
# levels through the relaunch chain while every process's memory, descriptors
# and temporary files are watched; prints a table of the memory figures.
soak: build
	@nice -n 5 scripts/soak.sh $(BUILD)

# The game as a web page (WebAssembly), not part of `make test`: the first
# build compiles its libraries into ~/.cache/karrowen-web (KARROWEN_WEB_CACHE)
# and takes many minutes. The page lands in $(WEB_BUILD)/page/.
WEB_BUILD ?= build-web
WEB_PORT  ?= 8765
web: setup
	@scripts/web-setup.sh
	@JOBS=$(JOBS) scripts/web-build.sh $(BUILD) $(WEB_BUILD)

# Serves the page on 127.0.0.1 until Ctrl+C.
web-serve: web
	@echo "karrowen web: open http://127.0.0.1:$(WEB_PORT)/"
	@python3 -m http.server $(WEB_PORT) --bind 127.0.0.1 --directory $(WEB_BUILD)/page

# The page in Debian's chromium, headless, driven through puppeteer-core.
test-web: web
	@scripts/web-setup.sh test
	@cd web/test && npm ci --no-audit --no-fund --silent
	@node web/test/web_test.mjs $(WEB_BUILD)/page

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(WEB_BUILD)
