# Quick start:  make demo   |   make test
BUILD      ?= build
BUILD_ASAN ?= build-asan
JOBS       ?= $(shell nproc)
WERROR     ?= ON

.PHONY: all deps build build-asan demo test test-plain test-asan bench package install screenshots clean

all: build

deps:
	@sh scripts/install-deps.sh

$(BUILD)/Makefile: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRIX_WERROR=$(WERROR)

$(BUILD_ASAN)/Makefile: | deps
	cmake -S . -B $(BUILD_ASAN) -DCMAKE_BUILD_TYPE=Debug -DTAVRIX_WERROR=$(WERROR) -DTAVRIX_SANITIZE=ON

build: deps $(BUILD)/Makefile
	cmake --build $(BUILD) -j$(JOBS)

build-asan: deps $(BUILD_ASAN)/Makefile
	cmake --build $(BUILD_ASAN) -j$(JOBS)

demo: build
	$(BUILD)/tavrix-demo

test-plain: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2

test-asan: build-asan
	cd $(BUILD_ASAN) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2

test: test-plain test-asan

package: build
	cmake --build $(BUILD) --target package

install: build
	cmake --install $(BUILD)

screenshots: build
	sh scripts/screenshots.sh $(BUILD)

bench: build
	cmake --build $(BUILD) --target bench

clean:
	rm -rf $(BUILD) $(BUILD_ASAN)
