# The README's commands. Each one installs what is missing, configures and builds first.
BUILD     ?= build
BUILDTYPE ?= RelWithDebInfo
PREFIX    ?= /usr/local
# Tests run on a private X server: the offscreen ones ignore it, the x11 ones need it.
XVFB      := xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96 -nolisten tcp"
# `make sanitize`: the tests built with AddressSanitizer and UndefinedBehaviorSanitizer.
ASAN_BUILD ?= build-asan
# Leaks inside the libraries that Qt loads (not instrumented) are not ours: tests/lsan.supp.
SANITIZER_ENV := ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1 \
                 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
                 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0
# `make fuzz`: the libFuzzer harnesses of fuzz/, built by clang, each run FUZZ_SECONDS seconds.
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 30

.PHONY: all deps configure build run test sanitize fuzz bench install format clean

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

$(ASAN_BUILD)/build.ninja: CMakeLists.txt | deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKIRAMO_SANITIZE=ON

sanitize: $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD)
	cd $(ASAN_BUILD) && $(SANITIZER_ENV) $(XVFB) ctest --output-on-failure --timeout 300

$(FUZZ_BUILD)/build.ninja: CMakeLists.txt fuzz/CMakeLists.txt | deps
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++ -DKIRAMO_FUZZ=ON

# Runs every harness (two at a time) on a copy of its seed corpus and lists how many inputs each
# ran; fails when one finds anything. The inputs it found are kept in $(FUZZ_BUILD)/fuzz/runs/.
fuzz: $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) --target fuzzers
	cd $(FUZZ_BUILD) && status=0; \
	  $(SANITIZER_ENV) FUZZ_SECONDS=$(FUZZ_SECONDS) ctest -L fuzz -j 2 --output-on-failure \
	    --timeout $$(( $(FUZZ_SECONDS) + 300 )) || status=$$?; \
	  cat fuzz/runs/*/summary 2>/dev/null; \
	  echo "fuzz: $$(grep -l 'no finding' fuzz/runs/*/summary | wc -l) passed," \
	    "$$(grep -L 'no finding' fuzz/runs/*/summary | wc -l) failed"; \
	  exit $$status

bench: build
	cd $(BUILD) && $(XVFB) cmake --build . --target run-benchmarks

# The prefix is given at each install, so that a build folder configured before still installs
# where asked; DESTDIR (from make's command line or the environment) is honoured by cmake.
install: build
	cmake --install $(BUILD) --prefix "$(PREFIX)"

# The Debian source and binary packages, built by dpkg-buildpackage from debian/ in a copy of the
# tracked files (as they are in the work tree) under $(BUILD)/debian/, where the .dsc, .changes and
# .deb land. The package's own test run is skipped here: `make test` runs every test.
# package-check: lintian on all three, the autopkgtest on the program unpacked from the .deb, and
# a start of it as an ordinary user.
.PHONY: package package-check
package: deps
	packaging/build-package $(BUILD)/debian

package-check: package build
	packaging/check-package $(BUILD)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
