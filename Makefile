# Front door: `make run` and `make test` set up what they need themselves.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps configure build run test bench sanitize-build check-sanitize fuzz-build fuzz-smoke corpus-check e2e \
	install package package-check clean

all: build

deps:
	./scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

run: build
	./scripts/run-main $(BUILD_DIR)

# The programs, man pages, completion, desktop files and help texts under
# PREFIX (DESTDIR, when set, is put in front of every path, for staging).
PREFIX ?= /usr/local
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix $(PREFIX)

bench: build
	$(BUILD_DIR)/bin/htmlimglist-bench
	$(BUILD_DIR)/bin/htmlimglist-gif-bench

# The libraries, front ends and unit tests under AddressSanitizer and
# UndefinedBehaviorSanitizer.
ASAN_DIR ?= build-asan
sanitize-build: deps
	cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHTMLIMGLIST_SANITIZE=ON -DHTMLIMGLIST_BENCH=OFF
	cmake --build $(ASAN_DIR) -j $(JOBS)

check-sanitize: sanitize-build
	cd $(ASAN_DIR) && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j $(JOBS)

# Every image of the shared corpus through the sanitizer build of the CLI.
corpus-check: sanitize-build
	./scripts/corpus-check $(ASAN_DIR)

# libFuzzer targets (clang), each run for a minute over its corpus.
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz-build:
	./scripts/install-deps fuzz
	CC=clang-14 CXX=clang++-14 cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHTMLIMGLIST_FUZZ=ON \
	  -DHTMLIMGLIST_GUI=OFF -DHTMLIMGLIST_TESTS=OFF -DHTMLIMGLIST_BENCH=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS)

fuzz-smoke: fuzz-build
	FUZZ_BUILD=$(FUZZ_DIR) ./scripts/fuzz $(FUZZ_SECONDS)

# Written pages opened in headless Chromium (Debian's) through playwright-core.
e2e: build
	./scripts/install-deps e2e
	./tests/e2e/run.sh $(BUILD_DIR)/bin/htmlimglist-cli

# The Debian package, $(BUILD_DIR)/htmlimglist_<version>_<architecture>.deb,
# made by CPack from the build tree (install prefix /usr).
package: build
	./scripts/install-deps package
	cmake --build $(BUILD_DIR) --target package

# The package as a user meets it: its files, and its programs run from a
# temporary root.
package-check: package
	./scripts/package-check $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR)
