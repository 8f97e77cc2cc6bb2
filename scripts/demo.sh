#!/usr/bin/env bash
# The main job: sets up, builds, and shows the plug-in at work. Starts the
# stand-in dispatcher with its default fleet and the stand-in map shell with
# the plug-in, drives a typical use through the panel's own controls (the
# scenario standins/shell/app/scenarios/demo.txt), and writes screenshots of
# the whole window into a folder named at the end.
#
#   scripts/demo.sh                  under Xvfb, screenshots only
#   scripts/demo.sh --show           on the present display; the window stays
#   scripts/demo.sh --scenario FILE  another scenario (see the demo's for the commands)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

show=0
scenario=""
inside=0
shots=""
while [ $# -gt 0 ]; do
    case "$1" in
        --show) show=1 ;;
        --scenario) scenario="$(realpath "$2")"; shift ;;
        --inside) inside=1; shots="$2"; shift ;;   # internal: already on a display
        *) echo "usage: scripts/demo.sh [--show] [--scenario FILE]" >&2; exit 2 ;;
    esac
    shift
done

bin="$KX_BUILD/win/bin"
export WINEPREFIX="$KX_DEPS/wine-demo"
# Russian dates and numbers in the panel, as on the dispatcher's desk.
export LOCPATH="$KX_DEPS/locale"
export LANG=ru_RU.UTF-8

run_on_display() {
    local shots="$1" report="$1/report.txt"
    local scenario_file="${scenario:-$bin/scenarios/demo.txt}"
    mkdir -p "$shots"
    # The demo starts from the default settings and shows that the ones it
    # chooses survive a restart of the shell.
    if [ -z "$scenario" ]; then rm -f "$bin/Plugins/KXSettings.xml"; fi
    wine "$bin/KXDispatcher.exe" /RegServer >/dev/null 2>&1
    wine "$bin/KXDispatcher.exe" /hidden /online:0 /idle-exit:120 /log:"Z:$shots/dispatcher.log" >/dev/null 2>&1 &
    local dispatcher=$!
    local stay=() size=(--size 1280x770)
    [ "$show" = 1 ] && stay=(--stay)
    # A virtual desktop: Wine then draws the window frames itself, with no
    # window manager on the display.
    local status=0
    wine explorer /desktop=KXShell,1280x800 "$bin/KXShell.exe" --scenario "Z:$scenario_file" \
        --shots "Z:$shots" --report "Z:$shots/report.txt" "${size[@]}" "${stay[@]}" >/dev/null 2>&1 &
    local shell=$!
    # The whole screen once, the way an outside tool sees it.
    for _ in $(seq 1 600); do
        if grep -q "^shot: track-hover" "$report" 2>/dev/null || ! kill -0 "$shell" 2>/dev/null; then break; fi
        sleep 0.5
    done
    if kill -0 "$shell" 2>/dev/null && command -v import >/dev/null; then
        import -window root "$shots/screen.png" 2>/dev/null || true
    fi
    wait "$shell" || status=$?
    if [ -z "$scenario" ] && [ "$status" = 0 ] && [ "$show" = 0 ]; then
        mkdir -p "$shots/restart"
        wine explorer /desktop=KXShell,1280x800 "$bin/KXShell.exe" --scenario "Z:$bin/scenarios/demo-restart.txt" \
            --shots "Z:$shots/restart" --report "Z:$shots/restart/report.txt" "${size[@]}" >/dev/null 2>&1 || status=$?
    fi
    # The dispatcher leaves when its last client has gone; if it does not, it
    # is ended by the id it was started with.
    for _ in $(seq 1 20); do kill -0 "$dispatcher" 2>/dev/null || break; sleep 0.5; done
    kill "$dispatcher" 2>/dev/null || true
    wait "$dispatcher" 2>/dev/null || true
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
    xvfb-run -a -s '-screen 0 1280x800x24' "$0" --inside "$shots" ${scenario:+--scenario "$scenario"} || status=$?
fi

codes=()
for report in "$shots/report.txt" "$shots/restart/report.txt"; do
    [ -f "$report" ] || continue
    echo
    [ "$report" = "$shots/report.txt" ] || echo "  after a restart of the shell:"
    grep -E '^(plugin|page|step|message-box|settings|categories|leaks|exit):' "$report" | sed 's/^/  /'
    codes+=("$(sed -n 's/^exit: //p' "$report" 2>/dev/null | tail -1)")
done
echo
echo "Screenshots: $shots"
ls "$shots"/*.png "$shots"/restart/*.png 2>/dev/null | sed 's/^/  /'
[ "${#codes[@]}" -gt 0 ] || exit 1
for code in "${codes[@]}"; do [ "${code:-1}" = 0 ] || exit 1; done
