# The Hoistwise kit's front door. Every target installs what a new Debian 12 machine lacks
# (only what is missing), configures and builds before it runs anything.
.PHONY: all setup build test demo bench package fuzz asan clean

PACKAGES := cmake ninja-build g++ pkg-config qt6-base-dev qt6-serialport-dev qt6-svg-dev util-linux libgtest-dev \
            libgmock-dev libbenchmark-dev ccache fonts-liberation fonts-dejavu-core xvfb xauth \
            x11-utils xdotool imagemagick netcat-openbsd procps \
            dpkg-dev file help2man librsvg2-bin lintian desktop-file-utils appstream \
            dbus dbus-x11 at-spi2-core python3-pyatspi python3-gi gir1.2-atspi-2.0 \
            libgensio-dev libwrap0-dev libssl-dev ser2net openssl \
            libmosquitto-dev mosquitto mosquitto-clients

# Fuzzing and the sanitizer build need clang and its runtimes only when asked for.
FUZZ_PACKAGES := clang libclang-rt-14-dev
FUZZ_SECONDS ?= 300

all: build

setup:
	@scripts/install-packages.sh $(PACKAGES)

build: setup
	@cmake --preset default >/dev/null
	@cmake --build --preset default

test: build
	@ctest --preset default

demo: build
	@scripts/demo.sh

bench: build
	@scripts/run-benchmarks.sh

# hoistwise-kit_<version>_<arch>.deb in this folder, built in a tree of its own (build/package).
package: setup
	@scripts/build-package.sh

# Every fuzz target in turn, FUZZ_SECONDS each (default 300), in build-fuzz.
fuzz: setup
	@scripts/install-packages.sh $(FUZZ_PACKAGES)
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz
	@scripts/run-fuzz.sh $(FUZZ_SECONDS)

# The whole test suite built with the address and undefined-behaviour sanitizers, in build-asan.
asan: setup
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan
	@ctest --preset asan

clean:
	rm -rf build build-asan build-fuzz hoistwise-kit_*.deb
