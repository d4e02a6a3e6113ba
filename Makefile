# Entry points for a fresh Debian machine: `make run` and `make test`.
.PHONY: deps deps-run deps-test deps-cross build build-app build-release run test test-default \
	test-realtime test-asan test-tsan test-windows package test-install test-fuzz fuzz bench \
	format format-check clean

CLI := build/default/cli/quorvel-cli
APP := build/default/app/quorvel

deps:
	tools/install-deps
deps-run:
	tools/install-deps run
deps-test:
	tools/install-deps test
deps-cross:
	tools/install-deps cross

# The window and what it links, nothing else. A fresh build directory is configured without the
# tests and benchmarks (their packages belong to the test set); one already configured is kept.
build-app: deps-run
	test -f build/default/CMakeCache.txt || \
	  cmake --preset default -DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_BUILD_BENCH=OFF
	cmake --build --preset default --target quorvel

run: build-app
	$(APP)

build: deps-test
	cmake --preset default -DQUORVEL_BUILD_TESTS=ON -DQUORVEL_BUILD_BENCH=ON
	cmake --build --preset default

test: format-check test-default test-realtime build-release test-asan test-tsan test-fuzz

# Timing-dependent tests carry the label realtime and run alone, one at a time, after the rest.
test-default: build
	ctest --preset default -LE realtime -j2

test-realtime: build
	ctest --preset default -L realtime -j1

# The packaged build: its optimiser finds warnings the default build does not; its code is the
# default build's, already tested there, so it builds the programs only.
build-release: deps-run
	cmake --preset release
	cmake --build --preset release

test-asan: deps-test
	cmake --preset asan
	cmake --build --preset asan
	LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp ctest --preset asan -LE realtime -j2
	LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp ctest --preset asan -L realtime -j1

test-tsan: deps-test
	cmake --preset tsan
	cmake --build --preset tsan
	TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ctest --preset tsan -LE realtime -j2
	TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ctest --preset tsan -L realtime -j1

# Engine, CLI and engine tests cross-built for Windows and run under Wine.
# One persistent wineserver, started before anything else touches the prefix, serves wineboot and
# every test: a server started by wineboot would exit a few seconds after it and reset the
# connections of the tests then running. The prefix is made once, before the tests: tests started
# in parallel would race to create it. A test is run a second time only if it fails under Wine:
# now and then a test process dies as Wine starts it, before any test code runs, while a fault of
# ours fails twice, and natively as well.
WINE_ENV := WINEPREFIX=$(CURDIR)/build/windows/wine WINEDEBUG=-all
WINE := $$(command -v wine64 || echo /usr/lib/wine/wine64)
WINESERVER := $$(command -v wineserver || echo /usr/lib/wine/wineserver64)
test-windows: deps-cross
	cmake --preset windows
	cmake --build --preset windows
	mkdir -p build/windows/wine
	$(WINE_ENV) $(WINESERVER) -k 2>/dev/null || true
	$(WINE_ENV) $(WINESERVER) -w 2>/dev/null || true
	$(WINE_ENV) $(WINESERVER) -p
	rc=0; $(WINE_ENV) $(WINE) wineboot --init && ctest --preset windows -j2 --output-on-failure --repeat until-pass:2 || rc=$$?; \
	  $(WINE_ENV) $(WINESERVER) -k; exit $$rc

package: deps-test build-release
	desktop-file-validate resources/*.desktop
	appstreamcli validate --no-net resources/*.metainfo.xml
	rm -f build/release/quorvel_*.deb
	cd build/release && cpack
	dpkg -c build/release/quorvel_*.deb
	tools/check-package build/release/quorvel_*.deb
	lintian --fail-on error --display-level '>=warning' build/release/quorvel_*.deb

# The package installed with apt on a clean Debian 12 root (made once by debootstrap, kept in
# build/test-install) and tried there as a normal user, the window under Xvfb and openbox.
test-install: package
	tools/test-install build/release/quorvel_*.deb

# Each parser's fuzz harness in turn, FUZZ_SECONDS each (CI: 30).
FUZZ_SECONDS ?= 600

fuzz: deps-test
	cmake --preset fuzz
	cmake --build --preset fuzz
	tools/run-fuzzers $(FUZZ_SECONDS)

test-fuzz:
	$(MAKE) fuzz FUZZ_SECONDS=30

bench: build
	for b in build/default/bench_*; do $$b; done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

clean:
	rm -rf build
