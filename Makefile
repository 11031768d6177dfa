# FolioBuilder front doors. `make demo` and `make test` work on a fresh Debian machine.
BUILD      ?= build/release
ASAN_BUILD ?= build/asan
TSAN_BUILD ?= build/tsan
FUZZ_BUILD ?= build/fuzz
PREFIX     ?= /usr/local
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 60

CMAKE_COMMON = -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps build build-asan test test-release test-asan test-tsan demo bench fuzz fuzz-long install deb clean format corpus-check

all: build

deps:
	@scripts/deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(CMAKE_COMMON)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

$(ASAN_BUILD)/build.ninja:
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_COMMON) -DFOLIO_SANITIZE=ON -DFOLIO_BENCH=OFF

build-asan: deps $(ASAN_BUILD)/build.ninja
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

# Every test twice: an optimised build, then the address + undefined sanitizer build.
test: test-release test-asan

demo: build
	@scripts/demo.sh $(BUILD)

bench: build
	@scripts/bench.sh $(BUILD)

$(FUZZ_BUILD)/build.ninja:
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(CMAKE_COMMON) -DFOLIO_FUZZ=ON

fuzz: deps $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Every target for FUZZ_SECONDS, one per core at a time, then each target's runs and findings.
fuzz-long: deps $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
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

clean:
	rm -rf build
