#!/usr/bin/env bash
# Includes run one way: platform/ at the floor, then engine/, then the game's
# world, then its shell. Inside the world the game state (game/world/system)
# sits above everything else.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"
bad=$(grep -rnE '^\s*#\s*include\s*"(engine|game)/' platform
      grep -rnE '^\s*#\s*include\s*"game/' engine
      grep -rnE '^\s*#\s*include\s*"game/shell/' game/world
      grep -rnE '^\s*#\s*include\s*"game/world/system/' game/world --exclude-dir=system)
if [ -n "$bad" ]; then
  echo "includes that run up a layer:"
  echo "$bad"
  exit 1
fi
echo "layers: ok"
