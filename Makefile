# SPDX-License-Identifier: GPL-3.0-or-later
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
	cmake -S . -B $(BUILD_FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-19 \
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

# format-check, test-plain, test-asan and test-fuzz, with each build's
# suites running while the next build compiles.
test:
	@MAKE='$(MAKE)' sh scripts/test-all.sh $(BUILD) $(BUILD_ASAN) $(BUILD_FUZZ) $(FUZZ_SECONDS)

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
	@sh scripts/mechanic-campaign.sh $(BUILD) $(MECHANIC_STEPS) $(MECHANIC_SEED)

# clang-format 19 with .clang-format over the project's own C++ sources
# (the layers, sim trace tests fuzz bench tools): format applies it,
# format-check fails naming each file it would change.
format: deps
	@sh scripts/format-check.sh --apply

format-check: deps
	@sh scripts/format-check.sh

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_FUZZ)

# --- Windows (64-bit), cross-built here with MinGW-w64 and tested under Wine ---
# Third-party inputs are looked for in ../shared/third-party beside the
# checkout; TAVRIX_THIRD_PARTY=DIR, LIBFTDI_TARBALL=FILE, QT_WIN_CACHE=FILE or
# QT_CHARTS_WIN_CACHE=FILE name others (each is checked against its sha256).
# Without the Qt cache, Qt is built from Debian's source once and kept in
# $(BUILD_WIN)/deps; without the Qt Charts cache, so is Qt Charts.
BUILD_WIN ?= build-windows
TAVRIX_THIRD_PARTY ?= $(CURDIR)/../shared/third-party
LIBFTDI_TARBALL ?= $(TAVRIX_THIRD_PARTY)/libftdi1-1.5.tar.bz2
QT_WIN_CACHE ?= $(TAVRIX_THIRD_PARTY)/qt5-win-5.15.8-mingw64-gcc12.tar.xz
QT_CHARTS_WIN_CACHE ?= $(TAVRIX_THIRD_PARTY)/qt5charts-win-5.15.8-mingw64-gcc12.tar.xz
WIN_DEPS := $(abspath $(BUILD_WIN))/deps
WINE_TEST_PACKAGES = wine64 xvfb xauth

.PHONY: windows-deps windows test-windows windows-sign-check windows-installer test-windows-installer windows-screenshot clean-windows

windows-deps:
	@sh scripts/windows/deps.sh '$(WIN_DEPS)' '$(LIBFTDI_TARBALL)' '$(QT_WIN_CACHE)' '$(QT_CHARTS_WIN_CACHE)'

$(BUILD_WIN)/Makefile: | windows-deps
	cmake -S . -B $(BUILD_WIN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	      -DTAVRIX_WIN_PREFIXES='$(WIN_DEPS)/qt;$(WIN_DEPS)/usb' -DCMAKE_PREFIX_PATH='$(WIN_DEPS)/qt;$(WIN_DEPS)/usb' \
	      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRIX_WERROR=$(WERROR)

windows: windows-deps $(BUILD_WIN)/Makefile
	cmake --build $(BUILD_WIN) -j$(JOBS)

# Signed when given a key (scripts/windows/sign.sh), on a token through PKCS#11:
#   SIGN_PKCS11_MODULE=/usr/lib/.../token-pkcs11.so SIGN_PKCS11_KEY='pkcs11:token=...;object=...'
#   SIGN_CERT=chain.pem SIGN_PIN_FILE=FILE [SIGN_PKCS11_ENGINE=.../pkcs11.so]
# or in a PKCS#12 file: SIGN_PKCS12=FILE.p12 SIGN_PASSWORD_FILE=FILE;
# with SIGN_TIMESTAMP_URL=URL, which a release needs (SIGN_TEST=1 signs a
# test build without one).
SIGN_PKCS11_MODULE ?=
SIGN_PKCS11_KEY ?=
SIGN_PKCS11_ENGINE ?=
SIGN_CERT ?=
SIGN_PIN_FILE ?=
SIGN_PKCS12 ?=
SIGN_PASSWORD_FILE ?=
SIGN_TIMESTAMP_URL ?=
SIGN_TEST ?=
SIGN_ENV = TAVRIX_SIGN_PKCS11_MODULE='$(SIGN_PKCS11_MODULE)' TAVRIX_SIGN_PKCS11_KEY='$(SIGN_PKCS11_KEY)' \
	TAVRIX_SIGN_PKCS11_ENGINE='$(SIGN_PKCS11_ENGINE)' TAVRIX_SIGN_CERT='$(SIGN_CERT)' \
	TAVRIX_SIGN_PIN_FILE='$(SIGN_PIN_FILE)' TAVRIX_SIGN_PKCS12='$(SIGN_PKCS12)' \
	TAVRIX_SIGN_PASSWORD_FILE='$(SIGN_PASSWORD_FILE)' TAVRIX_SIGN_TIMESTAMP_URL='$(SIGN_TIMESTAMP_URL)' \
	TAVRIX_SIGN_TEST='$(SIGN_TEST)'
# A key given wrongly, or a release without a timestamp, stops before the build.
windows-sign-check:
	@sh scripts/windows/packages.sh nsis markdown osslsigncode
	@$(SIGN_ENV) sh scripts/windows/sign.sh --check

windows-installer: windows-sign-check windows
	$(SIGN_ENV) cmake --build $(BUILD_WIN) --target windows-installer

# The suites on the simulated cable under Wine, in a fresh Wine prefix of the
# build tree, then the installer test.
test-windows: windows
	@sh scripts/windows/packages.sh $(WINE_TEST_PACKAGES)
	WINEPREFIX=$(abspath $(BUILD_WIN))/wineprefix /usr/lib/wine/wineserver -k 2>/dev/null || true
	rm -rf $(BUILD_WIN)/wineprefix
	cd $(BUILD_WIN) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
	$(MAKE) test-windows-installer

# The installer under Wine, then signing with throwaway keys: on a software
# token (SoftHSM) through PKCS#11, and in a PKCS#12 file.
test-windows-installer: windows-installer
	@sh scripts/windows/packages.sh $(WINE_TEST_PACKAGES) openssl softhsm2 libengine-pkcs11-openssl opensc
	sh scripts/windows/test-installer.sh $(BUILD_WIN)
	sh scripts/windows/test-signing.sh $(BUILD_WIN)

# The README's pictures of the Windows build (under Wine): on the demo bike,
# and the window at 150 %.
windows-screenshot: windows
	@sh scripts/windows/packages.sh $(WINE_TEST_PACKAGES) fonts-wine imagemagick
	sh scripts/windows/screenshot.sh $(BUILD_WIN) docs

clean-windows:
	rm -rf $(BUILD_WIN)
