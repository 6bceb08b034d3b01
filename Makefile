# Entry points: make deps | build | test | run | clean.  See README.md.
SHELL := /bin/bash
JOBS  ?= $(shell nproc)
NATIVE := build/native
WIN    := build/win
E2E    := build/e2e
LIBJPEG := build/deps/libjpeg/lib/libjpeg.a
PYTEST := /usr/bin/python3 -m pytest

.PHONY: all deps build test unit-tests win-tests e2e-tests run demo screenshots clean

all: build

deps:
	@scripts/install-deps.sh

# A static libjpeg for MinGW, from Debian's source package.
$(LIBJPEG):
	@scripts/build-libjpeg.sh

$(NATIVE)/build.ninja:
	cmake -S . -B $(NATIVE) -G Ninja -DCMAKE_BUILD_TYPE=Debug

$(WIN)/build.ninja:
	cmake -S . -B $(WIN) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake

build: deps $(LIBJPEG) $(NATIVE)/build.ninja $(WIN)/build.ninja
	cmake --build $(NATIVE) -j $(JOBS)
	cmake --build $(WIN) -j $(JOBS)

unit-tests:
	rm -rf $(NATIVE)/results
	(cd $(NATIVE) && ctest --output-on-failure)

win-tests:
	rm -rf $(WIN)/results
	(cd $(WIN) && ctest --output-on-failure); rc=$$?; tests/win/run-under-wine --stop; exit $$rc

e2e-tests:
	rm -rf $(E2E)/results
	$(PYTEST) -q -p no:cacheprovider tests/e2e --junitxml=$(E2E)/results/e2e.xml

# Every suite runs even when an earlier one fails; the summary line counts them all.
test: build
	@rc=0; \
	$(MAKE) --no-print-directory unit-tests || rc=1; \
	$(MAKE) --no-print-directory win-tests || rc=1; \
	$(MAKE) --no-print-directory e2e-tests || rc=1; \
	/usr/bin/python3 tests/summarize.py $(NATIVE)/results $(WIN)/results $(E2E)/results || rc=1; \
	exit $$rc

run: build
	@/usr/bin/python3 tests/e2e/run_updater.py

# One real update end to end; INTERACTIVE=1 on a display lets you click.
demo: build
	@/usr/bin/python3 tools/demo.py

# One picture per state of the window, from the look tests, in build/e2e/screenshots.
screenshots: build
	$(PYTEST) -q -p no:cacheprovider tests/e2e/test_look.py
	@ls build/e2e/screenshots/*.png

clean:
	rm -rf build
