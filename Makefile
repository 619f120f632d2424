# Developer entry points. Every target first makes sure the Debian packages are there.
# The Qt major to build against (5 or 6); each has a build folder of its own by default,
# so both builds live side by side.
QT ?= 5
ifeq ($(QT),5)
BUILD ?= build
else
BUILD ?= build-qt$(QT)
endif
PREFIX ?= /usr/local
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)
# The sample product's start language, e.g. make demo LANG_UI=de_DE.
LANG_UI ?=
# make demo WAYLAND=1: the tour on a headless Wayland compositor instead of an X server.
WAYLAND ?= 0

.PHONY: deps configure build demo test soak bench bench-instructions install format clean

deps:
	./scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTALVEX_QT_MAJOR=$(QT) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Only what the tour runs: the library, the sample product, its helper, themes and languages.
demo: configure
	cmake --build $(BUILD) -j $(JOBS) --target talvex-demo
	LANG_UI=$(LANG_UI) WAYLAND=$(WAYLAND) ./scripts/run-demo.sh $(BUILD)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The reliability figures ten times longer, then the settings and look-and-feel suites
# under valgrind's memory checker (without the regular-expression JIT, whose generated
# code valgrind cannot follow).
soak: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen TALVEX_SOAK=10 ctest -L reliability --output-on-failure
	cd $(BUILD) && for suite in Settings LookAndFeel; do \
	  QT_QPA_PLATFORM=offscreen QT_ENABLE_REGEXP_JIT=0 valgrind --error-exitcode=1 --errors-for-leak-kinds=none -q \
	    ./tests/$$suite/test$$suite || exit 1; done

# Every producer also leaves machine-readable results in $(BUILD)/bench-results; the run
# ends with one table of the gated figures against bench/goals.tsv, kept as $(BUILD)/bench.md.
bench: configure
	rm -rf $(BUILD)/bench-results && mkdir -p $(BUILD)/bench-results
	cmake --build $(BUILD) -j $(JOBS) --target run-bench
	TALVEX_BENCH_RECORDS=$(abspath $(BUILD))/bench-results/records.txt \
	  cmake --build $(BUILD) -j $(JOBS) --target run-notify-instructions
	TALVEX_BENCH_RECORDS=$(abspath $(BUILD))/bench-results/records.txt \
	  cmake --build $(BUILD) -j $(JOBS) --target run-figure-instructions
	python3 bench/report.py $(BUILD)/bench-results bench/goals.tsv $(BUILD)/bench.md

# Instructions per operation under callgrind, each figure against its baseline, with
# wall-time medians beside them.
bench-instructions: configure
	cmake --build $(BUILD) -j $(JOBS) --target run-notify-instructions
	cmake --build $(BUILD) -j $(JOBS) --target run-figure-instructions

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
