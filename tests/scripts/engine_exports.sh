#!/usr/bin/env bash
# libEngine.so exports GetEngine, the members of Util::InetAddress, the
# message boxes, the process's random generator, its stop signals and its crash report only.
set -euo pipefail
# grep -q stops at its first match: it reads here-strings, never a pipe that
# would then die of SIGPIPE and fail the check under pipefail.
lib="$1/libEngine.so"
[ -f "$lib" ] || { echo "missing $lib"; exit 1; }
syms=$(nm -DC --defined-only "$lib" | awk '$2 ~ /^[TtWwDdBbRrVvu]$/ { $1 = ""; $2 = ""; sub(/^  /, ""); print }' \
  | grep -vE '^(_init|_fini|_edata|_end|__bss_start)$' || true)
bad=$(printf '%s\n' "$syms" | grep -vE '^(GetEngine|Util::InetAddress::.*|Util::(SeedRandom\(unsigned int\)|Random\(\))|Ui::(ShowMessage|SetMessageBackend|ConsoleMessage)\(.*|Os::(CatchStopSignals|TakeStopRequests|StopRequested|EndByStopSignal|CatchCrashes|SetCrashContext)\(.*|(vtable|typeinfo|typeinfo name) for Util::InetAddress)$' | grep -v '^$' || true)
grep -qx 'GetEngine' <<<"$syms" || { echo "GetEngine is not exported"; exit 1; }
grep -q '^Util::InetAddress::GetIP() const$' <<<"$syms" || { echo "InetAddress::GetIP is not exported"; exit 1; }
grep -q '^Ui::ShowMessage(' <<<"$syms" || { echo "Ui::ShowMessage is not exported"; exit 1; }
grep -qx 'Util::Random()' <<<"$syms" || { echo "Util::Random is not exported"; exit 1; }
# A copy of its own in the game would draw from a generator nothing seeds.
if [ -f "$1/libGame.so" ]; then
  undefined=$(nm -DC --undefined-only "$1/libGame.so")
  grep -q 'Util::Random()' <<<"$undefined" || { echo "libGame.so has a generator of its own"; exit 1; }
fi
# One stop state a process: the game asks the engine's.
if [ -f "$1/libGame.so" ]; then
  grep -q 'Os::StopRequested()' <<<"$undefined" || { echo "libGame.so has stop signals of its own"; exit 1; }
fi
if [ -n "$bad" ]; then
  echo "unexpected exports:"; printf '%s\n' "$bad"; exit 1
fi
echo "exports ok"
