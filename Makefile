# make run   - install what is missing, build, and start the editor
# make test  - install what is missing, build with sanitizers, run every test
# make bench - Release build of the benchmarks, then run them
# make fuzz  - build the libFuzzer targets with clang and run each (FUZZ_SECONDS)

JOBS ?= $(shell nproc)
TEST_DIR := build/test
RELEASE_DIR := build/release
FUZZ_DIR := build/fuzz
FUZZ_SECONDS ?= 60

.PHONY: deps run test bench fuzz clean

deps:
	@scripts/install-deps.sh

$(RELEASE_DIR)/CMakeCache.txt:
	cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release

run: deps $(RELEASE_DIR)/CMakeCache.txt
	cmake --build $(RELEASE_DIR) -j$(JOBS) --target quorrel quorrel-cli
	@scripts/run-editor.sh $(RELEASE_DIR)

test: deps
	cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DQUORREL_SANITIZE=ON
	cmake --build $(TEST_DIR) -j$(JOBS)
	cd $(TEST_DIR) && ctest --output-on-failure -j$(JOBS)

bench: deps $(RELEASE_DIR)/CMakeCache.txt
	cmake --build $(RELEASE_DIR) -j$(JOBS) --target quorrel-bench
	$(RELEASE_DIR)/bench/quorrel-bench --benchmark_counters_tabular=true

fuzz: deps
	@scripts/install-deps.sh clang libclang-rt-14-dev
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORREL_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j$(JOBS) --target fuzz-targets
	@scripts/run-fuzzers.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

clean:
	rm -rf build
