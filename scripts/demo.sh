#!/usr/bin/env bash
# The main job: sets up, builds, and shows the plug-in at work. Starts the
# stand-in dispatcher with its default fleet and the stand-in map shell with
# the plug-in, drives a typical use through the panel's own controls (the
# scenario standins/shell/app/scenarios/demo.txt), and writes screenshots of
# the whole window into a folder named at the end; a last start draws the
# pictures of the dispatcher's guide into docs/guide/.
#
#   scripts/demo.sh                  under Xvfb, screenshots only
#   scripts/demo.sh --show           on the present display; the window stays
#   scripts/demo.sh --scenario FILE  another scenario (see the demo's for the commands)
#   scripts/demo.sh --dpi N          the display at N pixels per inch (96 when not given)
#   scripts/demo.sh --visual-styles  the shell as a host with the common controls 6 manifest
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

show=0
scenario=""
inside=0
shots=""
dpi=96
styles=()
while [ $# -gt 0 ]; do
    case "$1" in
        --show) show=1 ;;
        --scenario) scenario="$(realpath "$2")"; shift ;;
        --dpi) dpi="$2"; shift ;;
        --visual-styles) styles=(--visual-styles) ;;
        --inside) inside=1; shots="$2"; shift ;;   # internal: already on a display
        *) echo "usage: scripts/demo.sh [--show] [--scenario FILE] [--dpi N] [--visual-styles]" >&2; exit 2 ;;
    esac
    shift
done

bin="$KX_BUILD/win/bin"
export WINEPREFIX="$KX_DEMO_PREFIX"
# Russian dates and numbers in the panel, as on the dispatcher's desk.
export LOCPATH="$KX_DEPS/locale"
export LANG=ru_RU.UTF-8
case "$dpi" in
    ''|*[!0-9]*) echo "demo: --dpi takes a number of pixels per inch" >&2; exit 2 ;;
esac
# The display scale is the prefix's, read when a program starts. The screen
# is the same screen at that density: 1280 x 800 at 96, more pixels above.
screen_w=$((1280 * dpi / 96)) screen_h=$((800 * dpi / 96))
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
wineserver -w

# One run of the shell with a scenario: the dispatcher, the shell, the wait.
# Further arguments go to the dispatcher; its standard error (what it says
# of the GPX files it imports) lands in dispatcher<suffix>-stderr.txt.
run_shell() {
    local shots="$1" scenario_file="$2" report="$3" last_shot="$4"
    shift 4
    local suffix="$(basename "$report" .txt)"
    suffix="${suffix#report}"
    wine "$bin/KXDispatcher.exe" /RegServer >/dev/null 2>&1
    wine "$bin/KXDispatcher.exe" /hidden /online:0 /idle-exit:120 /log:"Z:$shots/dispatcher$suffix.log" "$@" \
        >/dev/null 2>"$shots/dispatcher$suffix-stderr.txt" &
    local dispatcher=$!
    local stay=() size=(--size "${screen_w}x$((screen_h - 30 * dpi / 96))")
    [ "$show" = 1 ] && stay=(--stay)
    # A virtual desktop: Wine then draws the window frames itself, with no
    # window manager on the display.
    local status=0
    wine explorer /desktop="KXShell,${screen_w}x${screen_h}" "$bin/KXShell.exe" --scenario "Z:$scenario_file" \
        --shots "Z:$shots" --report "Z:$report" "${size[@]}" "${stay[@]}" ${styles[@]+"${styles[@]}"} >/dev/null 2>&1 &
    local shell=$!
    # The whole screen once, the way an outside tool sees it.
    for _ in $(seq 1 600); do
        if grep -qE "^(shot|part): $last_shot " "$report" 2>/dev/null || ! kill -0 "$shell" 2>/dev/null; then break; fi
        sleep 0.5
    done
    if kill -0 "$shell" 2>/dev/null && command -v import >/dev/null; then
        import -window root "$shots/screen$suffix.png" 2>/dev/null || true
    fi
    wait "$shell" || status=$?
    # The dispatcher leaves when its last client has gone; if it does not, it
    # is ended by the id it was started with.
    for _ in $(seq 1 20); do kill -0 "$dispatcher" 2>/dev/null || break; sleep 0.5; done
    kill "$dispatcher" 2>/dev/null || true
    wait "$dispatcher" 2>/dev/null || true
    return $status
}

