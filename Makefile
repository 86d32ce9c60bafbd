# The front door. Each target installs what is missing first, so on a fresh Debian machine each
# one is the whole set-up.
BUILD := build
CMAKE_FLAGS := -G Ninja --toolchain cmake/mingw-w64-x86_64.cmake

.PHONY: all deps build test demo ui screenshot bench format clean

all: build

deps:
	@scripts/install-packages.sh

# Configured once; from then on the build itself configures again when a CMake file changes.
build: deps
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD)

test: build
	@scripts/run-tests.sh

demo: build
	@scripts/demo.sh

ui: build
	@scripts/ui.sh

screenshot: build
	@scripts/screenshot.sh

bench: build
	@scripts/bench.sh

format: deps
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
