# The two commands of the README: `make run` and `make test`.
# Build directories under build/ are reused between runs.

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
.PHONY: install run test deps build-dev build-asan build-release test-dev test-asan bench fuzz clean \
        examples pictures soak soak-dev soak-asan

deps:
	@bash scripts/install-deps.sh

build-release: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release -j $(JOBS)

run: build-release
	./build/release/src/app/ramulet

build-dev: deps
	@cmake --preset dev >/dev/null
	@cmake --build --preset dev -j $(JOBS)

build-asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)

test-dev: build-dev
	cd build/dev && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-asan: build-asan
	cd build/asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j $(JOBS)

test: test-dev test-asan
	@$(MAKE) --no-print-directory fuzz

# The template reader under libFuzzer (clang), a bounded run from the seed corpus.
FUZZ_TIME ?= 30
fuzz: deps
	@cmake -S fuzz -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build build/fuzz -j $(JOBS)
	@mkdir -p build/fuzz/corpus
	./build/fuzz/fuzz_parse_template build/fuzz/corpus tests/data/fuzz-seeds \
	  -dict=fuzz/rm2.dict -max_total_time=$(FUZZ_TIME) -timeout=5 -rss_limit_mb=2048 \
	  -print_final_stats=1

# The randomized window test run long: many seeds of thousands of actions, in the dev build
# and under the sanitizers (`make -j2 soak` runs the two side by side).
SOAK_SEEDS ?= 1001-1100
SOAK_ACTIONS ?= 3000
SOAK_ASAN_SEEDS ?= 2001-2020
SOAK_ASAN_ACTIONS ?= 2000
soak: soak-dev soak-asan

soak-dev: build-dev
	cd build/dev && QT_QPA_PLATFORM=offscreen RAMULET_MONKEY_SEEDS=$(SOAK_SEEDS) \
	  RAMULET_MONKEY_ACTIONS=$(SOAK_ACTIONS) ./tests/app/test_monkey

soak-asan: build-asan
	cd build/asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
	  RAMULET_MONKEY_SEEDS=$(SOAK_ASAN_SEEDS) RAMULET_MONKEY_ACTIONS=$(SOAK_ASAN_ACTIONS) \
	  ./tests/app/test_monkey

bench: deps
	@cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DRAMULET_BUILD_TESTS=OFF -DRAMULET_BUILD_BENCH=ON >/dev/null
	@cmake --build build/bench -j $(JOBS)
	@for b in build/bench/bench/bench_*; do [ -f "$$b" ] && [ -x "$$b" ] && "$$b"; done

# The example templates of data/examples, written by ramulet-render from scripts/make-examples.sh.
examples: build-release
	bash scripts/make-examples.sh build/release/src/cli/ramulet-render data/examples

# The README's pictures in docs/images: examples by ramulet-render, the window under Xvfb.
pictures: build-release
	bash scripts/make-pictures.sh build/release

PREFIX ?= /usr/local
install: build-release
	cmake --install build/release --prefix $(PREFIX)

clean:
	rm -rf build
