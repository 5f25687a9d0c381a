#!/usr/bin/env bash
# Hosts a match on the bundled default data: builds what is needed, starts
# the stand-in master service on 127.0.0.1 and the dedicated server in a game
# folder of its own, then hands the terminal to the server's console.
#   VORNHAL_BUILD     build tree (default: build/)
#   VORNHAL_HOST_DIR  game folder of the server (default: <build>/host)
#   VORNHAL_PORT      UDP port players connect to (default: 8887)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VORNHAL_BUILD:-$root/build}
run=${VORNHAL_HOST_DIR:-$build/host}
port=${VORNHAL_PORT:-8887}

bash "$root/.ci/install-deps.sh"
[ -f "$build/build.ninja" ] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target server masterserver GameData

# The folder the game expects: the package, the levels on disk (the server
# uploads them from there) and the settings, which the server writes back at
# exit and which are kept from one run to the next.
mkdir -p "$run/levels"
cp "$build/game.data" "$run/"
cp "$build"/levels/*.lvl "$run/levels/"
[ -f "$run/game.opt" ] || cp "$build/game.opt" "$run/game.opt"

"$build/outside/masterserver/masterserver" --state "$run/masterserver.state" >"$run/masterserver.out" 2>&1 &
master=$!
trap 'kill "$master" 2>/dev/null || true; wait "$master" 2>/dev/null || true' EXIT
masterport=
for _ in $(seq 100); do
  masterport=$(sed -n 's/^port //p' "$run/masterserver.out")
  [ -n "$masterport" ] && break
  kill -0 "$master" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$masterport" ]; then
  echo "host.sh: the stand-in master service did not start:" >&2
  cat "$run/masterserver.out" >&2
  exit 1
fi
sed -i -e "s|<masterserver>.*</masterserver>|<masterserver>127.0.0.1:$masterport</masterserver>|" \
       -e "s|<serverport>.*</serverport>|<serverport>$port</serverport>|" "$run/game.opt"

address=$(hostname -I 2>/dev/null | awk '{print $1}')
cat <<INFO
Vornhal server in $run
  players connect to ${address:-127.0.0.1} port $port (UDP), or 127.0.0.1 port $port on this machine
  master service: http://127.0.0.1:$masterport/servers.php
Type commands at the "> " prompt ("help" lists them); "quit" or Ctrl+C stops the server.
INFO
cd "$run"
status=0
"$build/server" || status=$?
exit "$status"
