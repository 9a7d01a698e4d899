# SPDX-License-Identifier: Apache-2.0
# Two commands do everything on a fresh Debian 12 machine (as root, or with sudo):
#   make run   - install what is missing, build, and run the default case into result.txt
#   make test  - install what is missing, build, and run every test
.PHONY: run test test-sanitize bench gui deps clean

PACKAGES := cmake make g++ libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev \
            qt6-base-dev qt6-svg-dev qt6-charts-dev qt6-pdf-dev libgl-dev \
            clang libclang-rt-14-dev xvfb xdotool xauth help2man appstream man-db \
            gnuplot-nox jq ghostscript
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
BUILD := build/release

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

$(BUILD)/CMakeCache.txt: | deps
	cmake --preset release

run: deps $(BUILD)/CMakeCache.txt
	cmake --build --preset release --target kelvado-cli
	$(BUILD)/cli/kelvado-cli --output result.txt

test: deps $(BUILD)/CMakeCache.txt
	cmake --build --preset release
	ctest --preset release

test-sanitize: deps
	cmake --preset sanitize
	cmake --build --preset sanitize
	ctest --preset sanitize

# What engineers wait for: the default run in both models, a three-zone screw, its operating
# point, a characteristic of 31 outputs, a flood-fed operating point and a sweep of 1000 cases.
# `make bench BEFORE=<revision>` times an earlier tree beside this one in the same run.
BENCH_FILTER := ^BM_(DefaultRun|DefaultRunConsistent|ScrewOfZones|OperatingPointOfZones|Characteristic31|FloodFedOperatingPoint|Sweep1000)(/|$$)
bench: deps $(BUILD)/CMakeCache.txt
ifdef BEFORE
	bench/compare_speed.sh $(BEFORE)
else
	cmake --build --preset release --target kelvado-bench
	$(BUILD)/bench/kelvado-bench --benchmark_filter='$(BENCH_FILTER)'
endif

gui: deps $(BUILD)/CMakeCache.txt
	cmake --build --preset release --target kelvado
	$(BUILD)/app/kelvado

clean:
	rm -rf build
