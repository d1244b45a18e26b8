# Day-to-day targets. The public ones bring the Wine bench up and down
# themselves (tools/bench/bench); the *-run ones expect it up.
BUILD      ?= build
NATIVE     := $(BUILD)/native
# The Windows build: win32 (the shipped VORN.EXE) or win64, its twin for
# machines that cannot execute 32-bit programs. Default: the road of the bench
# that is up, else the first one this machine can run.
VORN_ARCH  ?= $(shell bash -c '. tools/bench/bench-env; default_arch')
WIN        := $(BUILD)/$(VORN_ARCH)
TOOLCHAIN  := cmake/mingw-$(if $(filter win64,$(VORN_ARCH)),x86_64,i686).cmake
FUZZ       := $(BUILD)/fuzz
# Seconds per fuzz harness: `make fuzz` for a real run, the tests for a short one.
FUZZ_SECONDS ?= 180
FUZZ_SHORT_SECONDS ?= 20
JOBS       ?= 2
SCENARIOS  ?= tests/e2e
# e2e and e2e-run: how many times in a row the scenarios run (stops at the first failing round).
REPEAT     ?= 1
WINE_RUN   := tools/bench/wine-run
VERSION    := $(shell sed -n "s/^project.vorn VERSION \([0-9.]*\).*/\1/p" CMakeLists.txt)
# The test kit is 32-bit like the programs it tests; a machine that cannot
# execute 32-bit programs checks a 64-bit kit of the same sources instead.
WINKIT_ARCH ?= win32
WINKIT     := dist/vorn-winkit-$(VERSION)$(if $(filter win64,$(WINKIT_ARCH)),-win64).zip

.PHONY: all native win test test-all test-native test-windows test-wine e2e e2e-run negative-run import-audit bench bench-run \
        faults faults-run personalities personalities-run personality-run mutants mutants-run \
        fuzz fuzz-build fuzz-short screenshots screenshots-run dist winkit winkit-check demo demo-run format clean

all: native win

native:
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build $(NATIVE) -j$(JOBS)

win: native
	cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=$(TOOLCHAIN) -DCMAKE_BUILD_TYPE=Release \
	  -DVORN_FONTS_DIR=$(abspath $(NATIVE))/fonts >/dev/null
	cmake --build $(WIN) -j$(JOBS)

test:
	tools/bench/bench test

# With the bench up for $(VORN_ARCH); `make test` runs the Windows suites on every road.
test-all: test-native fuzz-short import-audit test-windows

test-windows: win test-wine e2e-run negative-run

test-native: native
	ctest --test-dir $(NATIVE) --output-on-failure --timeout 300

test-wine: win
	ctest --test-dir $(WIN) --output-on-failure --timeout 300

# What every 32-bit program of the package and of the test kit imports,
# against the oldest Windows of each family it must start on (tools/imports).
# It only reads the cross-built files: every machine runs it.
import-audit:
	cmake -S . -B $(BUILD)/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release \
	  -DVORN_FONTS_DIR=$(abspath $(NATIVE))/fonts >/dev/null
	cmake --build $(BUILD)/win32 -j$(JOBS) --target vorn unvorn kit_programs
	tools/imports/audit-imports $(BUILD)/win32

# The fuzz harnesses: clang, libFuzzer, AddressSanitizer and UBSan.
fuzz-build:
	cmake -S . -B $(FUZZ) -DVORN_FUZZ=ON -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
	cmake --build $(FUZZ) -j$(JOBS)

fuzz: fuzz-build
	tools/fuzz/run-fuzzers $(FUZZ) $(FUZZ_SECONDS)

fuzz-short: fuzz-build
	tools/fuzz/run-fuzzers $(FUZZ) $(FUZZ_SHORT_SECONDS)

e2e:
	tools/bench/bench make e2e-run SCENARIOS="$(SCENARIOS)" REPEAT="$(REPEAT)"

e2e-run: win
	@for round in $$(seq $(REPEAT)); do \
	  [ "$(REPEAT)" = 1 ] || echo "e2e: round $$round of $(REPEAT)"; \
	  tools/runner/run-scenarios $(WIN) $(SCENARIOS) || \
	    { echo "e2e: round $$round of $(REPEAT) failed"; exit 1; }; \
	done; [ "$(REPEAT)" = 1 ] || echo "e2e: all $(REPEAT) rounds passed"

# Every call that changes the machine made to fail, and the process ended
# there, in turn (tools/faults); `make faults` on every road.
faults:
	@for arch in $$(bash -c '. tools/bench/bench-env; bench_arches'); do \
	  VORN_ARCH=$$arch tools/bench/bench make faults-run || exit 1; done

faults-run: win
	tools/faults/run-sweep $(WIN)

# The scenarios and the fault sweep on the bench playing Windows 98 and
# Windows 2000 (tools/bench/run-personality), on every road;
# `make personality-run PERSONALITY=win98` plays one with the bench up.
PERSONALITY ?= win98
personalities:
	@status=0; for arch in $$(bash -c '. tools/bench/bench-env; bench_arches'); do \
	  VORN_ARCH=$$arch tools/bench/bench make personalities-run || status=1; done; exit $$status

personalities-run: win
	@status=0; for name in win98 win2000; do \
	  tools/bench/run-personality $(WIN) $$name || status=1; done; exit $$status

personality-run: win
	tools/bench/run-personality $(WIN) $(PERSONALITY)

# Deliberate faults in the code that keeps data safe, each of which its tests
# must catch (tools/mutants).
mutants:
	tools/bench/bench make mutants-run

mutants-run: native
	tools/mutants/run-mutants $(VORN_ARCH)

# Scenarios that must fail: the runner notices every kind of difference.
negative-run: win
	tools/runner/check-negative-controls $(WIN)

bench:
	tools/bench/bench make bench-run

bench-run: win
	JOBS=$(JOBS) tools/bench/run-benchmark $(BUILD) $(WIN)

screenshots:
	tools/bench/bench make screenshots-run

screenshots-run: win
	JOBS=$(JOBS) tools/bench/screenshots $(WIN) $(BUILD)/screenshots

# The package always holds the 32-bit VORN.EXE: it runs on every Windows.
dist:
	$(MAKE) --no-print-directory win VORN_ARCH=win32
	tools/bench/make-dist $(BUILD)/win32 dist/vorn-$(VERSION).zip

# The test kit for a scratch Windows machine.
winkit:
	$(MAKE) --no-print-directory win VORN_ARCH=$(WINKIT_ARCH)
	tools/bench/make-winkit $(BUILD)/$(WINKIT_ARCH) $(WINKIT)

# The kit on a Wine prefix of its own, against SUITES_LOG: the output of the
# bench's own test-windows run of the same build (tools/bench/bench test).
# WINKIT_WINDOWS=win98 sets the prefix to play Windows 98 and runs the kit
# once there (tools/bench/test/winkit --once).
winkit-check: winkit
	tools/bench/test/winkit $(if $(WINKIT_WINDOWS),--windows $(WINKIT_WINDOWS) --once) \
	  $(WINKIT_ARCH) $(WINKIT) $(SUITES_LOG)

demo:
	tools/bench/bench demo

demo-run: win
	tools/bench/demo $(WIN) $(BUILD)/demo

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