run_on_display() {
    local shots="$1"
    mkdir -p "$shots"
    if [ -n "$scenario" ]; then
        run_shell "$shots" "$scenario" "$shots/report.txt" track-hover
        return $?
    fi
    # The demo starts as a fresh installation does: the panel writes the
    # default settings file. Closing the shell saves the choices made; the
    # second start shows them restored from the file.
    rm -f "$bin/Plugins/KXSettings.xml" "$bin/Plugins/KXSettings.xml.bak"
    local status=0
    run_shell "$shots" "$bin/scenarios/demo.txt" "$shots/report.txt" track-hover || status=$?
    cp "$bin/Plugins/KXSettings.xml" "$shots/KXSettings.xml" 2>/dev/null || true
    [ "$show" = 1 ] && return $status
    run_shell "$shots" "$bin/scenarios/demo-restart.txt" "$shots/report-restart.txt" restored || status=$?
    # A third start, with a GPX recording of one's own beside the fleet.
    run_shell "$shots" "$bin/scenarios/demo-gpx.txt" "$shots/report-gpx.txt" gpx-stops \
        /gpx:"Z:$KX_ROOT/standins/dispatcher/samples/morning-round.gpx" || status=$?
    grep -a "morning-round" "$shots/dispatcher-gpx-stderr.txt" | tr -d '\r' >"$shots/gpx-import.txt" || true
    # A fourth start, from a fresh installation's settings, draws the
    # pictures of the dispatcher's guide anew (docs/guide/).
    rm -f "$bin/Plugins/KXSettings.xml" "$bin/Plugins/KXSettings.xml.bak"
    mkdir -p "$shots/guide"
    run_shell "$shots/guide" "$bin/scenarios/guide.txt" "$shots/report-guide.txt" settings-dialog || status=$?
    # The pictures the scenario named (not its numbered whole-window shots),
    # into the guide only at its own look: 96 DPI, no visual styles.
    [ "$dpi" = 96 ] && [ ${#styles[@]} = 0 ] || return $status
    sed -n 's/^part: \([^ ]*\) .*/\1/p' "$shots/report-guide.txt" | while read -r name; do
        cp "$shots/guide/$name.png" "$KX_ROOT/docs/guide/"
    done
    return $status
}

if [ "$inside" = 1 ]; then
    run_on_display "$shots"
    exit $?
fi

"$KX_ROOT/scripts/setup.sh"
"$KX_ROOT/scripts/build.sh"

shots="$KX_BUILD/demo-shots/$(date +%Y%m%d-%H%M%S)"
mkdir -p "$shots"
status=0
if [ "$show" = 1 ] && [ -n "${DISPLAY:-}" ]; then
    run_on_display "$shots" || status=$?
else
    xvfb-run -a -s "-screen 0 ${screen_w}x${screen_h}x24" "$0" --inside "$shots" --dpi "$dpi" \
        ${styles[@]+"${styles[@]}"} ${scenario:+--scenario "$scenario"} || status=$?
fi

report="$shots/report.txt"
echo
code=""
for r in "$report" "$shots/report-restart.txt" "$shots/report-gpx.txt" "$shots/report-guide.txt"; do
    [ -f "$r" ] || continue
    echo "$(basename "$r"):"
    grep -E '^(plugin|page|step|panel|settings|categories|message-box|leaks|exit):' "$r" | sed 's/^/  /'
    c="$(sed -n 's/^exit: //p' "$r" | tail -1)"
    [ "${code:-0}" = 0 ] && code="$c"
done
if [ -f "$shots/KXSettings.xml" ]; then
    echo
    echo "Settings file: $bin/Plugins/KXSettings.xml (as the first run left it: $shots/KXSettings.xml)"
fi
if [ -s "$shots/gpx-import.txt" ]; then
    echo
    echo "GPX import (the dispatcher's standard error):"
    sed 's/^/  /' "$shots/gpx-import.txt"
fi
echo
echo "Screenshots: $shots"
ls "$shots"/*.png 2>/dev/null | sed 's/^/  /'
[ -f "$shots/report-guide.txt" ] && echo "The guide's pictures: $KX_ROOT/docs/guide/"
[ "${code:-1}" = 0 ]
