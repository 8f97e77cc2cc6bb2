# Shared environment of the project's scripts: where things live.
# Sourced, not run.
KX_ROOT="${KX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
export KX_ROOT
export KX_DEPS="$KX_ROOT/.deps"
export KX_BUILD="$KX_ROOT/build"
export WINEPREFIX="${KX_WINEPREFIX:-$KX_ROOT/.wine}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
