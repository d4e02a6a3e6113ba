# Entry points for a fresh Debian machine: `make run` and `make test`.
.PHONY: deps build run test test-default test-asan test-tsan test-fuzz fuzz bench format clean

CLI := build/default/cli/quorvel-cli

deps:
	tools/install-deps

build: deps
	cmake --preset default
	cmake --build --preset default

run: build
	$(CLI) receive --realtime

test: test-default test-asan test-tsan test-fuzz

test-default: build
	ctest --preset default

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

test-tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan
	TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ctest --preset tsan

# Each parser's fuzz harness in turn, FUZZ_SECONDS each (CI: 60).
FUZZ_SECONDS ?= 600

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	tools/run-fuzzers $(FUZZ_SECONDS)

test-fuzz:
	$(MAKE) fuzz FUZZ_SECONDS=60

bench: build
	for b in build/default/bench_*; do $$b; done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
