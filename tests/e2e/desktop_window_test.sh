#!/usr/bin/env bash
# The game's window on a real X display (Xvfb with a window manager): it
# carries the program's icon, F12 writes a PNG of the panel into the pictures
# folder without reaching the game, and full screen and back puts the window
# where it was, at its size, also after the game relaunched itself. Skipped (77) when the X tools are not installed.
#
# Usage: desktop_window_test.sh PROGRAM WORKDIR
set -u
work=$2
for tool in Xvfb openbox xdotool xprop; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

rm -rf "$work" && mkdir -p "$work/home/Pictures" && mkdir -m 700 "$work/run"
program=$1
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; wait "${pids[i]}" 2>/dev/null; done
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- game's stderr:"; cat "$work/stderr" 2>/dev/null; exit 1; }

# A display number nobody uses, chosen by the server itself.
exec 3<> "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=$(head -n1 "$work/display")
[ -n "$display" ] || fail "Xvfb did not start"
export DISPLAY=":$display"
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
# The window manager is up once it names its check window on the root.
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break; sleep 0.1; done

# The games are ended by signals, so their runtime folders stay in ours.
HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
  "$program" --instance="desktop-test-$$" --audio=null --zoom=1 >"$work/stdout" 2>"$work/stderr" &
game=$!
pids+=($game)
window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$game" 2>/dev/null | head -n1)
[ -n "$window" ] || fail "no window"

# The icon: the game's own 64 x 64 picture.
icon=$(xprop -id "$window" _NET_WM_ICON | head -n1)
[[ "$icon" == *"Icon (64 x 64)"* ]] || fail "no 64 x 64 window icon: $icon"

geometry() { xdotool getwindowgeometry --shell "$window" | grep -E '^(X|Y|WIDTH|HEIGHT)=' | tr '\n' ' '; }
# Waits (10 s at most) until the window's geometry contains $1.
await_geometry() {
  for _ in $(seq 100); do [[ $(geometry) == *"$1"* ]] && return 0; sleep 0.1; done
  return 1
}
# Waits (10 s at most) until two readings of the geometry agree.
await_steady() {
  local last= now
  for _ in $(seq 100); do now=$(geometry); [ "$now" = "$last" ] && return 0; last=$now; sleep 0.1; done
  return 1
}
await_geometry "WIDTH=480 HEIGHT=640" || fail "window at --zoom=1 is $(geometry), not 480 x 640"

xdotool windowactivate --sync "$window" 2>/dev/null
xdotool key --window "$window" F12
for _ in $(seq 50); do
  grep -q "screenshot saved to" "$work/stderr" && break
  sleep 0.1
done
shot=$(ls "$work/home/Pictures"/karrowen-*.png 2>/dev/null | head -n1)
[ -n "$shot" ] || fail "F12 wrote no picture into ~/Pictures"
[[ $(basename "$shot") =~ ^karrowen-[0-9]{8}-[0-9]{6}\.png$ ]] || fail "picture name $(basename "$shot")"
# PNG signature, then IHDR width 480 and height 640.
header=$(od -An -tx1 -N24 "$shot" | tr -d ' \n')
[ "$header" = "89504e470d0a1a0a0000000d49484452000001e000000280" ] || fail "not a 480 x 640 PNG: $header"
grep -q "screenshot saved to $shot" "$work/stderr" || fail "stderr does not say where the picture went"
title=$(xdotool getwindowname "$window")
[[ "$title" == *"screenshot saved to ~/Pictures/"* ]] || fail "title does not say where: $title"

# Full screen and back, from a place of the player's choosing.
xdotool windowmove --sync "$window" 37 29
await_steady
before=$(geometry)
xdotool key --window "$window" F11
await_geometry "X=0 Y=0 WIDTH=1280 HEIGHT=1024" || fail "full screen is $(geometry)"
xdotool key --window "$window" F11
await_geometry "$before" || fail "back from full screen at $(geometry), was $before"
sleep 1  # nothing to wait for: it must stay where it is
[ "$(geometry)" = "$before" ] || fail "back from full screen, the window went on to $(geometry)"

# A new game starts in a new process: one started in full screen still goes
# back to the window's place. In full screen the 480 x 640 panel is centred at
# (400, 192); design units are two panel pixels. The game reads X's events in
# order, so each click meets the screen that the one before it left.
xdotool key --window "$window" F11
await_geometry "WIDTH=1280 HEIGHT=1024" || fail "full screen is $(geometry)"
click() { xdotool mousemove --sync $((400 + 2 * $1)) $((192 + 2 * $2)) click 1; }
click 120 276  # the cover's start link
click 192 250  # the introduction's play button
successor=
for _ in $(seq 200); do
  successor=$(xdotool search --onlyvisible --name '^Karrowen$' 2>/dev/null | grep -vx "$window" | head -n1)
  [ -n "$successor" ] && break
  sleep 0.1
done
[ -n "$successor" ] || fail "no window after starting a game"
window=$successor
pids+=("$(xdotool getwindowpid "$window")")
await_geometry "WIDTH=1280 HEIGHT=1024" || fail "the new game is not in full screen: $(geometry)"
# A game that has just started may not read keys yet: F11 again while it stays in full screen.
for _ in $(seq 10); do
  xdotool key --window "$window" F11
  await_geometry "$before" && break
done
await_geometry "$before" || fail "the new game's window is at $(geometry), the first was at $before"

echo "window icon, F12 screenshot and full screen round trip, across a relaunch too: ok"
