#!/usr/bin/env bash
# ./zot run with the built simulator and a stand-in for zot3. Whether the
# program ends by itself (with the simulator stopped by SIGSTOP meanwhile)
# or by a Ctrl-C, no simulator is left and its folder is gone; the demo's
# generators and the ports are listed once, the program gets the GPIB
# stand-in from the simulator's lines, and nothing goes to stderr.
# usage: ZotRunTest.sh ZOT_SCRIPT BUILD_DIR
set -euo pipefail
zot=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
  echo "FAIL ($case): $*"
  failed=1
}

# The stand-in tells the test it runs (with the port and the GPIB library
# it was given) and then waits for a line; a Ctrl-C ends it while it waits.
cat >"$work/standin" <<'EOF'
#!/usr/bin/env bash
echo "${MORVANE_COM1:-} ${MORVANE_GPIB_LIBRARY:-} ${XDG_RUNTIME_DIR:-none} $(stat -c %a "${XDG_RUNTIME_DIR:-/none}" 2>/dev/null || echo none)" >"$ZOT_TEST_FIFOS/started"
read -r _ <"$ZOT_TEST_FIFOS/go"
EOF
chmod +x "$work/standin"

# The simulator the run script started: its child named gensim.
child_simulator() { # child_simulator PID
  pgrep -P "$1" -x gensim || true
}

run_case() { # run_case NAME exit|interrupt
  case=$1
  local how=$2 fifos="$work/$1" runtime="$work/$1/runtime"
  mkdir -p "$runtime" "$fifos/tmp"
  mkfifo "$fifos/started" "$fifos/go"
  exec 3<>"$fifos/started"
  local display=(env DISPLAY=:none XDG_RUNTIME_DIR="$runtime")
  # The interrupted run also takes the no-display path, under Xvfb, and
  # has no runtime folder: the script gives the program one of its own.
  [ "$how" = interrupt ] && display=(env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR)
  # Its own process group, so a signal to the group is a Ctrl-C; and SIGINT
  # as in a terminal, not ignored as for a background command.
  "${display[@]}" ZOT_RUN_PROGRAM="$work/standin" ZOT_RUN_BUILD="$build" ZOT_TEST_FIFOS="$fifos" \
    TMPDIR="$fifos/tmp" env --default-signal=INT setsid bash "$zot" run >"$fifos/out" 2>"$fifos/err" &
  local script=$!
  local port="" library="" given="" mode=""
  if ! read -r -t 120 -u 3 port library given mode; then
    fail "the program was not started"
    cat "$fifos/out" "$fifos/err"
    kill -KILL -- "-$script" 2>/dev/null || true
    wait "$script" 2>/dev/null || true
    exec 3<&-
    return
  fi
  exec 3<&-
  local sim
  sim=$(child_simulator "$script")
  [ -n "$sim" ] || fail "no simulator runs beside the program"
  [ -n "$port" ] || fail "the program got no MORVANE_COM1"
  [ -f "$library" ] || fail "the program got no GPIB library: \"$library\""
  if [ "$how" = exit ]; then
    [ "$given" = "$runtime" ] || fail "the program's runtime folder is $given, not the one it was given"
  else
    [ "$mode" = 700 ] || fail "the program's own runtime folder $given has mode $mode, not 700"
  fi

  # A script that never ends fails the case instead of the whole run. Its
  # output goes nowhere: a sleep left holding the test's stdout would keep
  # the test running until it ends.
  (sleep 120 && kill -KILL -- "-$script") >/dev/null 2>&1 &
  local watchdog=$!
  local rc=0
  if [ "$how" = exit ]; then
    [ -n "$sim" ] && kill -STOP "$sim"
    echo go >"$fifos/go"
    wait "$script" || rc=$?
    [ $rc -eq 0 ] || fail "exit status $rc after the program ended"
  else
    kill -INT -- "-$script"
    wait "$script" || rc=$?
    [ $rc -eq 130 ] || fail "exit status $rc after Ctrl-C, not 130"
    grep -q "invisible screen" "$fifos/out" || fail "no word of the invisible screen"
  fi
  pkill -P "$watchdog" sleep 2>/dev/null || true
  wait "$watchdog" 2>/dev/null || true

  if [ -n "$sim" ] && kill -0 "$sim" 2>/dev/null; then
    fail "the simulator $sim is left"
    kill -KILL "$sim" 2>/dev/null || true
  fi
  [ -z "$(ls -A "$runtime")" ] || fail "left in the runtime folder: $(ls -A "$runtime")"
  [ "$how" = exit ] || [ ! -e "$given" ] || fail "the program's own runtime folder $given is left"
  [ -e "$port" ] && fail "the port link $port is left"
  local listed
  listed=$(grep -c "MORVANE_COM1=" "$fifos/out" || true)
  [ "$listed" -eq 1 ] || fail "the ports were listed $listed times"
  listed=$(grep -c "^  com4 .*R72Q, firmware 7.041" "$fifos/out" || true)
  [ "$listed" -eq 1 ] || fail "the demo's generators were listed $listed times"
  # The cards' screens stay outside the run folder, named in the output.
  local screens
  screens=$(sed -n 's/^zot: the cards. screens (PPM, rewritten as they change): //p' "$fifos/out")
  case "$screens" in "$fifos/tmp/"*) ;; *) fail "no screens folder under TMPDIR: \"$screens\"" ;; esac
  for card in isa0 pci1; do
    head -c 2 "$screens/$card.ppm" 2>/dev/null | grep -q P6 || fail "no screen image of $card in \"$screens\""
  done
  if [ -s "$fifos/err" ]; then
    fail "stderr is not clean:"
    cat "$fifos/err"
  fi
}

run_case ends exit
run_case ctrl_c interrupt
[ $failed -eq 0 ] && echo "zot run: both cases passed"
exit $failed
