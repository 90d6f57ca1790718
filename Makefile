# The two commands a user needs: `make run` and `make test`. Everything else is for developers.
BUILD ?= build
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60
CMAKE_FLAGS ?=

.PHONY: run test build deps data fuzz test-asan screenshots benchmark clean

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

test-asan: deps
	$(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DHALVEX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug"

fuzz: deps
	cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DHALVEX_FUZZ=ON -DHALVEX_TESTS=ON >/dev/null
	cmake --build build-fuzz -j $(JOBS)
	bash scripts/run-fuzz build-fuzz $(FUZZ_SECONDS)

screenshots: build
	cd $(BUILD) && ./halvex-capture --to 250000 --fps 10 --size 512x384 --sheet screenshots.png --every 5000 --no-sound
	@echo "contact sheet: $(BUILD)/screenshots.png"

benchmark: build
	cd $(BUILD) && ./halvex-capture --benchmark --size 1024x768 --no-sound

clean:
	rm -rf $(BUILD) build-asan build-fuzz
