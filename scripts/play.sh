#!/usr/bin/env bash
# Plays: builds what is needed, starts the stand-in master service on
# 127.0.0.1 (or uses the one host.sh runs) with an account to log in with,
# and starts the game in a game folder of its own. The arguments go to the
# game ("-options" shows the options dialog, "-windowed", a player name).
#   VORNHAL_BUILD       build tree (default: build/)
#   VORNHAL_PLAY_DIR    game folder of the player (default: <build>/play)
#   VORNHAL_MASTER_DIR  the master service's folder (default: <build>/master)
#   VORNHAL_USER        the account's user name (default: player)
#   VORNHAL_PASSWORD    its password (default: vornhal)
#   VORNHAL_NICK        the name it plays under (default: the user name)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VORNHAL_BUILD:-$root/build}
run=${VORNHAL_PLAY_DIR:-$build/play}
user=${VORNHAL_USER:-player}
password=${VORNHAL_PASSWORD:-vornhal}
nick=${VORNHAL_NICK:-$user}

if [ -z "${DISPLAY:-}" ]; then
  echo "play.sh: the game shows its windows on an X display, and DISPLAY is not set" >&2
  exit 1
fi

bash "$root/.ci/install-deps.sh"
[ -f "$build/build.ninja" ] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target game updater masterserver GameData Shaders

# The folder the game expects: the program beside its libraries, the
# package, the levels on disk (hosting uploads them from there) and the
# settings, which the game writes back at exit and keeps from one run to
# the next. The package is a copy: an update replaces it.
mkdir -p "$run/levels"
for f in game libEngine.so libGame.so libOptions.so; do
  ln -sfn "$build/$f" "$run/$f"
done
[ -f "$run/game.data" ] || cp "$build/game.data" "$run/"
cp "$build"/levels/*.lvl "$run/levels/"
[ -f "$run/game.opt" ] || cp "$build/game.opt" "$run/game.opt"

source "$root/scripts/master.sh"
trap master_stop EXIT
master_start "$user" "$password" "$nick" || { echo "play.sh: see above" >&2; exit 1; }
game_option "$run/game.opt" masterserver "127.0.0.1:$masterport"
# Updates are looked for at the same service: packages put into
# $master_dir/updates with a newer version are offered.
export VORNHAL_UPDATE_HOST=127.0.0.1:$masterport

cat <<INFO
Vornhal in $run
  log in as "$user" with the password "$password" (playing as $nick)
  master service: http://127.0.0.1:$masterport/servers.php
INFO
cd "$run"
status=0
./game "$@" || status=$?
# An accepted update ends the game, and the updater starts it again on its
# own: the service stays while the updater or a game works in the folder.
here=$(pwd -P)
running() {
  for p in /proc/[0-9]*; do
    case $(cat "$p/comm" 2>/dev/null) in game | vnupd.exe) ;; *) continue ;; esac
    [ "$(readlink "$p/cwd" 2>/dev/null)" = "$here" ] && return 0
  done
  return 1
}
while running; do sleep 1; done
[ "$status" -eq 0 ] || echo "play.sh: the game ended with exit code $status (see README.md)" >&2
exit "$status"
