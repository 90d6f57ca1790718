# The two commands a user needs: `make run` and `make test`. Everything else is for developers.
BUILD ?= build
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60
CMAKE_FLAGS ?=
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_TARGETS = $(notdir $(basename $(wildcard tests/fuzz/*_fuzz.cpp)))
# ASan and UBSan stop at the first report; leaks are valgrind's job (make valgrind), where the driver's
# and the libraries' own allocations can be told apart by suppressions.
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=0:abort_on_error=0:strict_string_checks=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

.PHONY: run test build deps data fuzz test-asan valgrind screenshots benchmark package lintian install clean

deps:
	@bash scripts/install-deps

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

data: build
	@test -d $(BUILD)/data && echo "data: $(BUILD)/data" || true

run: build
	cd $(BUILD) && ./halvex32

test: build
	bash scripts/run-tests $(BUILD)

# Every test on a clang build with AddressSanitizer and UndefinedBehaviorSanitizer, then the whole
# timeline through the capture tool at a small size: any report fails the target.
test-asan: deps
	$(MAKE) build BUILD=$(ASAN_BUILD) CMAKE_FLAGS="-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DHALVEX_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo"
	$(SANITIZER_ENV) bash scripts/run-tests $(ASAN_BUILD)
	cd $(ASAN_BUILD) && $(SANITIZER_ENV) ./halvex-capture --to 250000 --fps 10 --size 160x120 --sheet timeline-asan.png --every 10000

# Every libFuzzer target for FUZZ_SECONDS each; a finding fails the target and leaves its input in the
# build folder (see scripts/run-fuzz).
fuzz: deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DHALVEX_FUZZ=ON -DHALVEX_TESTS=OFF >/dev/null
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS)
	bash scripts/run-fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS)

# A short capture run under valgrind's memcheck: no invalid access, no definitely lost block of ours.
valgrind: build
	bash scripts/run-valgrind $(BUILD)

screenshots: build
	cd $(BUILD) && ./halvex-capture --to 250000 --fps 10 --size 512x384 --sheet screenshots.png --every 5000 --no-sound
	@echo "contact sheet: $(BUILD)/screenshots.png"

benchmark: build
	cd $(BUILD) && ./halvex-capture --benchmark --size 1024x768 --no-sound

# The Debian package halvex_VERSION_ARCH.deb in the build folder, built by debhelper from a copy of the
# sources; `make lintian` checks the package built last and fails on any error.
package: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) --target deb

lintian:
	@ls $(BUILD)/halvex_*.deb >/dev/null 2>&1 || $(MAKE) package
	lintian --fail-on error --display-info $(BUILD)/halvex_*.deb

# Installs into PREFIX (default /usr/local); the installed tree can be moved elsewhere.
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
