# Shell helpers for scripts that run the engine in an X display and drive it
# as a person would: wait for its window, click in it, press its close button,
# and answer the "press Enter" with the Enter that its standard input holds.
# Source it with ROOT set to the repository.

# Builds tools/close_window.cpp when needed and prints the program's path.
close_window_tool() {
  local out="$ROOT/build/close_window"
  if [ ! -x "$out" ] || [ "$ROOT/tools/close_window.cpp" -nt "$out" ]; then
    c++ -O2 -o "$out" "$ROOT/tools/close_window.cpp" -lX11
  fi
  echo "$out"
}

# engine_window [TITLE]: the id of the engine's visible window: the one with
# this exact title, or without one the one whose class is the program's name.
# The engine names no process id on its window, so one engine per display.
engine_window() {
  if [ -n "${1:-}" ]; then
    xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1
  else
    xdotool search --onlyvisible --classname '^adventure$' 2>/dev/null | head -n 1
  fi
}

# wait_for_window PID SECONDS [TITLE]: prints the window id once the engine
# (process PID) shows its window; fails when the process ends first or the
# time runs out.
wait_for_window() {
  local pid=$1 deadline=$((SECONDS + $2)) id
  while [ $SECONDS -lt "$deadline" ] && kill -0 "$pid" 2>/dev/null; do
    id=$(engine_window "${3:-}")
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.2
  done
  return 1
}

# wait_for_exit PID SECONDS: the exit status of background job PID, or fails
# with 124 when it is still running after SECONDS.
wait_for_exit() {
  local pid=$1 deadline=$((SECONDS + $2))
  while [ $SECONDS -lt "$deadline" ]; do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      return $?
    fi
    sleep 0.1
  done
  return 124
}

# click WINDOW X Y: a left click at window pixel (X, Y).
click() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
}

# save_retitled SOURCE DOCUMENT TITLE: saves DOCUMENT as SOURCE with the
# game's title replaced, the way editors save (a new file renamed over the
# old one), so that a watching engine reloads and shows TITLE.
save_retitled() {
  sed "0,/ title=\"[^\"]*\"/s// title=\"$3\"/" "$1" > "$2.new"
  mv "$2.new" "$2"
}
