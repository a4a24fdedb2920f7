# Korvex: the two commands a newcomer needs are `make run` and `make test`.
# Both install what is missing (as root; otherwise they print the apt-get line),
# configure with CMake + Ninja, and build. `make install` (PREFIX, DESTDIR) and
# `make package` (a .deb) work from the same release build as `make run`.

RUNTIME_PACKAGES := build-essential g++ cmake ninja-build pkg-config \
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev \
  libavcodec-dev libavformat-dev libavutil-dev libswresample-dev \
  libtag1-dev libvorbis-dev libogg-dev libsdl2-dev \
  fonts-dejavu-core fonts-dejavu-extra fonts-liberation2 xvfb xauth
PACKAGE_PACKAGES := $(RUNTIME_PACKAGES) dpkg-dev file
TEST_PACKAGES := $(PACKAGE_PACKAGES) libgtest-dev libgmock-dev ffmpeg \
  libimage-exiftool-perl python3-mutagen time ccache \
  sox vorbis-tools flac espeak-ng fusefat dosfstools fuse \
  desktop-file-utils appstream man-db shared-mime-info dbus-daemon \
  dbus-bin at-spi2-core python3-pyatspi pulseaudio pulseaudio-utils lintian
FUZZ_PACKAGES := $(TEST_PACKAGES) clang libclang-rt-14-dev
TSAN_PACKAGES := $(TEST_PACKAGES) libtsan2
# the peer splitter the copy bench measures against; never a product dependency
BENCH_PACKAGES := $(TEST_PACKAGES) mp3splt
PACKAGE_CHECK_PACKAGES := $(PACKAGE_PACKAGES) debootstrap ffmpeg

empty :=
space := $(empty) $(empty)

RELEASE_DIR := build/release
TEST_DIR := build/test
FUZZ_DIR := build/fuzz
TSAN_DIR := build/tsan
JOBS ?= $(shell nproc)
# Rebuilds after a change, or in a second clone, compile only what changed
# when ccache is there.
CCACHE := $(shell command -v ccache 2>/dev/null)
LAUNCHER := $(if $(CCACHE),-DCMAKE_C_COMPILER_LAUNCHER=$(CCACHE) -DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE))
PREFIX ?= /usr/local

.PHONY: run test configure-test tsan build install package package-check bench fuzz deps-run deps-test deps-package \
  deps-package-check deps-fuzz deps-tsan deps-bench clean

define install_missing
	@missing=$$(for p in $(1); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; \
	  done | sort -u | tr '\n' ' '); \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" -eq 0 ]; then \
	    echo "Installing: $$missing"; \
	    DEBIAN_FRONTEND=noninteractive apt-get update && \
	    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	  else \
	    echo "Korvex needs these Debian packages. Run:"; \
	    echo "  sudo apt-get update && sudo apt-get install -y $$missing"; \
	    exit 1; \
	  fi; \
	fi
endef

deps-run:
	$(call install_missing,$(RUNTIME_PACKAGES))

deps-test:
	$(call install_missing,$(TEST_PACKAGES))

deps-package:
	$(call install_missing,$(PACKAGE_PACKAGES))

deps-package-check:
	$(call install_missing,$(PACKAGE_CHECK_PACKAGES))

deps-fuzz:
	$(call install_missing,$(FUZZ_PACKAGES))

deps-tsan:
	$(call install_missing,$(TSAN_PACKAGES))

deps-bench:
	$(call install_missing,$(BENCH_PACKAGES))

$(RELEASE_DIR)/build.ninja:
	cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEX_TESTS=OFF $(LAUNCHER)

build: deps-run $(RELEASE_DIR)/build.ninja
	cmake --build $(RELEASE_DIR) -j $(JOBS)

# DESTDIR, when set, is put in front of PREFIX (for staging an install).
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(RELEASE_DIR) --prefix "$(PREFIX)"

# A Debian package of the release build, installed under /usr:
#   sudo apt-get install ./build/release/korvex_*.deb
package: deps-package build
	cd $(RELEASE_DIR) && cpack -G DEB
	@ls -1 $(RELEASE_DIR)/korvex_*.deb

# The package installed into a clean minimal Debian 12 (debootstrap, as
# root, with the network to the Debian mirror), used there and removed
# again: see tests/package-check. Not part of `make test`: it takes minutes.
package-check: deps-package-check package
	tests/package-check "$$(ls -1t $(RELEASE_DIR)/korvex_*.deb | head -n 1)" build/package-check

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "No display found: starting Korvex under xvfb-run."; \
	  xvfb-run -a $(RELEASE_DIR)/korvex; \
	else \
	  $(RELEASE_DIR)/korvex; \
	fi

# The test build runs with AddressSanitizer and UndefinedBehaviorSanitizer.
# It is configured at every `make test`, an existing folder included, so
# test folders and sources added since the last run are always built and run.
configure-test:
	cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug $(LAUNCHER) \
	  -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DCMAKE_C_FLAGS_DEBUG="-g -O1" \
	  -DKORVEX_SANITIZE=ON -DKORVEX_BENCH=OFF

test: deps-test configure-test
	cmake --build $(TEST_DIR) -j $(JOBS)
	cd $(TEST_DIR) && ctest --output-on-failure -j $(JOBS)

# ThreadSanitizer over the suites of threaded code (TSAN_SUITES: components,
# player, engine, app). The configure runs every time, so a test folder added
# since is picked up.
TSAN_SUITES ?= components player engine app
tsan: deps-tsan
	cmake -S . -B $(TSAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug $(LAUNCHER) \
	  -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DCMAKE_C_FLAGS_DEBUG="-g -O1" \
	  -DKORVEX_TSAN=ON -DKORVEX_BENCH=OFF -DKORVEX_TSAN_TEST_DIRS="$(subst $(space),;,$(strip $(TSAN_SUITES)))"
	cmake --build $(TSAN_DIR) --target korvex_tests -j $(JOBS)
	cd $(TSAN_DIR) && ctest --output-on-failure -j $(JOBS)

bench: deps-bench build
	cmake -S . -B $(RELEASE_DIR) -DKORVEX_BENCH=ON
	cmake --build $(RELEASE_DIR) -j $(JOBS)
	@if [ -x bench/run ]; then bench/run $(RELEASE_DIR); else echo "No benchmarks yet."; fi

fuzz: deps-fuzz
	@if [ -x fuzz/run ]; then fuzz/run $(FUZZ_DIR); else echo "No fuzz targets yet."; fi

clean:
	rm -rf build
