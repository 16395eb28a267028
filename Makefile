# make demo: build everything and enter an order into the LogiD2 and CManerXE4 substitutes under Wine.
# make test: build everything and run every test (native and under Wine).
# make bench: the entry benchmark under Wine.
# make dist: the release, build/dist/quillmere-VERSION-win64.zip.
BUILD := build
JOBS ?= $(shell nproc)

.PHONY: all deps native sanitize win win-clang test test-native test-sanitize test-fuzz test-wine fuzz demo bench dist clean

all: native win

deps:
	@scripts/install-deps

native: deps
	cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BUILD)/native -j $(JOBS)

# The native suite once more with AddressSanitizer and UndefinedBehaviorSanitizer,
# stopping at the first report.
SANITIZE_FLAGS := -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
sanitize: deps
	cmake -S . -B $(BUILD)/sanitize -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE_FLAGS)" >/dev/null
	cmake --build $(BUILD)/sanitize -j $(JOBS)

win: deps
	cmake -S . -B $(BUILD)/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BUILD)/win -j $(JOBS)

# The Windows programs once more with clang for the same target, every warning
# an error, so that nothing depends on one compiler's extensions.
win-clang: deps
	cmake -S . -B $(BUILD)/win-clang -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-clang.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DBUILD_TESTING=OFF -DQM_WARNINGS_AS_ERRORS=ON >/dev/null
	cmake --build $(BUILD)/win-clang -j $(JOBS)

test: test-native test-sanitize test-fuzz win-clang test-wine

test-native: native
	ctest --test-dir $(BUILD)/native -L native --output-on-failure

test-sanitize: sanitize
	ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  ctest --test-dir $(BUILD)/sanitize -L native --output-on-failure

# The fuzz targets (clang's libFuzzer): `make fuzz` runs each for FUZZ_SECONDS on
# its corpus in tests/fuzz/corpus; `make test` replays every corpus once.
FUZZ_SECONDS ?= 60
test-fuzz: deps
	scripts/fuzz replay

fuzz: deps
	FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/fuzz run

# The Wine tests drive real windows on an X server; a test that fails is run once
# more before it counts, so a lost X event cannot fail a run (a real fault fails twice).
# The tests that needed the second run are named at the end.
test-wine: win
	scripts/wine-session start
	ctest --test-dir $(BUILD)/win -L wine --output-on-failure --repeat until-pass:2; rc=$$?; scripts/wine-session stop; \
	  scripts/retried-tests $(BUILD)/win; exit $$rc

demo: win
	scripts/demo

bench: native win
	scripts/bench

# The release: the programs built in a folder of their own, at the tests'
# optimisation without debug information, packed with the README and the
# examples. Any checkout of one commit gives the same bytes
# (scripts/check-reproducible).
DIST_OPT := -O2 -DNDEBUG
dist: deps
	cmake -S . -B $(BUILD)/dist-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_C_FLAGS_RELEASE="$(DIST_OPT)" -DCMAKE_CXX_FLAGS_RELEASE="$(DIST_OPT)" -DBUILD_TESTING=OFF \
	  -DQM_REPRODUCIBLE=ON >/dev/null
	cmake --build $(BUILD)/dist-win -j $(JOBS) --target release-programs
	scripts/dist $(BUILD)/dist-win $(BUILD)/dist

clean:
	rm -rf $(BUILD)
