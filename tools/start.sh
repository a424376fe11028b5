#!/usr/bin/env bash
# Builds the console and starts it with a simulated unit attached, so that it can connect and
# page at once. The demonstration keeps its settings and database under build/demo; the
# user's own settings are not touched.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
demo="$root/build/demo"
unit="$demo/unit"
mkdir -p "$demo/config/Brindleco Signals"

# One demonstration at a time. The lock stays held by the console and the simulated unit (they
# inherit it), so a second start neither rebuilds under them nor replaces their unit: it only
# starts the console, whose single-instance rule brings the running window to the front.
exec {lock}>"$demo/start.lock"
if ! flock --nonblock "$lock"; then
    echo "The demonstration is already running; bringing its window to the front."
    if [ ! -x "$root/build/src/tavolux" ]; then
        echo "It is still being built; its window opens when that is done."
        exit 0
    fi
    cd "$demo"
    XDG_CONFIG_HOME="$demo/config" exec "$root/build/src/tavolux"
fi

bash "$root/tools/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --target tavolux tavolux-unitsim

settings="$demo/config/Brindleco Signals/tavolux.conf"
# A small site to page: five pagers, two groups and some common messages.
if [ ! -f "$demo/tavoluxDB.dat" ]; then
    cp "$root/tools/demo/tavoluxDB.dat" "$root/tools/demo/tavoluxDB.dat.nam" "$demo/"
fi
if [ ! -f "$settings" ]; then
    cat > "$settings" <<CONF
[Settings]
ComPort=$unit
BaudRate=9600
DataBits=8
Parity=0
StopBits=0
SaveFile=$demo/tavoluxDB.dat
CONF
fi

"$root/build/tools/unitsim/tavolux-unitsim" --link "$unit" --wire-time --log "$demo/unit.log" &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -L "$unit" ] && break; sleep 0.1; done
echo "The simulated unit is on $unit; what it receives is logged in $demo/unit.log."

cd "$demo"
XDG_CONFIG_HOME="$demo/config" "$root/build/src/tavolux"
