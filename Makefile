# The entry points a newcomer needs; see README.md.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
ifdef CI
CMAKE_FLAGS += -DTARVENDO_WERROR=ON
endif

.PHONY: bootstrap configure build test bench run demo package format format-check headless tidy tsan asan fuzz fuzz-ci clean

bootstrap:
	@scripts/bootstrap

configure: bootstrap
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# Benchmarks measure a Release build of their own (docs/performance.md).
bench: bootstrap
	@cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null
	@cmake --build build-bench --target benchmarks -j $(JOBS)
	@scripts/run-benchmarks build-bench

# A local game server and the client; the server stops when the client quits.
run: build
	@scripts/run-local $(BUILD_DIR)

# The same, with four bot players who join once you log in as the admin.
demo: build
	@scripts/run-local --demo $(BUILD_DIR)

# A Debian package of the three programs, the menu entry and the icon.
package: build
	@cd $(BUILD_DIR) && cpack -G DEB

# ThreadSanitizer build of every test that runs threads (all but the client's,
# whose Qt libraries are not instrumented); a shorter soak.
tsan: bootstrap
	@cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVENDO_SANITIZE=thread \
	  -DTARVENDO_BUILD_CLIENT=OFF -DTARVENDO_BUILD_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build build-tsan -j $(JOBS)
	@cd build-tsan && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" TARVENDO_SOAK_DEALS=40 \
	  ctest --output-on-failure -j $(JOBS)

# AddressSanitizer and UBSan build of the whole suite, the client's included.
asan: bootstrap
	@cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVENDO_SANITIZE=address \
	  -DTARVENDO_BUILD_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build build-asan -j $(JOBS)
	@cd build-asan && ASAN_OPTIONS=detect_leaks=1 TARVENDO_SOAK_DEALS=300 \
	  UBSAN_OPTIONS="print_stacktrace=1 halt_on_error=1" ctest --output-on-failure -j $(JOBS)

# libFuzzer programs (clang) for the frame reader, the client
# server and the game rules, each run for FUZZ_SECONDS on a copy of its seeds.
# -O1 with line tables: quick to build, fast enough to run, readable stacks.
FUZZ_SECONDS ?= 60
fuzz: bootstrap
	@cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE= \
	  -DCMAKE_CXX_FLAGS="-O1 -gline-tables-only" -DTARVENDO_FUZZ=ON -DTARVENDO_BUILD_CLIENT=OFF \
	  -DTARVENDO_BUILD_TESTS=OFF -DTARVENDO_BUILD_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build build-fuzz --target fuzzers -j $(JOBS)
	@fuzz/run-fuzzers build-fuzz $(FUZZ_SECONDS)

fuzz-ci:
	@$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=20

# clang-tidy over src/, server/ and tools/ (checks in .clang-tidy); needs the
# build for the generated Qt sources.
tidy: build
	@scripts/run-tidy $(BUILD_DIR) $(JOBS)

format:
	@git ls-files '*.cpp' '*.h' | xargs -r clang-format -i

# Fails on any file that make format would change.
format-check: bootstrap
	@git ls-files '*.cpp' '*.h' | xargs -r clang-format --dry-run -Werror

# The server and the bots alone, without Qt: they must build where no Qt is.
headless: bootstrap
	@cmake -S . -B build-headless -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVENDO_BUILD_CLIENT=OFF \
	  -DTARVENDO_BUILD_TESTS=OFF -DTARVENDO_BUILD_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build build-headless -j $(JOBS) --target tarvendo-server tarvendo-bot

clean:
	@rm -rf $(BUILD_DIR) build-tsan build-asan build-fuzz build-bench build-headless
