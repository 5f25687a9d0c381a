#!/usr/bin/env bash
# libEngine.so exports GetEngine, the members of Util::InetAddress and the
# message boxes only.
set -euo pipefail
lib="$1/libEngine.so"
[ -f "$lib" ] || { echo "missing $lib"; exit 1; }
syms=$(nm -DC --defined-only "$lib" | awk '$2 ~ /^[TtWwDdBbRrVvu]$/ { $1 = ""; $2 = ""; sub(/^  /, ""); print }' \
  | grep -vE '^(_init|_fini|_edata|_end|__bss_start)$' || true)
bad=$(printf '%s\n' "$syms" | grep -vE '^(GetEngine|Util::InetAddress::.*|Ui::(ShowMessage|SetMessageBackend|ConsoleMessage)\(.*|(vtable|typeinfo|typeinfo name) for Util::InetAddress)$' | grep -v '^$' || true)
printf '%s\n' "$syms" | grep -qx 'GetEngine' || { echo "GetEngine is not exported"; exit 1; }
printf '%s\n' "$syms" | grep -q '^Util::InetAddress::GetIP() const$' || { echo "InetAddress::GetIP is not exported"; exit 1; }
printf '%s\n' "$syms" | grep -q '^Ui::ShowMessage(' || { echo "Ui::ShowMessage is not exported"; exit 1; }
if [ -n "$bad" ]; then
  echo "unexpected exports:"; printf '%s\n' "$bad"; exit 1
fi
echo "exports ok"
