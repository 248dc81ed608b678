# The README's commands. Each one installs what is missing, configures and builds first.
BUILD     ?= build
BUILDTYPE ?= RelWithDebInfo
PREFIX    ?= /usr/local
# Tests run on a private X server: the offscreen ones ignore it, the x11 ones need it.
XVFB      := xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96 -nolisten tcp"

.PHONY: all deps configure build run test bench install format clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja: CMakeLists.txt | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILDTYPE) -DCMAKE_INSTALL_PREFIX=$(PREFIX)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD)

run: build
	$(BUILD)/src/kiramo

test: build
	cd $(BUILD) && $(XVFB) ctest --output-on-failure --timeout 120

bench: build
	cd $(BUILD) && $(XVFB) cmake --build . --target run-benchmarks

# The prefix is given at each install, so that a build folder configured before still installs
# where asked; DESTDIR (from make's command line or the environment) is honoured by cmake.
install: build
	cmake --install $(BUILD) --prefix "$(PREFIX)"

# The Debian package (CPack), then lintian and a start of the unpacked program.
.PHONY: package package-check
package: build
	cmake --build $(BUILD) --target package

package-check: package
	packaging/check-package $(BUILD)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD)
