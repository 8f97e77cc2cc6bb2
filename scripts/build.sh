#!/usr/bin/env bash
# Builds both trees: the native one (portable core, its tests, the build-time
# tools) and the Windows one (plug-in, stand-ins, Wine tests).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
JOBS="${KX_JOBS:-2}"

cmake -S "$KX_ROOT" -B "$KX_BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$KX_BUILD/native" -j "$JOBS"

cmake -S "$KX_ROOT" -B "$KX_BUILD/win" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$KX_ROOT/cmake/mingw-i686.cmake" \
    -DKX_ICONGEN="$KX_BUILD/native/tools/icongen/icongen" >/dev/null
cmake --build "$KX_BUILD/win" -j "$JOBS"

# Register the plug-in and the stand-in dispatcher in the project's prefix, as
# an installation would (both also register themselves when first used).
bin="$KX_BUILD/win/bin"
wine regsvr32 /s "$bin/KXPlayerPlugin.dll" >/dev/null 2>&1 </dev/null || echo "build: registering the plug-in failed"
if [ -f "$bin/KXDispatcher.exe" ]; then
    wine "$bin/KXDispatcher.exe" /RegServer >/dev/null 2>&1 </dev/null || echo "build: registering the dispatcher failed"
fi
