# FolioBuilder front doors. `make demo` and `make test` work on a fresh Debian machine.
BUILD      ?= build/release
ASAN_BUILD ?= build/asan
TSAN_BUILD ?= build/tsan
FUZZ_BUILD ?= build/fuzz
PREFIX     ?= /usr/local
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 60
# Compiler warnings stop the build (WERROR=OFF lets a newer compiler's new warnings pass).
WERROR     ?= ON

CMAKE_COMMON = -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFOLIO_WERROR=$(WERROR)

.PHONY: all deps deps-demo configure build build-asan fuzz-build test test-release test-asan test-tsan demo bench fuzz fuzz-long install deb clean format format-check corpus-check

all: build

deps:
	@scripts/deps.sh

# Only what the two programs need: a first run does not wait for the tools of tests,
# benchmarks and fuzzing.
deps-demo:
	@scripts/deps.sh demo

# Configured anew each time (a few seconds): libraries installed since the last run, such as
# the benchmarks' peers after a first `make demo`, are then found.
configure:
	cmake -S . -B $(BUILD) $(CMAKE_COMMON)

build: deps
	@$(MAKE) --no-print-directory configure
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_COMMON) -DFOLIO_SANITIZE=ON -DFOLIO_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)

test-release: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: build-asan
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

# The engine suites under ThreadSanitizer, among them documents rendered on four threads at
# once. tests/tsan.supp names the only reports it silences (inside third-party libraries).
TSAN_SUITES = style_tests reader_tests html_reader_test html_image_tests doc_core_tests \
  doc_text_tests doc_table_tests layout_tests engine_threads_test
# A single-threaded test of a thousand nested tables recurses so deep that the sanitizer's
# shadow of it grows past 20 GB; it runs in the other builds.
TSAN_SKIP = TableHostileTest.AThousandNestedTables
empty :=
space := $(empty) $(empty)

$(TSAN_BUILD)/build.ninja:
	cmake -S . -B $(TSAN_BUILD) $(CMAKE_COMMON) -DFOLIO_TSAN=ON -DFOLIO_BENCH=OFF

test-tsan: deps $(TSAN_BUILD)/build.ninja
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target $(TSAN_SUITES)
	cd $(TSAN_BUILD) && TSAN_OPTIONS="suppressions=$(CURDIR)/tests/tsan.supp second_deadlock_stack=1" \
	  GTEST_FILTER='-$(TSAN_SKIP)' ctest --output-on-failure -j $(JOBS) -R '^($(subst $(space),|,$(strip $(TSAN_SUITES))))$$'

# Every test twice: an optimised build, then the address + undefined sanitizer build; the
# formatting is checked first, as it takes a second.
test: format-check test-release test-asan

# The builder and its reader template only, then the sample site packed into a book.
demo: deps-demo
	@$(MAKE) --no-print-directory configure
	cmake --build $(BUILD) -j $(JOBS) --target foliobuilder folio3_reader
	@scripts/demo.sh $(BUILD)

bench: build
	@scripts/bench.sh $(BUILD)

fuzz-build: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(CMAKE_COMMON) -DFOLIO_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

fuzz: fuzz-build
	@scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Every target for FUZZ_SECONDS, one per core at a time, then each target's runs and findings.
fuzz-long: fuzz-build
	@scripts/fuzz_long.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(JOBS)

# The engine on real manuals from Debian's documentation packages (scripts/corpus.sh installs
# and lists them): tools/corpus_lint.py flags pages drawn wrongly. Not part of `make test`.
corpus-check: build
	@scripts/corpus.sh install
	@scripts/corpus.sh list | tools/corpus_lint.py --render $(BUILD)/bin/foliobuilder

install: build
	cmake --install $(BUILD) --prefix $(PREFIX) --strip

# A Debian package of the programs, the menu entry and the icon, in $(BUILD)/package/.
deb: build
	cd $(BUILD) && cpack -G DEB -B package
	@ls $(BUILD)/package/*.deb

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Fails when a tracked C++ file differs from what `make format` would make of it.
format-check:
	@command -v clang-format >/dev/null || scripts/deps.sh
	git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror

clean:
	rm -rf build
