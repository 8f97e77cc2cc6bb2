#!/usr/bin/env bash
# Builds both trees: the native one (portable core, its tests, the build-time
# tools) and the Windows one (plug-in, stand-ins, Wine tests). On a host that
# runs 64-bit code only, the Windows tree is built for x86-64 (see env.sh) and
# the shipped 32-bit plug-in and its package are built beside it in build/win32.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
JOBS="${KX_JOBS:-2}"

launcher=()
if command -v ccache >/dev/null; then
    # One cache for every checkout of the project on this machine.
    export CCACHE_BASEDIR="$KX_ROOT" CCACHE_NOHASHDIR=1
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# A tree configured for another toolchain is made anew: CMake cannot switch.
configure_windows() {
    local dir="$1" toolchain="$2"
    if [ -f "$dir/CMakeCache.txt" ] && ! grep -q "CMAKE_TOOLCHAIN_FILE:.*=$toolchain\$" "$dir/CMakeCache.txt"; then
        rm -rf "$dir"
    fi
    cmake -S "$KX_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DKX_ICONGEN="$KX_BUILD/native/tools/icongen/icongen" >/dev/null
}

cmake -S "$KX_ROOT" -B "$KX_BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build "$KX_BUILD/native" -j "$JOBS"

configure_windows "$KX_BUILD/win" "$KX_WIN_TOOLCHAIN"
cmake --build "$KX_BUILD/win" -j "$JOBS"

if [ "$KX_WINE_ARCH" = win64 ]; then
    configure_windows "$KX_BUILD/win32" "$KX_ROOT/cmake/mingw-i686.cmake"
    cmake --build "$KX_BUILD/win32" -j "$JOBS" --target KXPlayerPlugin KXPlayerPlugin_msi
fi

# Register the plug-in and the stand-in dispatcher in the project's prefix, as
# an installation would (both also register themselves when first used).
bin="$KX_BUILD/win/bin"
wine regsvr32 /s "$bin/KXPlayerPlugin.dll" >/dev/null 2>&1 </dev/null || echo "build: registering the plug-in failed"
if [ -f "$bin/KXDispatcher.exe" ]; then
    wine "$bin/KXDispatcher.exe" /RegServer >/dev/null 2>&1 </dev/null || echo "build: registering the dispatcher failed"
fi
