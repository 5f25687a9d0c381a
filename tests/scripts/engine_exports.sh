#!/usr/bin/env bash
# libEngine.so exports GetEngine, the members of Util::InetAddress, the
# message boxes and the process's random generator only.
set -euo pipefail
lib="$1/libEngine.so"
[ -f "$lib" ] || { echo "missing $lib"; exit 1; }
syms=$(nm -DC --defined-only "$lib" | awk '$2 ~ /^[TtWwDdBbRrVvu]$/ { $1 = ""; $2 = ""; sub(/^  /, ""); print }' \
  | grep -vE '^(_init|_fini|_edata|_end|__bss_start)$' || true)
bad=$(printf '%s\n' "$syms" | grep -vE '^(GetEngine|Util::InetAddress::.*|Util::(SeedRandom\(unsigned int\)|Random\(\))|Ui::(ShowMessage|SetMessageBackend|ConsoleMessage)\(.*|(vtable|typeinfo|typeinfo name) for Util::InetAddress)$' | grep -v '^$' || true)
printf '%s\n' "$syms" | grep -qx 'GetEngine' || { echo "GetEngine is not exported"; exit 1; }
printf '%s\n' "$syms" | grep -q '^Util::InetAddress::GetIP() const$' || { echo "InetAddress::GetIP is not exported"; exit 1; }
printf '%s\n' "$syms" | grep -q '^Ui::ShowMessage(' || { echo "Ui::ShowMessage is not exported"; exit 1; }
printf '%s\n' "$syms" | grep -qx 'Util::Random()' || { echo "Util::Random is not exported"; exit 1; }
# A copy of its own in the game would draw from a generator nothing seeds.
if [ -f "$1/libGame.so" ]; then
  undefined=$(nm -DC --undefined-only "$1/libGame.so")
  printf '%s\n' "$undefined" | grep -q 'Util::Random()' || { echo "libGame.so has a generator of its own"; exit 1; }
fi
if [ -n "$bad" ]; then
  echo "unexpected exports:"; printf '%s\n' "$bad"; exit 1
fi
echo "exports ok"
