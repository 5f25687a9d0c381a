#!/usr/bin/env bash
# Hosts a match on the bundled default data: builds what is needed, starts
# the stand-in master service on 127.0.0.1 (or uses the one play.sh runs)
# with the account play.sh makes, and the dedicated server in a game folder
# of its own, then hands the terminal to the server's console.
#   VORNHAL_BUILD       build tree (default: build/)
#   VORNHAL_HOST_DIR    game folder of the server (default: <build>/host)
#   VORNHAL_PORT        UDP port players connect to (default: 8887)
#   VORNHAL_MASTER_DIR  the master service's folder (default: <build>/master)
#   VORNHAL_USER, VORNHAL_PASSWORD, VORNHAL_NICK  the account, as for play.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VORNHAL_BUILD:-$root/build}
run=${VORNHAL_HOST_DIR:-$build/host}
port=${VORNHAL_PORT:-8887}
user=${VORNHAL_USER:-player}
password=${VORNHAL_PASSWORD:-vornhal}
nick=${VORNHAL_NICK:-$user}

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

source "$root/scripts/master.sh"
trap master_stop EXIT
master_start "$user" "$password" "$nick" || { echo "host.sh: see above" >&2; exit 1; }
game_option "$run/game.opt" masterserver "127.0.0.1:$masterport"
game_option "$run/game.opt" serverport "$port"

address=$(hostname -I 2>/dev/null | awk '{print $1}')
cat <<INFO
Vornhal server in $run
  players connect to ${address:-127.0.0.1} port $port (UDP), or 127.0.0.1 port $port on this machine
  master service: http://127.0.0.1:$masterport/servers.php (account "$user", password "$password")
Type commands at the "> " prompt ("help" lists them); "quit" or Ctrl+C stops the server.
INFO
cd "$run"
status=0
"$build/server" || status=$?
exit "$status"
