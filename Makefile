# Day-to-day targets. The public ones bring the Wine bench up and down
# themselves (tools/bench/bench); the *-run ones expect it up.
BUILD      ?= build
NATIVE     := $(BUILD)/native
WIN        := $(BUILD)/win
JOBS       ?= 2
SCENARIOS  ?= tests/e2e
# e2e and e2e-run: how many times in a row the scenarios run (stops at the first failing round).
REPEAT     ?= 1
WINE_RUN   := tools/bench/wine-run
VERSION    := $(shell sed -n "s/^project.vorn VERSION \([0-9.]*\).*/\1/p" CMakeLists.txt)

.PHONY: all native win test test-all test-native test-wine e2e e2e-run negative-run bench bench-run \
        screenshots screenshots-run dist demo demo-run format clean

all: native win

native:
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build $(NATIVE) -j$(JOBS)

win: native
	cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(WIN) -j$(JOBS)

test:
	tools/bench/bench test

test-all: native win test-native test-wine e2e-run negative-run

test-native: native
	ctest --test-dir $(NATIVE) --output-on-failure --timeout 300

test-wine: win
	ctest --test-dir $(WIN) --output-on-failure --timeout 300

e2e:
	tools/bench/bench make e2e-run SCENARIOS="$(SCENARIOS)" REPEAT="$(REPEAT)"

e2e-run: win
	@for round in $$(seq $(REPEAT)); do \
	  [ "$(REPEAT)" = 1 ] || echo "e2e: round $$round of $(REPEAT)"; \
	  tools/runner/run-scenarios $(WIN) $(SCENARIOS) || \
	    { echo "e2e: round $$round of $(REPEAT) failed"; exit 1; }; \
	done; [ "$(REPEAT)" = 1 ] || echo "e2e: all $(REPEAT) rounds passed"

# Scenarios that must fail: the runner notices every kind of difference.
negative-run: win
	tools/runner/check-negative-controls $(WIN)

bench:
	tools/bench/bench make bench-run

bench-run: win
	tools/bench/run-benchmark $(BUILD)

screenshots:
	tools/bench/bench make screenshots-run

screenshots-run: win
	tools/bench/screenshots $(WIN) $(BUILD)/screenshots

dist: win
	tools/bench/make-dist $(WIN) dist/vorn-$(VERSION).zip

demo:
	tools/bench/bench demo

demo-run: win
	tools/bench/demo $(WIN) $(BUILD)/demo

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
