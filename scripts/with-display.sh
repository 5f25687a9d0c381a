#!/usr/bin/env bash
# Runs a command with an X display: the one already set, or one Xvfb of its
# own for the whole command. Xvfb chooses a free display number itself
# (-displayfd), so runs started at the same moment never pick the same one.
# VORNHAL_FONT_PATH, when set, is that server's X font path (folders joined
# by commas, as -fp takes them); without it the server keeps its default.
set -euo pipefail
if [ -n "${DISPLAY:-}" ]; then
  exec "$@"
fi
dir=$(mktemp -d)
# -noreset: by default the server resets whenever its last client leaves,
# and a test connecting during that reset is refused; with tests starting
# and ending in parallel that happens now and then.
font_path=()
[ -n "${VORNHAL_FONT_PATH:-}" ] && font_path=(-fp "$VORNHAL_FONT_PATH")
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset "${font_path[@]}" 3>"$dir/number" 2>"$dir/log" &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -rf "$dir"' EXIT
# The number is written once the server accepts connections.
for _ in $(seq 300); do
  grep -q '[0-9]' "$dir/number" 2>/dev/null && break
  if ! kill -0 "$server" 2>/dev/null; then
    echo "with-display: Xvfb did not start:" >&2
    cat "$dir/log" >&2
    exit 1
  fi
  sleep 0.1
done
if ! grep -q '[0-9]' "$dir/number"; then
  echo "with-display: Xvfb gave no display number" >&2
  exit 1
fi
export DISPLAY=":$(tr -dc '0-9' <"$dir/number")"
status=0
"$@" || status=$?
exit "$status"
