# Set-up and everyday commands. Everything installs what it needs first.
BUILD := build/default
# The wall time of the whole fuzz run, shared by the targets.
FUZZ_SECONDS ?= 150
PREFIX ?= /usr/local

.PHONY: deps build run test asan-test fuzz fuzz-run bench screenshot format format-check clean install package windows windows-test windows-screenshots

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake --preset default >/dev/null
	cmake --build --preset default

# Only what it starts: the two programs, and what the headless demo needs.
run:
	@bash scripts/install-deps.sh run
	cmake --preset run >/dev/null
	cmake --build --preset run
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  BUILD_DIR="$(CURDIR)/build/run" bash scripts/run-headless.sh; \
	else build/run/src/sprite; fi

test: build
	ctest --preset default

# The programs, the launcher, the icons, the file type, the manual pages, the
# completion and the licence into $(DESTDIR)$(PREFIX), built for that prefix so
# that --version names where the licence is. Installed for real (no DESTDIR),
# the file type and the launcher's file types are made known to the desktop at once.
install: deps
	cmake --preset default -DCMAKE_INSTALL_PREFIX="$(PREFIX)" >/dev/null
	cmake --build --preset default
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"
	@if [ -z "$(DESTDIR)" ]; then \
	  ! command -v update-mime-database >/dev/null || update-mime-database "$(PREFIX)/share/mime"; \
	  ! command -v update-desktop-database >/dev/null || update-desktop-database -q "$(PREFIX)/share/applications"; \
	fi

# A Debian package in build/package, built with all of Debian's hardening flags.
package: export DEB_BUILD_MAINT_OPTIONS = hardening=+all
package: deps
	cmake --preset package >/dev/null \
	  -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CXXFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)"
	cmake --build --preset package --target package

asan-test: deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan
	ctest --preset asan

fuzz: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz

fuzz-run: fuzz
	bash scripts/run-fuzz.sh build/fuzz/fuzz $(FUZZ_SECONDS)

# The Windows programs, cross-built with mingw-w64 into build/windows, and the
# distributables there: sprite-encoder-decoder-VERSION-win64.zip and -setup.exe.
windows:
	@bash scripts/install-deps.sh windows
	cmake --preset windows >/dev/null
	cmake --build --preset windows --target all windows-package

# The Windows job of CI: the build above, the tests under Wine, sprite-cli.exe
# against the Linux sprite-cli, the window walkthrough and the installer.
windows-test: build
	bash scripts/windows-job.sh

# docs/windows-*.png: the window, the viewer, the Add dialog and the About box under Wine.
windows-screenshots: windows
	SHOTS=docs bash scripts/windows-walkthrough.sh

bench: build
	bash scripts/bench.sh

screenshot: build
	bash scripts/screenshot.sh

format: deps
	git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format -i

# Fails, naming each place, when a tracked C++ file is not formatted as .clang-format says.
format-check: deps
	git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

clean:
	rm -rf build
