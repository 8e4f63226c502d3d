# The two everyday commands: `make run` and `make test`. Both install missing packages first.
SHELL := /bin/bash
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 600
SMOKE_FUZZ_SECONDS ?= 20
SMOKE_SEXPR_FUZZ_SECONDS ?= 10
SMOKE_TEXT_FUZZ_SECONDS ?= 10
# The build folders and their options match the configure presets of CMakePresets.json
# (main, test, fuzz, bench), so `cmake --preset NAME` gives the same folder by hand.
CMAKE_FLAGS := -G Ninja -DWERROR=ON
# The one build `make test` needs: every test and both fuzz targets, built once with clang under
# AddressSanitizer and UndefinedBehaviorSanitizer, optimised a little so that the sanitized tests
# run quickly, with line tables only so that reports name their lines without full debug info.
TEST_FLAGS := -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
    "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -gline-tables-only" -DBUILD_GUI=ON -DBUILD_APP=ON \
    -DBUILD_TESTS=ON -DSANITIZE=ON -DBUILD_FUZZER=ON

.PHONY: all deps build run test test-build test-main fuzz fuzz-sexpr fuzz-text fuzz-build fuzz-smoke \
        bench deb samples tidy format format-check clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR)/main $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR)/main -j $(JOBS)

run: build
	$(BUILD_DIR)/main/app/cobblestack

# Every test, the window's included, under the sanitizers, then a short run of each fuzzer (the
# three side by side).
test: test-build
	ctest --test-dir $(BUILD_DIR)/test --output-on-failure -j $(JOBS)
	fuzz/smoke.sh $(BUILD_DIR)/test/fuzz $(BUILD_DIR) $(SMOKE_FUZZ_SECONDS) \
	    $(SMOKE_SEXPR_FUZZ_SECONDS) $(SMOKE_TEXT_FUZZ_SECONDS)
	@echo "All tests passed."

test-build: deps
	cmake -S . -B $(BUILD_DIR)/test $(CMAKE_FLAGS) $(TEST_FLAGS)
	cmake --build $(BUILD_DIR)/test -j $(JOBS)

# The tests again in the optimised build of `make build`, without the sanitizers.
test-main: build
	ctest --test-dir $(BUILD_DIR)/main --output-on-failure -j $(JOBS)

fuzz-build: deps
	cmake -S . -B $(BUILD_DIR)/fuzz $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_CXX_COMPILER=clang++ -DBUILD_GUI=OFF -DBUILD_TESTS=OFF -DBUILD_FUZZER=ON
	cmake --build $(BUILD_DIR)/fuzz -j $(JOBS)

# The short runs of `make test` in the optimised fuzz build; `make fuzz` runs for FUZZ_SECONDS.
fuzz-smoke: fuzz-build
	fuzz/smoke.sh $(BUILD_DIR)/fuzz/fuzz $(BUILD_DIR) $(SMOKE_FUZZ_SECONDS) \
	    $(SMOKE_SEXPR_FUZZ_SECONDS) $(SMOKE_TEXT_FUZZ_SECONDS)

fuzz: fuzz-build
	fuzz/run.sh $(BUILD_DIR)/fuzz/fuzz/library_fuzzer $(BUILD_DIR)/fuzz-corpus $(FUZZ_SECONDS)

# The KiCad footprint reader and import, for FUZZ_SECONDS.
fuzz-sexpr: fuzz-build
	fuzz/run.sh $(BUILD_DIR)/fuzz/fuzz/sexpr_fuzzer $(BUILD_DIR)/fuzz-corpus-sexpr \
	    $(FUZZ_SECONDS) fuzz/sexpr_seeds

# The library text reader and writer, for FUZZ_SECONDS.
fuzz-text: fuzz-build
	fuzz/run.sh $(BUILD_DIR)/fuzz/fuzz/library_text_fuzzer $(BUILD_DIR)/fuzz-corpus-text \
	    $(FUZZ_SECONDS) fuzz/library_text_seeds

bench: deps
	cmake -S . -B $(BUILD_DIR)/bench $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Release \
	    -DBUILD_GUI=ON -DBUILD_APP=OFF -DBUILD_TESTS=OFF -DBUILD_BENCHMARKS=ON
	cmake --build $(BUILD_DIR)/bench -j $(JOBS)
	$(BUILD_DIR)/bench/bench/core_bench
	$(BUILD_DIR)/bench/bench/kicad_bench
	@if [ -x $(BUILD_DIR)/bench/bench/viewer_bench ]; then \
	    QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bench/bench/viewer_bench; fi
	@if [ -x $(BUILD_DIR)/bench/bench/cli_bench ]; then $(BUILD_DIR)/bench/bench/cli_bench; fi
	@if [ -x $(BUILD_DIR)/bench/bench/text_bench ]; then $(BUILD_DIR)/bench/bench/text_bench; fi

# The Debian package, $(BUILD_DIR)/cobblestack_VERSION_amd64.deb, from a Release build without
# the tests, compiled and linked with Debian's hardening flags; lintian must find no error in it.
deb: deps
	export DEB_BUILD_MAINT_OPTIONS=hardening=+all; \
	cmake -S . -B $(BUILD_DIR)/deb $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTS=OFF \
	    -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CXXFLAGS)" \
	    -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	    -DCMAKE_MODULE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)"
	cmake --build $(BUILD_DIR)/deb -j $(JOBS)
	rm -f $(BUILD_DIR)/cobblestack_*.deb
	cd $(BUILD_DIR)/deb && cpack -B $(abspath $(BUILD_DIR))
	lintian --fail-on error $(BUILD_DIR)/cobblestack_*.deb
	@ls $(BUILD_DIR)/cobblestack_*.deb

# Rewrites the sample libraries with the project's generator.
samples: build
	$(BUILD_DIR)/main/tools/make_samples samples

# Bug-finding checks of .clang-tidy on everything that ships: the core, the session layer, the
# KiCad exchange, the viewer, the window, cobble and the tools.
tidy: build
	clang-tidy -p $(BUILD_DIR)/main --quiet library/*.cpp session/*.cpp kicad/*.cpp viewer/*.cpp \
	    app/*.cpp cli/*.cpp tools/*.cpp

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf $(BUILD_DIR)
