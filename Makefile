# make run   - install what is missing, build, and start the editor
# make test  - install what is missing, build with sanitizers, run every test
# make bench - Release build of the benchmarks, then run them
# make fuzz  - build the libFuzzer targets with clang and run each (FUZZ_SECONDS)
# make package - Release build, then a .deb (checked by lintian) in this folder
# make install - Release build, installed under PREFIX (DESTDIR respected)

JOBS ?= $(shell nproc)
TEST_DIR := build/test
RELEASE_DIR := build/release
FUZZ_DIR := build/fuzz
FUZZ_SECONDS ?= 60
PREFIX ?= /usr/local
# What `make test` uses to check the installed desktop entry, MIME type and
# completion, the layout of the code (clang-format), and that other programs
# read the DDS files written (ImageMagick, Pillow).
TEST_TOOLS := desktop-file-utils shared-mime-info libxml2-utils bash-completion clang-format imagemagick python3-pil
# What `make bench` runs its peers with: Pillow (a process pair with the PNG
# encoder), and the window's scene load under a virtual display.
BENCH_TOOLS := python3-pil xvfb openbox xdotool
# What `make package` needs: shlibdeps (dpkg-dev, file) and lintian.
PACKAGE_TOOLS := file dpkg-dev lintian
INSTALLED_TARGETS := quorrel quorrel-cli man-pages changelog

.PHONY: deps run test bench fuzz package install clean

deps:
	@scripts/install-deps.sh

$(RELEASE_DIR)/CMakeCache.txt:
	cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release

run: deps $(RELEASE_DIR)/CMakeCache.txt
	cmake --build $(RELEASE_DIR) -j$(JOBS) --target quorrel quorrel-cli
	@scripts/run-editor.sh $(RELEASE_DIR)

test: deps
	@scripts/install-deps.sh $(TEST_TOOLS)
	cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DQUORREL_SANITIZE=ON -DQUORREL_WERROR=ON
	cmake --build $(TEST_DIR) -j$(JOBS)
	cd $(TEST_DIR) && ctest --output-on-failure -j$(JOBS)

bench: deps $(RELEASE_DIR)/CMakeCache.txt
	@scripts/install-deps.sh $(BENCH_TOOLS)
	cmake --build $(RELEASE_DIR) -j$(JOBS) --target quorrel-bench quorrel quorrel-cli
	$(RELEASE_DIR)/bench/quorrel-bench --benchmark_counters_tabular=true
	bench/window_load.sh $(RELEASE_DIR)

fuzz: deps
	@scripts/install-deps.sh clang libclang-rt-14-dev
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORREL_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j$(JOBS) --target fuzz-targets
	@scripts/run-fuzzers.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

package: deps $(RELEASE_DIR)/CMakeCache.txt
	@scripts/install-deps.sh $(PACKAGE_TOOLS)
	cmake --build $(RELEASE_DIR) -j$(JOBS) --target $(INSTALLED_TARGETS)
	rm -f $(RELEASE_DIR)/quorrel_*.deb
	cd $(RELEASE_DIR) && cpack
	lintian --fail-on error $(RELEASE_DIR)/quorrel_*.deb
	cp $(RELEASE_DIR)/quorrel_*.deb .

install: deps $(RELEASE_DIR)/CMakeCache.txt
	cmake --build $(RELEASE_DIR) -j$(JOBS) --target $(INSTALLED_TARGETS)
	cmake --install $(RELEASE_DIR) --prefix $(PREFIX)
	@[ -n "$(DESTDIR)" ] || ! command -v update-mime-database >/dev/null || update-mime-database $(PREFIX)/share/mime

clean:
	rm -rf build
