#!/usr/bin/env bash
# Runs every test: set-up, both builds, the native tests (sanitized) and the
# Windows tests under Wine. Ends with one line "N passed, N failed" and a
# non-zero exit when anything failed.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

"$KX_ROOT/scripts/setup.sh" || { echo "set-up failed"; echo "0 passed, 1 failed"; exit 1; }
"$KX_ROOT/scripts/build.sh" || { echo "build failed"; echo "0 passed, 1 failed"; exit 1; }

status=0
for tree in native win; do
    rm -rf "$KX_BUILD/$tree/test-results"
    echo "== $tree tests"
    ctest --test-dir "$KX_BUILD/$tree" --output-on-failure --timeout 300 || status=1
done

# The closing count comes from the test programs' own XML reports, so that it
# counts test cases rather than test programs.
python3 - "$KX_BUILD" <<'PY'
import glob, sys, xml.etree.ElementTree as ET
passed = failed = skipped = 0
for path in glob.glob(sys.argv[1] + "/*/test-results/*.xml"):
    try:
        root = ET.parse(path).getroot()
    except ET.ParseError:
        failed += 1
        continue
    for case in root.iter("testcase"):
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
        elif case.get("result") == "skipped" or case.find("skipped") is not None:
            skipped += 1
        else:
            passed += 1
with open(sys.argv[1] + "/test-counts", "w") as f:
    f.write(f"{passed} {failed} {skipped}\n")
PY
read -r passed failed skipped < "$KX_BUILD/test-counts"
# A test program that crashed writes no report: ctest's own verdict counts too.
if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
echo "$passed passed, $failed failed, $skipped skipped"
[ "$status" -eq 0 ] && [ "$failed" -eq 0 ]
