#!/usr/bin/env bash
# The demo: a Zirok register emulated on a pseudo-terminal as COM7, driven
# through the service object by the command-line OPOS host for one whole
# shift. Prints the paper tape and the trace log's path; exits non-zero when
# any OPOS call failed.
#
#   scripts/demo.sh                      install what is missing, build, run
#   scripts/demo.sh --bin-dir DIR        use the programs already built in DIR
#   scripts/demo.sh --temp-home          a throw-away ZIROK_HOME (for tests)
#
# ZIROK_HOME (registry store, COM port links, the emulator's memory and tape,
# the trace logs) defaults to build/demo/home; the register's memory there
# carries over from run to run, as a real register's would.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
demo="$root/scripts/demo"

bin_dir=""
temp_home=0
while [ $# -gt 0 ]; do
  case "$1" in
    --bin-dir) bin_dir=$(cd "$2" && pwd); shift 2 ;;
    --temp-home) temp_home=1; shift ;;
    *) echo "usage: $0 [--bin-dir DIR] [--temp-home]" >&2; exit 2 ;;
  esac
done

if [ -z "$bin_dir" ]; then
  "$root/scripts/install-deps.sh"
  echo "== building (Release, build/demo)"
  cmake -S "$root" -B "$root/build/demo" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$root/build/demo" -j "$(nproc 2>/dev/null || echo 2)" \
        --target zirokctl zirok-emulator zirok
  bin_dir="$root/build/demo/bin"
fi

if [ "$temp_home" = 1 ]; then
  ZIROK_HOME=$(mktemp -d "${TMPDIR:-/tmp}/zirok-demo.XXXXXX")
else
  ZIROK_HOME=${ZIROK_HOME:-$root/build/demo/home}
fi
# The service object writes its trace logs under XDG_STATE_HOME.
XDG_STATE_HOME="$ZIROK_HOME/traces"
export ZIROK_HOME XDG_STATE_HOME
mkdir -p "$ZIROK_HOME/ports" "$ZIROK_HOME/emulator"
tape="$ZIROK_HOME/emulator/tape.txt"

emulator_pid=""
stop_emulator() {
  if [ -n "$emulator_pid" ]; then
    kill -TERM "$emulator_pid" 2>/dev/null || true
    wait "$emulator_pid" 2>/dev/null || true
    emulator_pid=""
  fi
  if [ "$temp_home" = 1 ]; then rm -rf "$ZIROK_HOME"; fi
}
trap stop_emulator EXIT
trap 'exit 130' INT TERM HUP

echo "== register emulator on COM7 (ZIROK_HOME=$ZIROK_HOME)"
: >"$ZIROK_HOME/emulator/stdout"
"$bin_dir/zirok-emulator" --link "$ZIROK_HOME/ports/com7" \
    --state "$ZIROK_HOME/emulator/state" --tape "$tape" \
    --log "$ZIROK_HOME/emulator/exchanges.log" \
    >"$ZIROK_HOME/emulator/stdout" 2>"$ZIROK_HOME/emulator/stderr" &
emulator_pid=$!
for _ in $(seq 100); do
  grep -q '^ready' "$ZIROK_HOME/emulator/stdout" && break
  if ! kill -0 "$emulator_pid" 2>/dev/null; then
    emulator_pid=""
    echo "the emulator did not start:" >&2
    cat "$ZIROK_HOME/emulator/stderr" >&2
    exit 1
  fi
  sleep 0.1
done
grep -q '^ready' "$ZIROK_HOME/emulator/stdout" || { echo "the emulator is not ready" >&2; exit 1; }
tape_start=$(stat -c %s "$tape" 2>/dev/null || echo 0)

echo "== registering the service object and the device"
"$bin_dir/zirokctl" register "$bin_dir/libzirok.so"
"$bin_dir/zirokctl" reg import "$demo/zirok.reg"

# Runs one call script; prints each call's outcome. Fails on a failed call.
run_calls() {
  local calls="$1" output="$ZIROK_HOME/$(basename "$1").out"
  local status=0
  echo "== $(basename "$calls")"
  "$bin_dir/zirokctl" run --script "$calls" >"$output" || status=$?
  python3 "$demo/check_calls.py" "$calls" "$output" || status=1
  return "$status"
}

failed=0
run_calls "$demo/recover.calls" || failed=1
run_calls "$demo/shift.calls" || failed=1

echo "== paper tape"
if [ -f "$tape" ]; then tail -c "+$((tape_start + 1))" "$tape"; fi
logs="$XDG_STATE_HOME/Brightfold/ZIROK OPOS Driver/Logs"
latest=$(ls -t "$logs" 2>/dev/null | head -n 1 || true)
echo "== trace log: ${latest:+$logs/$latest}"
[ -n "$latest" ] || echo "(none written)"

if [ "$failed" != 0 ]; then
  echo "demo FAILED: see the calls marked FAIL above" >&2
  exit 1
fi
echo "demo passed"
