# Shared environment of the project's scripts: where things live.
# Sourced, not run.
KX_ROOT="${KX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
export KX_ROOT
export KX_DEPS="$KX_ROOT/.deps"
export KX_BUILD="$KX_ROOT/build"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# The plug-in is a 32-bit DLL, and its tests and stand-ins run under 32-bit Wine
# wherever the kernel runs 32-bit programs. Some virtual machines run 64-bit user
# code only (execve of an i386 program fails with ENOEXEC); there the same sources
# are built for x86-64 as well and tested under 64-bit Wine, in prefixes of their
# own, while the 32-bit DLL is still built for installation.
kx_host_runs_i386() {
    # A 12-byte i386 ELF program that exits with status 0; ENOEXEC says no.
    local probe="$KX_DEPS/i386-probe"
    if [ ! -x "$probe" ]; then
        mkdir -p "$KX_DEPS"
        printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000\061\300\100\061\333\315\200\000' >"$probe"
        chmod +x "$probe"
    fi
    "$probe" 2>/dev/null
}

if [ -z "${KX_WINE_ARCH:-}" ]; then
    if kx_host_runs_i386; then KX_WINE_ARCH=win32; else KX_WINE_ARCH=win64; fi
fi
export KX_WINE_ARCH
export WINEARCH="$KX_WINE_ARCH"
if [ "$KX_WINE_ARCH" = win64 ]; then
    # Debian's `wine` starts the 32-bit loader whenever it is installed; a shim
    # first on the path starts the 64-bit one instead.
    export KX_WIN_TOOLCHAIN="$KX_ROOT/cmake/mingw-x86_64.cmake"
    export WINEPREFIX="${KX_WINEPREFIX:-$KX_ROOT/.wine64}"
    export KX_DEMO_PREFIX="$KX_DEPS/wine-demo64"
    export WINELOADER=/usr/lib/wine/wine64
    case ":$PATH:" in *":$KX_ROOT/scripts/wine64:"*) ;; *) export PATH="$KX_ROOT/scripts/wine64:$PATH" ;; esac
else
    export KX_WIN_TOOLCHAIN="$KX_ROOT/cmake/mingw-i686.cmake"
    export WINEPREFIX="${KX_WINEPREFIX:-$KX_ROOT/.wine}"
    export KX_DEMO_PREFIX="$KX_DEPS/wine-demo"
fi
