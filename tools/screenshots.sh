#!/usr/bin/env bash
# Pictures of the main window at each access level and of its windows (editors, coaster panel,
# reports with their print and export dialogs, update windows in each mode, port settings,
# login), in English and Spanish, under Xvfb. They land in build/screenshots.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/install-deps.sh" xvfb xauth
cmake --build "$root/build" --target tavolux-screenshots >/dev/null
out="$root/build/screenshots"
export XDG_CONFIG_HOME="$out/config" XDG_RUNTIME_DIR="$out/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
for lang in en_US.UTF-8 es_ES.UTF-8; do
    LANG=$lang LC_ALL= xvfb-run -a -s "-screen 0 820x640x24" "$root/build/tools/screenshots/tavolux-screenshots" "$out"
done
