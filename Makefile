# Set-up and everyday commands. Everything installs what it needs first.
BUILD := build/default
FUZZ_SECONDS ?= 30

.PHONY: deps build run test asan-test fuzz fuzz-run bench screenshot format clean

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake --preset default >/dev/null
	cmake --build --preset default

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "run: no display here; starting the window on a virtual one (xvfb-run)"; \
	  xvfb-run -a $(BUILD)/src/sprite; \
	else $(BUILD)/src/sprite; fi

test: build
	ctest --preset default

asan-test: deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan
	ctest --preset asan

fuzz: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz

fuzz-run: fuzz
	bash scripts/run-fuzz.sh build/fuzz/fuzz $(FUZZ_SECONDS)

bench: build
	bash scripts/bench.sh

screenshot: build
	bash scripts/screenshot.sh

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
