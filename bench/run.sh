#!/usr/bin/env bash
# Start-up and responsiveness benchmark: runs the game and a bare Qt window of
# the same size, alternately, on one private Xvfb display, and prints medians
# and the ratios to the bare program. Not part of the tests; run by hand:
#
#   bash bench/run.sh            # 10 runs of each (RUNS=N for more)
#
# Environment: RUNS (10), IDLE (seconds of idle CPU measurement, 10),
# TURNS (turns played per game run, 3), FIRST_RUNS (starts with an empty
# store, reported apart, 3), LARGE_RUNS (starts on a store just under the
# 10 MiB limit, reported apart, 3), BENCH_DISPLAY (:42),
# BUILD_DIR (build-bench), RESULTS (keep the raw figures in this file).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
runs="${RUNS:-10}"
idle="${IDLE:-10}"
turns="${TURNS:-3}"
first_runs="${FIRST_RUNS:-3}"
large_runs="${LARGE_RUNS:-3}"
display="${BENCH_DISPLAY:-:42}"
build="${BUILD_DIR:-$root/build-bench}"

# ---- what the bench needs (Debian packages only) ----------------------------
bash "$root/scripts/install-deps.sh"
need=(xvfb time libx11-dev libxdamage-dev libxtst-dev)
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_=()
  [ "$(id -u)" -ne 0 ] && sudo_=(sudo)
  "${sudo_[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# ---- build: the program as shipped, plus the bench's two helpers -------------
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUORVANE_BUILD_TESTS=OFF -DQUORVANE_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target quorvane-concentration bench_bare_window bench_xprobe bench_large_store >/dev/null

game="$build/startup/quorvane-concentration"
bare="$build/bench/bench_bare_window"
probe="$build/bench/bench_xprobe"
large="$build/bench/bench_large_store"

# ---- a display and a store of our own ------------------------------------------
work="$(mktemp -d /tmp/quorvane-bench.XXXXXX)"
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  [ -n "${RESULTS:-}" ] && cp "$work/raw" "$RESULTS" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

sock="/tmp/.X11-unix/X${display#:}"
if [ -e "$sock" ] || [ -e "/tmp/.X${display#:}-lock" ]; then
  echo "Display $display is taken; choose another with BENCH_DISPLAY=:N" >&2
  exit 1
fi
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -S "$sock" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { echo "Xvfb did not start on $display:"; cat "$work/xvfb.log"; exit 1; }
  sleep 0.05
done

export DISPLAY="$display"
export QUORVANE_REGISTRY="$work/registry.reg"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"

# One run: the probe's key=value lines, the peak RSS from /usr/bin/time,
# each prefixed with the program's kind.
run_one() {  # kind: game, bare, first (on an empty store) or large (on a large store)
  local kind="$1" args=(--idle "$idle") prog="$bare"
  if [ "$kind" = game ]; then
    args=(--game --idle "$idle" --turns "$turns")
    prog="$game"
  elif [ "$kind" = first ] || [ "$kind" = large ]; then
    args=(--game --idle 0 --turns 0)
    prog="$game"
  fi
  rm -f "$work/mem"
  if ! "$probe" "${args[@]}" -- /usr/bin/time -f '%M' -o "$work/mem" "$prog" >"$work/one" 2>"$work/err"; then
    echo "run of $kind failed:" >&2
    cat "$work/err" >&2
    return 1
  fi
  sed "s/^/$kind /" "$work/one"
  # time writes a "terminated by signal" line first when the program was ended
  echo "$kind peak_rss_kib=$(grep -E '^[0-9]+$' "$work/mem" | tail -n 1)"
}

# A first run of each, not counted: it fills the page cache and stores the
# default high-score table, as any start after the first finds them.
echo "Warming up on $display..."
run_one game >/dev/null
run_one bare >/dev/null

: >"$work/raw"
for i in $(seq "$runs"); do
  printf '\rRun %d of %d' "$i" "$runs"
  run_one game >>"$work/raw"
  run_one bare >>"$work/raw"
done
# The very first start also stores the default high-score table.
store="$QUORVANE_REGISTRY"
for i in $(seq "$first_runs"); do
  printf '\rFirst start %d of %d' "$i" "$first_runs"
  export QUORVANE_REGISTRY="$work/first-$i.reg"
  run_one first >>"$work/raw"
done
# A start on a store just under the 10 MiB limit, each from a file it has
# never read.
"$large" --write "$work/large.reg"
for i in $(seq "$large_runs"); do
  printf '\rLarge store %d of %d' "$i" "$large_runs"
  cp "$work/large.reg" "$work/large-$i.reg"
  export QUORVANE_REGISTRY="$work/large-$i.reg"
  run_one large >>"$work/raw"
done
export QUORVANE_REGISTRY="$store"
echo

