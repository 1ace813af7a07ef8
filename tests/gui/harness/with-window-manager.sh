#!/usr/bin/env bash
# with-window-manager.sh TEST [ARGS...]
# Runs a Qt test on a private X display with a window manager that draws frames
# around windows (openbox), as on a user's desktop. Exit code 77 (skipped) when
# Xvfb or openbox is not installed. The display and the window manager are ended
# by their process ids, whatever the test does.
set -u
for tool in Xvfb openbox xprop; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
xvfb_pid= wm_pid=
stop_display() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  xvfb_pid= wm_pid=
}
trap 'stop_display; rm -rf "$work"' EXIT

# Starts Xvfb on a free display and openbox on it. Xvfb picks the display number
# and writes it to the file; two displays started at once can pick the same one,
# and then the window manager cannot connect: the caller tries again.
start_display() {
  : >"$work/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; return 1; }
  export DISPLAY=":$(head -n1 "$work/display")"

  HOME="$work" openbox --sm-disable >"$work/openbox.log" 2>&1 &
  wm_pid=$!
  # The window manager is running once it has announced itself on the root window.
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    kill -0 "$wm_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "openbox did not start on $DISPLAY"; cat "$work/openbox.log" "$work/xvfb.log"
  return 1
}

for attempt in 1 2 3; do
  start_display && break
  stop_display
  [ "$attempt" = 3 ] && exit 1
  sleep 1
done

QT_QPA_PLATFORM=xcb "$@"
