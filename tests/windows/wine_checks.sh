#!/usr/bin/env bash
# Checks that run Windows programs under Wine.
#   wine_checks.sh MODE PROBE_EXE REQUIRED [ARGS...] -- WINE_COMMAND...
# PROBE_EXE must print its known line under WINE_COMMAND first. When it does
# not, the check fails if REQUIRED is 1 and is skipped (exit 77, with the
# reason) if it is 0: a Wine without its 32-bit part exits 0 without running
# a 32-bit program, so only the output tells.
# Modes:
#   run EXE ARGS...                      run a program, its exit status decides
#   traces LINUX_SIM WIN_SIM SCENARIOS WORKDIR
#       every scenario's trace from vantorel-sim.exe equals the Linux one, less
#       the kernel-call events that only the Linux host records (DllMain,
#       GetModuleHandleA, GetProcAddress) and with the module's file name mapped
#   sound-log LINUX_SIM WIN_SIM SCENARIO WORKDIR
#       the sound log written under Wine is the Linux log with CRLF line ends,
#       and a second run appends to it without a second header
set -euo pipefail

mode=$1 probe=$2 required=$3
shift 3
args=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do args+=("$1"); shift; done
[ $# -gt 0 ] || { echo "FAIL: no Wine command after --" >&2; exit 1; }
shift
wine=("$@")

fail() { echo "FAIL: $*" >&2; exit 1; }

probe_err=$(mktemp)
trap 'rm -f "$probe_err"' EXIT
probe_line=$("${wine[@]}" "$probe" 2>"$probe_err" | tr -d '\r' || true)
if [[ "$probe_line" != "vantorel wine probe: "*" program ran" ]]; then
  reason="Wine cannot run $(basename "$probe") here (output: '${probe_line}'; Wine says: '$(head -n1 "$probe_err")')"
  if [ "$required" = 1 ]; then fail "$reason"; fi
  echo "SKIPPED: $reason; on this machine the $mode check runs for the 64-bit build only"
  exit 77
fi

# "# options: --vessels 2 --no-sound" in a scenario's comments.
scenario_options() { sed -n 's/^# options: //p' "$1" | head -n1; }

replay() {  # replay DIR SIM SCENARIO [wine]
  local dir=$1 sim=$2 scenario=$3 runner=()
  [ "${4:-}" = wine ] && runner=("${wine[@]}")
  # shellcheck disable=SC2046
  (cd "$dir" && "${runner[@]}" "$sim" replay "$scenario" $(scenario_options "$scenario") --trace - >trace 2>stderr; echo $? >status)
}

linux_view() {  # the Linux trace as the Windows host writes it
  grep -v -E '"call": "(DllMain|GetModuleHandleA|GetProcAddress)"' "$1" | sed 's/"module:Vantorel\.so"/"module:Vantorel.dll"/g'
}

case $mode in
  run)
    "${wine[@]}" "${args[@]}"
    ;;
  traces)
    linux_sim=${args[0]} win_sim=${args[1]} scenarios=${args[2]} work=${args[3]}
    [ -x "$linux_sim" ] || fail "no Linux vantorel-sim at $linux_sim: build the Linux build first (cmake --workflow --preset test)"
    count=0
    for scenario in "$scenarios"/*.jsonl; do
      case $scenario in *.expect.jsonl) continue ;; esac
      name=$(basename "$scenario" .jsonl)
      rm -rf "$work/$name" && mkdir -p "$work/$name/linux" "$work/$name/windows"
      replay "$work/$name/linux" "$linux_sim" "$scenario"
      replay "$work/$name/windows" "$win_sim" "$scenario" wine
      [ "$(cat "$work/$name/linux/status")" = "$(cat "$work/$name/windows/status")" ] ||
        fail "$name: exit status $(cat "$work/$name/windows/status") under Wine, $(cat "$work/$name/linux/status") on Linux"
      linux_view "$work/$name/linux/trace" >"$work/$name/linux/trace.windows-view"
      if ! cmp -s "$work/$name/linux/trace.windows-view" "$work/$name/windows/trace"; then
        diff "$work/$name/linux/trace.windows-view" "$work/$name/windows/trace" | head -n 20 >&2 || true
        fail "$name: the trace under Wine differs from the Linux trace (files in $work/$name)"
      fi
      echo "same: $name ($(wc -l <"$work/$name/windows/trace") events)"
      count=$((count + 1))
    done
    [ "$count" -gt 0 ] || fail "no scenarios in $scenarios"
    ;;
  sound-log)
    linux_sim=${args[0]} win_sim=${args[1]} scenario=${args[2]} work=${args[3]}
    [ -x "$linux_sim" ] || fail "no Linux vantorel-sim at $linux_sim: build the Linux build first (cmake --workflow --preset test)"
    log=OrbiterSound_Log.txt
    rm -rf "$work" && mkdir -p "$work/linux" "$work/windows"
    replay "$work/linux" "$linux_sim" "$scenario"
    replay "$work/windows" "$win_sim" "$scenario" wine
    [ -s "$work/linux/$log" ] || fail "the Linux run of $(basename "$scenario") wrote no sound log"
    [ -f "$work/windows/$log" ] || fail "no sound log under Wine"
    cp "$work/windows/$log" "$work/windows/$log.first"
    sed 's/$/\r/' "$work/linux/$log" | cmp -s - "$work/windows/$log" ||
      fail "first run: the log under Wine is not the Linux log with CRLF line ends (see $work)"
    replay "$work/linux" "$linux_sim" "$scenario"
    replay "$work/windows" "$win_sim" "$scenario" wine
    sed 's/$/\r/' "$work/linux/$log" | cmp -s - "$work/windows/$log" ||
      fail "second run: the log under Wine is not the Linux log with CRLF line ends (see $work)"
    headers=$(grep -c 'Orbiter Sound Log Started' "$work/windows/$log" || true)
    [ "$headers" = 1 ] || fail "second run: $headers headers in the log, want 1"
    [ "$(head -c "$(stat -c %s "$work/windows/$log.first")" "$work/windows/$log" | cmp - "$work/windows/$log.first" && echo same)" = same ] ||
      fail "second run did not append: the first run's log is not the start of the log"
    [ "$(stat -c %s "$work/windows/$log")" -gt "$(stat -c %s "$work/windows/$log.first")" ] ||
      fail "second run added nothing to the log"
    echo "ok: sound log under Wine is the Linux log with CRLF; a second run appends without a second header"
    ;;
  *) fail "unknown mode $mode" ;;
esac
