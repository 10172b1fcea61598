# Shared by run.sh and test.sh: installs the Debian packages that are missing
# and builds the project into build/.  Sourced, not run.

# What building and running the program needs (./run.sh).
ZM_BUILD_PACKAGES=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-qpa-plugins libsqlite3-dev libpq-dev libsdl2-dev libpipewire-0.3-dev libxcb1-dev
    qt6-translations-l10n
    espeak-ng sox
    fonts-wine fonts-dejavu-core
)
# What the tests and benchmarks add (./test.sh).
ZM_TEST_PACKAGES=(
    libgtest-dev libgmock-dev libbenchmark-dev libqt6sql6-sqlite
    xvfb xauth openbox xdotool
    appstream desktop-file-utils dpkg-dev file
    pulseaudio pulseaudio-utils lintian
    pipewire pipewire-pulse wireplumber
    dbus-daemon at-spi2-core python3-pyatspi orca
    weston qt6-wayland
    sway swaybg grim xwayland
    mutter pipewire wireplumber gstreamer1.0-pipewire gstreamer1.0-tools gstreamer1.0-plugins-good
    libglib2.0-bin python3-gi
    postgresql
    valgrind
)

zm_ensure_packages() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    ((${#missing[@]} == 0)) && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "Please install as root: ${missing[*]}" >&2; return 1; }
        sudo=(sudo)
    fi
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
}

# zm_build [program]: builds everything (the tests and benchmarks too), or,
# with "program", the program with its pictures and recordings and what its
# installation needs (the manual page and changelog), so that
# `cmake --install build` works after ./run.sh.
zm_build() {
    local jobs tests=ON cel=()
    jobs=$(nproc 2>/dev/null || echo 2)
    if [ "${1:-}" = program ]; then
        tests=OFF
        cel=(--target zoltava-mnozenia zm_docs)
    fi
    if [ ! -f build/CMakeCache.txt ]; then
        echo "Configuring the build in build/..."
        mkdir -p build
        cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZM_BUILD_TESTS=$tests >build/configure.log 2>&1 ||
            { cat build/configure.log >&2; return 1; }
    elif [ "$tests" = ON ] && grep -q '^ZM_BUILD_TESTS:BOOL=OFF' build/CMakeCache.txt; then
        cmake -S . -B build -DZM_BUILD_TESTS=ON >build/configure.log 2>&1 || { cat build/configure.log >&2; return 1; }
    fi
    # Progress as the build goes ("[ 42%] Building ..."); the full log stays
    # in build/build.log, and warnings and errors are shown.
    echo "Building ($jobs jobs; the first build takes a few minutes)..."
    if ! (set -o pipefail
          cmake --build build -j "$jobs" "${cel[@]}" 2>&1 | tee build/build.log |
              awk '/^\[ *[0-9]+%\]/ { print; fflush() }'); then
        cat build/build.log >&2
        echo "Build failed." >&2
        return 1
    fi
    grep -E 'warning:' build/build.log >&2 || true
}
