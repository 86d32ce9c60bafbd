# The front door. Each target installs what is missing first, so on a fresh Debian machine each
# one is the whole set-up.
#
# ARCH is the width the programs are built for: x86_64 (the default, in build/) or i686, as a
# handset's own processor is 32-bit (in build-i686/). make demo ARCH=i686 runs the 32-bit build;
# make test runs the whole suite on each width of ARCHES, one after the other.
ARCH := x86_64
ARCHES := x86_64 i686
BUILD_x86_64 := build
BUILD_i686 := build-i686
BUILD = $(or $(BUILD_$(ARCH)),$(error ARCH is x86_64 or i686, not $(ARCH)))

.PHONY: all deps build test demo ui screenshot bench format clean

all: build

deps:
	@scripts/install-packages.sh

# Configured once; from then on the build itself configures again when a CMake file changes.
build: deps
	@test -f $(BUILD)/CMakeCache.txt || \
	  cmake -S . -B $(BUILD) -G Ninja --toolchain cmake/mingw-w64-$(ARCH).cmake >/dev/null
	@cmake --build $(BUILD)

# Every width is built and tested, even when one fails; the run fails if any did.
test: deps
	@failed=; for arch in $(ARCHES); do \
	  $(MAKE) --no-print-directory build ARCH=$$arch && ARCH=$$arch scripts/run-tests.sh || \
	    failed="$$failed $$arch"; \
	done; \
	if [ -n "$$failed" ]; then echo "make test: the suite failed on:$$failed" >&2; exit 1; fi

demo: build
	@ARCH=$(ARCH) scripts/demo.sh

ui: build
	@ARCH=$(ARCH) scripts/ui.sh

screenshot: build
	@ARCH=$(ARCH) scripts/screenshot.sh

bench: build
	@ARCH=$(ARCH) scripts/bench.sh

format: deps
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_x86_64) $(BUILD_i686)
