# The project's front door. Every target installs what it lacks first.
#   make test     build everything from this tree and run every test
#   make dist     the release folder dist/Tolvane/ and dist/Tolvane-<version>.zip
#   make bench    the benchmarks, under Wine
#   make fuzz     the fuzzers, for FUZZ_SECONDS each
#   make screenshots  pictures of the installer's windows, under Xvfb
#   make demo     the release run against a demo IDE settings folder in $(BUILD)/demo

BUILD ?= build
WIN := $(BUILD)/win
NATIVE := $(BUILD)/native
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60
MAKEFLAGS += --no-print-directory
CTEST := ctest --output-on-failure --no-tests=error

.PHONY: all deps win native test test-win test-native fuzz-smoke fuzz bench dist screenshots demo clean

all: win

deps:
	@scripts/install-deps.sh

win: deps
	cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(WIN) -j $(JOBS)

native: deps
	CXX=clang++ cmake -S . -B $(NATIVE) -DTOLVANE_SANITIZE=ON -DTOLVANE_FUZZ=ON >/dev/null
	cmake --build $(NATIVE) -j $(JOBS)

test: test-native fuzz-smoke test-win

test-win: win
	scripts/with-wine.sh $(BUILD) $(CTEST) --test-dir $(WIN) -LE bench

test-native: native
	$(CTEST) --test-dir $(NATIVE) -LE bench

# A short run of every fuzzer from its seeds: catches what the tests missed.
fuzz-smoke: native
	scripts/run-fuzzers.sh $(NATIVE)/bin 10

fuzz: native
	scripts/run-fuzzers.sh $(NATIVE)/bin $(FUZZ_SECONDS)

bench: win
	cmake --build $(WIN) -j $(JOBS) --target benches
	scripts/with-wine.sh $(BUILD) ctest --test-dir $(WIN) -L bench --verbose

# Pictures of Tolvane's windows under Xvfb, as PNG files in $(WIN)/screenshots.
screenshots: win
	scripts/with-wine.sh $(BUILD) wine explorer /desktop=shots,1280x1024 \
		$(WIN)/bin/tolvane_screenshots.exe $(abspath $(WIN))/screenshots data
	ls $(WIN)/screenshots/*.png

dist: win
	scripts/make-dist.sh $(WIN)/bin dist

# By hand on a display; driven under Xvfb without one or with DEMO_AUTO=1.
demo: dist
	scripts/demo.sh $(BUILD)

clean:
	rm -rf $(BUILD) dist
