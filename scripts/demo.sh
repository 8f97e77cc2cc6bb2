#!/usr/bin/env bash
# The main job: sets up, builds, and shows the plug-in at work in the
# stand-in shell. For now the shell's console probe loads the plug-in exactly
# as the shell does and prints what the shell learns from it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

"$KX_ROOT/scripts/setup.sh"
"$KX_ROOT/scripts/build.sh"

bin="$KX_BUILD/win/bin"
out="$(mktemp)"
status=0
wine "$bin/kxprobe.exe" "$bin/KXPlayerPlugin.dll" >"$out" 2>&1 </dev/null || status=$?
tr -d '\r' <"$out"
rm -f "$out"
echo
echo "Plug-in: $bin/KXPlayerPlugin.dll"
exit $status
