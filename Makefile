# Quick start:  make demo   |   make test
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_FUZZ ?= build-fuzz
FUZZ_SECONDS ?= 6
MECHANIC_STEPS ?= 10000000
MECHANIC_SEED ?= 1
JOBS       ?= $(shell nproc)
WERROR     ?= ON

.PHONY: all deps build build-asan build-fuzz demo test test-plain test-asan test-fuzz bench package install screenshots mechanic-campaign format format-check clean

all: build

deps:
	@sh scripts/install-deps.sh

$(BUILD)/Makefile: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRIX_WERROR=$(WERROR)

$(BUILD_ASAN)/Makefile: | deps
	cmake -S . -B $(BUILD_ASAN) -DCMAKE_BUILD_TYPE=Debug -DTAVRIX_WERROR=$(WERROR) -DTAVRIX_SANITIZE=ON

# The fuzz targets: clang's libFuzzer with ASan and UBSan (fuzz/).
$(BUILD_FUZZ)/Makefile: | deps
	cmake -S . -B $(BUILD_FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
	      -DTAVRIX_WERROR=$(WERROR) -DTAVRIX_FUZZ=ON

build: deps $(BUILD)/Makefile
	cmake --build $(BUILD) -j$(JOBS)

build-asan: deps $(BUILD_ASAN)/Makefile
	cmake --build $(BUILD_ASAN) -j$(JOBS)

build-fuzz: deps $(BUILD_FUZZ)/Makefile
	cmake --build $(BUILD_FUZZ) --target fuzz -j$(JOBS)

demo: build
	$(BUILD)/tavrix-demo

test-plain: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2

test-asan: build-asan
	cd $(BUILD_ASAN) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2

# A short smoke run of every fuzz target on its committed corpus.
test-fuzz: build-fuzz
	@sh scripts/fuzz-smoke.sh $(BUILD_FUZZ)/fuzz $(FUZZ_SECONDS)

test: test-plain test-asan test-fuzz

package: build
	cmake --build $(BUILD) --target package

install: build
	cmake --install $(BUILD)

screenshots: build
	sh scripts/screenshots.sh $(BUILD)

bench: build
	cmake --build $(BUILD) --target bench

# The random mechanic's long campaign: MECHANIC_STEPS steps per family on
# virtual time, both families side by side; prints steps, seeds and every
# violation with the seed that replays it.
mechanic-campaign: build
	@$(BUILD)/tavrix-mechanic auto --steps $(MECHANIC_STEPS) --seed $(MECHANIC_SEED) & \
	 a=$$!; $(BUILD)/tavrix-mechanic kwp --steps $(MECHANIC_STEPS) --seed $(MECHANIC_SEED); \
	 k=$$?; wait $$a; test $$? -eq 0 -a $$k -eq 0

# clang-format 14 with .clang-format over the project's own C++ sources
# (app auto kwp link sim trace tests fuzz bench tools): format applies it,
# format-check fails naming each file it would change.
format: deps
	@sh scripts/format-check.sh --apply

format-check: deps
	@sh scripts/format-check.sh

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_FUZZ)
