# The stand-in master service that host.sh and play.sh share (sourced by
# both, after they set $build): one for the build tree, in
# $VORNHAL_MASTER_DIR (default: <build>/master). Whichever command comes
# first starts it and the other finds it running; each command holds a
# shared lock on "users.lock" while it runs (the programs it starts
# inherit it), and the last one to leave stops the service. One left
# behind by a command that was killed is found and used by the next.
#   master_start USER PASSWORD NICK   the account to log in with; sets masterport
#   master_stop                       at the command's exit
#   game_option FILE KEY VALUE        sets an element of a "game.opt", adding it when missing
master_dir=${VORNHAL_MASTER_DIR:-$build/master}
master_users=

# Whether the service named in the folder is up (a process of that name,
# not a zombie); sets masterport.
master_running() {
  local pid stat
  pid=$(cat "$master_dir/pid" 2>/dev/null) || return 1
  stat=$(cat "/proc/$pid/stat" 2>/dev/null) || return 1
  case $stat in "$pid (masterserver) "[RSD]*) ;; *) return 1 ;; esac
  masterport=$(sed -n 's/^port //p' "$master_dir/out" 2>/dev/null)
  [ -n "$masterport" ]
}

master_start() {
  local user=$1 password=$2 nick=$3 pid
  mkdir -p "$master_dir/updates"
  exec {master_guard}>>"$master_dir/guard.lock"
  flock "$master_guard"
  # The account, made or changed, whether the service runs or not: it reads
  # the file again at each log-in.
  touch "$master_dir/accounts"
  { awk -F '\t' -v u="$user" '$1 != u' "$master_dir/accounts"
    printf '%s\t%s\t%s\t%s\n' "$user" "$password" "$nick" "uid-$user"
  } >"$master_dir/accounts.new"
  mv "$master_dir/accounts.new" "$master_dir/accounts"
  if ! master_running; then
    rm -f "$master_dir/out"
    # A session of its own: Ctrl+C at one command's terminal must not stop
    # the service the other command still uses.
    setsid "$build/outside/masterserver/masterserver" --state "$master_dir/state" --files "$master_dir/updates" \
      --accounts "$master_dir/accounts" >"$master_dir/out" 2>&1 </dev/null {master_guard}>&- &
    pid=$!
    echo "$pid" >"$master_dir/pid"
    for _ in $(seq 100); do
      master_running && break
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    if ! master_running; then
      echo "the stand-in master service did not start:" >&2
      cat "$master_dir/out" >&2
      exec {master_guard}>&-
      return 1
    fi
  fi
  exec {master_users}>>"$master_dir/users.lock"
  flock -s "$master_users"
  exec {master_guard}>&-
}

master_stop() {
  local probe pid
  [ -n "$master_users" ] || return 0
  exec {master_users}>&-
  master_users=
  exec {master_guard}>>"$master_dir/guard.lock"
  flock "$master_guard"
  exec {probe}>>"$master_dir/users.lock"
  if flock -n -x "$probe" && master_running; then
    pid=$(cat "$master_dir/pid")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do
      master_running || break
      sleep 0.1
    done
    rm -f "$master_dir/pid"
  fi
  exec {probe}>&- {master_guard}>&-
}

game_option() {
  # A file cut short is left as it is, for the program to say where.
  if [ -s "$1" ] && ! tail -c 64 "$1" | tr -d '\r\n\t ' | grep -q '>$'; then
    return 0
  fi
  if grep -q "<$2>.*</$2>" "$1"; then
    sed -i "s|<$2>.*</$2>|<$2>$3</$2>|" "$1"
  else
    printf '<%s>%s</%s>\r\n' "$2" "$3" "$2" >>"$1"
  fi
}
