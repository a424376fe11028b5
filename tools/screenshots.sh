#!/usr/bin/env bash
# Pictures of the main window at each access level and of its windows (editors, coaster panel,
# reports with their print and export dialogs, update windows in each mode, port settings,
# login, about, gateway settings), in English and Spanish, under Xvfb with a window manager
# (openbox), as on a desktop. They land in build/screenshots. The round fails when a text does
# not fit its widget or title bar, or when a window stands outside the screen or over one it was
# placed beside.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/install-deps.sh" xvfb xauth openbox x11-utils
cmake --build "$root/build" --target tavolux-screenshots >/dev/null
out="$root/build/screenshots"
export XDG_CONFIG_HOME="$out/config" XDG_RUNTIME_DIR="$out/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
# The window manager frames the windows, so that their captions and places are checked as a user
# sees them; it ends with the pictures.
session='openbox --sm-disable & wm=$!
for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.1
done
status=0
"$0" "$1" || status=$?
kill "$wm"
wait "$wm" 2>/dev/null || true
exit "$status"'
status=0
for lang in en_US.UTF-8 es_ES.UTF-8; do
    LANG=$lang LC_ALL= xvfb-run -a -s "-screen 0 1280x800x24" \
        bash -c "$session" "$root/build/tools/screenshots/tavolux-screenshots" "$out" || status=1
done
exit "$status"
