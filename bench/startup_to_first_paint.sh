#!/usr/bin/env bash
# Start-up cost of a real window: from process start to the first painted SDL2 window under a
# virtual X server, and the process's peak memory (resident set), median of five runs after one
# warm-up run. The program measures itself: with LUMIQ_EXIT_AFTER_FIRST_PAINT=1 the SDL2
# backend prints "first-paint-ms=<ms> peak-rss-kb=<kB>" once the first window reached the X
# server and exits; LUMIQ_LAUNCH_US, taken here just before the start, is its zero.
#
# The program is the application itself once it paints a window in that mode, else
# bin/first_paint, which opens one window through the same backend. LUMIQ_FIRST_PAINT_PROGRAM
# names another; LUMIQ_BENCH_RUNS changes the number of runs.
set -euo pipefail

build=${LUMIQ_BUILD_DIR:?LUMIQ_BUILD_DIR must name a release build}
runs=${LUMIQ_BENCH_RUNS:-5}

if ! command -v Xvfb >/dev/null; then
  echo "startup_to_first_paint: Xvfb is not installed (scripts/setup installs it); skipped"
  exit 0
fi

scratch=$(mktemp -d)
xvfb_pid=
cleanup() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT

# A display number nobody uses; Xvfb exits when another server took it meanwhile.
display=
for n in $(seq $((200 + $$ % 300)) 7 $((200 + $$ % 300 + 140))); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 1000); do
    [ -S "/tmp/.X11-unix/X$n" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.01
  done
  if [ -S "/tmp/.X11-unix/X$n" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
    display=":$n"
    break
  fi
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=
done
if [ -z "$display" ]; then
  echo "startup_to_first_paint: Xvfb could not be started; skipped"
  exit 0
fi

# One run: prints "<ms> <kB>", or nothing when the program did not report a first paint.
measure() {
  local program=$1 limit=$2 out
  out=$(cd "$scratch" && HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" \
    XDG_DATA_HOME="$scratch/data" DISPLAY="$display" SDL_VIDEODRIVER=x11 \
    LUMIQ_EXIT_AFTER_FIRST_PAINT=1 LUMIQ_LAUNCH_US="${EPOCHREALTIME/./}" \
    timeout "$limit" "$program" 2>/dev/null </dev/null) || true
  sed -n 's/^first-paint-ms=\([0-9.]*\) peak-rss-kb=\([0-9]*\)$/\1 \2/p' <<<"$out" | head -n 1
}

mkdir -p "$scratch/home" "$scratch/config" "$scratch/data"
program=${LUMIQ_FIRST_PAINT_PROGRAM:-}
if [ -z "$program" ]; then
  if [ -x "$build/bin/lumiq" ] && [ -n "$(measure "$build/bin/lumiq" 5)" ]; then
    program="$build/bin/lumiq"
  else
    program="$build/bin/first_paint"
  fi
fi
if [ ! -x "$program" ]; then
  echo "startup_to_first_paint: $program is not built"
  exit 1
fi

echo "program: $(basename "$program"), display $display (Xvfb 1280x800x24), $runs runs after a warm-up"
measure "$program" 20 >/dev/null
times=()
memories=()
for i in $(seq 1 "$runs"); do
  result=$(measure "$program" 20)
  if [ -z "$result" ]; then
    echo "run $i: no first paint reported"
    exit 1
  fi
  read -r ms kb <<<"$result"
  echo "run $i: ${ms} ms, ${kb} kB"
  times+=("$ms")
  memories+=("$kb")
done

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { m = int((NR + 1) / 2); if (NR % 2) print v[m]; else print (v[m] + v[m + 1]) / 2 }'; }
median_ms=$(median "${times[@]}")
median_kb=$(median "${memories[@]}")
echo "median time to first paint: ${median_ms} ms"
echo "median peak memory: $(awk -v k="$median_kb" 'BEGIN { printf "%.1f", k / 1024 }') MB (${median_kb} kB)"
