# make demo: build everything and enter an order into the LogiD2 and CManerXE4 substitutes under Wine.
# make test: build everything and run every test (native and under Wine).
# make bench: the entry benchmark under Wine.
BUILD := build
JOBS ?= $(shell nproc)

.PHONY: all deps native win test test-native test-wine demo bench clean

all: native win

deps:
	@scripts/install-deps

native: deps
	cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BUILD)/native -j $(JOBS)

win: deps
	cmake -S . -B $(BUILD)/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BUILD)/win -j $(JOBS)

test: test-native test-wine

test-native: native
	ctest --test-dir $(BUILD)/native -L native --output-on-failure

# The Wine tests drive real windows on an X server; a test that fails is run once
# more before it counts, so a lost X event cannot fail a run (a real fault fails twice).
test-wine: win
	scripts/wine-session start
	ctest --test-dir $(BUILD)/win -L wine --output-on-failure --repeat until-pass:2; rc=$$?; scripts/wine-session stop; exit $$rc

demo: win
	scripts/demo

bench: native win
	scripts/bench

clean:
	rm -rf $(BUILD)
