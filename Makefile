# The two commands of the README: `make run` and `make test`. Both install what is missing first.

BUILD      ?= build
ASAN_BUILD ?= build-asan
GENERATOR  ?= Ninja
SAMPLE     ?= samples/classics.pgn
SCREENSHOT ?= pawnlet-screenshot.png

CONFIGURE = cmake -S . -G "$(GENERATOR)" -Wno-dev

.PHONY: all deps deps-run build build-run build-asan test test-fast test-asan format-check run package bench fuzz clean

all: build

# What building and running the program needs; then that and everything the tests need.
deps-run:
	@bash scripts/install-deps.sh run

deps:
	@bash scripts/install-deps.sh test

# Everything, with warnings as errors: the tests, the cross-built launcher (MinGW-w64 required).
build: deps
	@$(CONFIGURE) -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPAWNLET_WERROR=ON \
		-DPAWNLET_TESTS=ON -DPAWNLET_INSTALLER=ON >/dev/null
	@cmake --build $(BUILD)

# The program and pawnlet-cli only. A build folder that exists keeps its settings (make test's,
# say); a new one is configured without the tests.
build-run: deps-run
	@if [ ! -f $(BUILD)/CMakeCache.txt ]; then \
		$(CONFIGURE) -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPAWNLET_TESTS=OFF >/dev/null; \
	fi
	@cmake --build $(BUILD) --target pawnlet pawnlet-cli

# Line tables are all that the sanitizers' reports need; full debug information only slows this
# build down.
build-asan: deps
	@$(CONFIGURE) -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DPAWNLET_SANITIZE=ON \
		-DPAWNLET_WERROR=ON -DPAWNLET_INSTALLER=OFF -DCMAKE_CXX_FLAGS_DEBUG="-g1 -O1" >/dev/null
	@cmake --build $(ASAN_BUILD)

# The layout of the sources, every test, then the same suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer.
test: format-check test-fast test-asan

format-check: deps
	@bash scripts/check-format.sh

test-fast: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j 2

# Symbolizing the stacks of the leaks the suppressions name (Qt's and fontconfig's) took half of
# each GUI test's time, so the suite runs with reports by address, and the tests that failed run
# again with their reports in function names and lines.
SANITIZER_ENV = QT_QPA_PLATFORM=offscreen \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp

test-asan: build-asan
	@cd $(ASAN_BUILD) && { \
		$(SANITIZER_ENV) ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:symbolize=0 \
			ctest --output-on-failure -j 2 -LE 'slow|wine' || { \
		echo "make test: the failed tests again, with symbolized reports:"; \
		$(SANITIZER_ENV) ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:symbolize=1 \
			ctest --output-on-failure --rerun-failed; \
		exit 1; }; }

run: build-run
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
		echo "make run: there is no display here (DISPLAY is not set), so Pawnlet cannot open its window."; \
		QT_QPA_PLATFORM=offscreen $(BUILD)/app/pawnlet --screenshot $(SCREENSHOT) $(SAMPLE) && \
		echo "make run: wrote a screenshot of the window with the sample game instead: $(SCREENSHOT)"; \
	else \
		$(BUILD)/app/pawnlet $(SAMPLE); \
	fi

# The Debian package of what `cmake --install` installs, in $(BUILD)/: pawnlet_VERSION_ARCH.deb.
package: build-run
	@cmake --build $(BUILD) --target package

bench:
	@bash bench/run.sh
	@bash bench/save.sh
	@bash bench/scale.sh
	@bash bench/game_list.sh

fuzz:
	@bash tests/fuzz/run.sh

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-bench build-fuzz
