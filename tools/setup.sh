#!/usr/bin/env bash
# Shared set-up for run.sh, test.sh, bench.sh and package.sh: makes sure the Debian
# packages the build needs are there, installing the missing ones when it can.

VELMORA_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev libpng-dev zlib1g-dev
                  libgtest-dev libbenchmark-dev libeigen3-dev
                  # every YAML file is read with yaml-cpp (map descriptions, frame files)
                  libyaml-cpp-dev
                  # the Python module velmora (NumPy is needed to import it)
                  pybind11-dev python3-dev python3-numpy
                  # the Debian package: CPack reads the programs' libraries
                  # with dpkg-shlibdeps and finds them with file
                  dpkg-dev file)
# Only package.sh needs these.
VELMORA_PACKAGING_PACKAGES=(lintian)
# Only the tests use these: the simulators' own checkers read the Gazebo world
# (ign sdf -k needs libsdformat's command files, assimp the COLLADA mesh),
# NumPy itself loads the DeepRacer .npy files and the race line, shapely
# judges the DeepRacer borders as the DeepRacer notebooks do, pandas reads
# the race line as the racetracks' converter does, man renders the manual
# page, and localedef builds a comma-decimal locale from the locales
# package's sources.
VELMORA_TEST_PACKAGES=(ignition-tools libsdformat-dev assimp-utils python3-numpy python3-shapely python3-pandas
                       man-db locales)
# Only the benchmarks use these: libdeflate is the yardstick for the PNG encoder.
VELMORA_BENCH_PACKAGES=(libdeflate-dev)

velmora_missing_packages() {
    local missing=()
    for p in "${VELMORA_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    echo "${missing[@]:-}"
}

velmora_ensure_packages() {
    local missing
    missing=$(velmora_missing_packages "$@")
    [ -z "$missing" ] && return 0
    echo "Installing missing packages: $missing"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1; then sudo="sudo"; else
            echo "Missing packages ($missing) and no root rights to install them." >&2
            echo "Install them with: apt-get install $missing" >&2
            return 1
        fi
    fi
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing ||
        { $sudo apt-get update && $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing; }
}

# Configures a build folder once; later calls only rebuild what changed.
velmora_configure() {
    local dir=$1; shift
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S . -B "$dir" -G Ninja "$@"
    fi
}
