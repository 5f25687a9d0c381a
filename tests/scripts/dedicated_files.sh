#!/usr/bin/env bash
# The game's code has no dedicated-build blocks: the build picks the files
# (*Draw.cpp and *Client.cpp for a client, *Dedicated.cpp for the server).
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"
bad=$(grep -rln 'VORNHAL_DEDICATED' game)
if [ -n "$bad" ]; then
  echo "files that test the dedicated build instead of being picked by it:"
  echo "$bad"
  exit 1
fi
echo "dedicated files: ok"