# ---- the table ---------------------------------------------------------------------
awk -v idle="$idle" '
  function median(kind, key,    n, i, j, t, a) {
    n = count[kind, key]
    if (n == 0) return "nan"
    for (i = 1; i <= n; i++) a[i] = val[kind, key, i]
    for (i = 2; i <= n; i++) { t = a[i]; for (j = i - 1; j >= 1 && a[j] > t; j--) a[j + 1] = a[j]; a[j + 1] = t }
    return (n % 2) ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
  }
  function worst(kind, key, nominal,    n, i, w, d) {
    n = count[kind, key]; w = 0
    for (i = 1; i <= n; i++) { d = val[kind, key, i] - nominal; if (d < 0) d = -d; if (d > w) w = d }
    return w
  }
  function add(kind, key, v) { val[kind, key, ++count[kind, key]] = v }
  function verdict(ok) { return ok ? "met" : "MISSED" }
  {
    split($2, kv, "=")
    add($1, kv[1], kv[2] + 0)
    if (kv[1] == "failures") failures += kv[2]
  }
  END {
    gs = median("game", "first_map_ms"); bs = median("bare", "main_map_ms")
    gm = median("game", "main_map_ms")
    gr = median("game", "peak_rss_kib") / 1024; br = median("bare", "peak_rss_kib") / 1024
    gc = median("game", "idle_cpu_pct"); bc = median("bare", "idle_cpu_pct")
    click = median("game", "click_ms"); clickw = worst("game", "click_ms", 0)
    res = median("game", "resolve_ms") - 750; resw = worst("game", "resolve_ms", 750)
    hand = median("game", "splash_shown_ms") - 2000; handw = worst("game", "splash_shown_ms", 2000)
    printf "%d runs of each program; medians (worst case in brackets where it matters)\n\n", count["game", "first_map_ms"]
    printf "| %-44s | %12s | %9s | %10s | %-20s | %-6s |\n", "figure", "game", "bare", "ratio/diff", "goal", "result"
    printf "|%s|%s|%s|%s|%s|%s|\n", "----------------------------------------------", "--------------", "-----------", "------------", "----------------------", "--------"
    printf "| %-44s | %12.1f | %9.1f | %9.2fx | %-20s | %-6s |\n", "launch to splash mapped (ms)", gs, bs, gs / bs, "<= 1.15x bare", verdict(gs <= 1.15 * bs)
    if (count["first", "first_map_ms"]) {
      fs = median("first", "first_map_ms")
      printf "| %-44s | %12.1f | %9.1f | %9.2fx | %-20s | %-6s |\n", "  the same, first start on an empty store", fs, bs, fs / bs, "(reported)", ""
    }
    if (count["large", "first_map_ms"]) {
      ls = median("large", "first_map_ms")
      printf "| %-44s | %12.1f | %9.1f | %+9.0f  | %-20s | %-6s |\n", "  the same, on a store just under 10 MiB", ls, bs, ls - gs, "<= game + 1000 ms", verdict(ls - gs <= 1000)
    }
    printf "| %-44s | %12.1f | %9s | %9.2fx | %-20s | %-6s |\n", "launch to game window mapped, over 2000 (ms)", gm - 2000, "", (gm - 2000) / bs, "(reported)", ""
    printf "| %-44s | %12.1f | %9.1f | %9.2fx | %-20s | %-6s |\n", sprintf("peak resident memory (MiB), %+.1f over bare", gr - br), gr, br, gr / br, "<= bare + 10 MiB", verdict(gr - br <= 10)
    printf "| %-44s | %12.3f | %9.3f | %10s | %-20s | %-6s |\n", sprintf("CPU while idle for %d s (%% of one core)", idle), gc, bc, (bc > 0 ? sprintf("%9.2fx", gc / bc) : "-"), "< 0.5 %", verdict(gc < 0.5)
    printf "| %-44s | %5.1f [%4.1f] | %9s | %10s | %-20s | %-6s |\n", "click to face shown (ms)", click, clickw, "", "", "<= 16 ms", verdict(clickw <= 16)
    printf "| %-44s | %+5.1f [%4.1f] | %9s | %10s | %-20s | %-6s |\n", "750 ms resolution, error (ms)", res, resw, "", "", "within 20 ms", verdict(resw <= 20)
    printf "| %-44s | %+5.1f [%4.1f] | %9s | %10s | %-20s | %-6s |\n", "2000 ms hand-over (splash to game), error", hand, handw, "", "", "within 20 ms", verdict(handw <= 20)
    if (count["first", "splash_shown_ms"])
      printf "| %-44s | %+5.1f [%4.1f] | %9s | %10s | %-20s | %-6s |\n", "  the same, first start on an empty store", median("first", "splash_shown_ms") - 2000, worst("first", "splash_shown_ms", 2000), "", "", "(reported)", ""
    if (failures) printf "\n%d click or resolution measurements timed out\n", failures
  }' "$work/raw"

# ---- the large store inside the process: the start-up load and a Save ------------------
echo
"$large" 5 2>/dev/null
