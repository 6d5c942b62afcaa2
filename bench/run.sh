#!/usr/bin/env bash
# Times conversions against copying the same file, and counts instructions.
#   bench/run.sh            10 MB, 100 MB and 200 MB programs, 5 timed runs each after a warm-up
#   bench/run.sh --smoke    one small program, one run: checks that the script works
# Prints MB/s, the ratios to dd and to cp and the peak resident memory of each
# case, the speed-up of a conversion on every core over one pinned to a
# single core, the same from dd, every core and one thread run in turn
# (medians of alternating runs), the time of a 10-line program, and the
# instructions per input byte of a headless conversion under callgrind (all
# threads together, and on one thread: KIVREL_THREADS=1), checking that 2
# and 8 worker threads and one for each processor write the same bytes as
# the starting thread alone (the plain program and the calibration's, 1.5 MB
# each, so that threads start even in the smoke run); a calibration's (X 1.002, Y
# 0.998) speed, instructions and output growth; then the same for the line scan in plain C++ (build-portable,
# as processors without SSE2 run it) beside SSE2. cp copies inside the
# kernel where it can; dd bs=64K and cat read and write the same bytes
# through a process.
#
# The Windows case converts a 100 MB program (the small one with --smoke)
# with kivrel.exe under wine, without a display, beside the Linux build's
# headless conversion of the same program.
#
# The windowed case needs a conversion that raises no toolpath notice (with a
# display, notices come in a message box that waits for the operator): it
# converts a program without block-delete lines that names inches (the
# conversion makes its G20 G21), with the exchange off (the exchange mirrors
# arcs), and is compared with the headless conversion of the same program
# and settings ("headless*").
set -euo pipefail
cd "$(dirname "$0")/.."

smoke=0
[ "${1:-}" = "--smoke" ] && smoke=1
if [ $smoke -eq 1 ]; then
  sizes=(300000); runs=1; callgrind_size=300000; windows_size=300000
else
  sizes=(10000000 100000000 200000000); runs=5; callgrind_size=3000000; windows_size=100000000
fi

scripts/install-deps.sh
scripts/build.sh >/dev/null
scripts/build-windows.sh >/dev/null

work=build/bench
rm -rf "$work"
for folder in program quiet; do
  mkdir -p "$work/$folder"
  cp build/kivrel "$work/$folder/"
  cp build/kivrel-gui.so "$work/$folder/" 2>/dev/null || true
done
# Settings that exercise every rule; and the same without the exchange.
printf '25.4\r\n25.4\r\n25.4\r\n25.4\r\n1.5\r\nTrue\r\n10\r\n1000.\r\nFalse\r\nEOF\r\n' > "$work/program/kivrel.prm"
printf '25.4\r\n25.4\r\n25.4\r\n25.4\r\n1.5\r\nFalse\r\n10\r\n1000.\r\nFalse\r\nEOF\r\n' > "$work/quiet/kivrel.prm"
kivrel="$PWD/$work/program/kivrel"
quiet="$PWD/$work/quiet/kivrel"

now() { date +%s%N; }

# median_seconds RUNS COMMAND...: median wall time of RUNS runs after a warm-up.
median_seconds() {
  local n=$1; shift
  "$@" >/dev/null 2>&1
  local times=()
  for ((i = 0; i < n; i++)); do
    local start end
    start=$(now); "$@" >/dev/null 2>&1; end=$(now)
    times+=("$(( end - start ))")
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "%.4f", a[int((NR+1)/2)] / 1e9}'
}

# alternating_medians RUNS COMMAND... -- COMMAND... [-- COMMAND...]: the
# commands run in turn, RUNS rounds after a warm-up round, so that a change
# in the machine's speed meets each alike; the median wall time of each.
alternating_medians() {
  local n=$1; shift
  local commands=() current="" word round c start end
  for word in "$@"; do
    if [ "$word" = -- ]; then commands+=("$current"); current=""; else current+="$(printf '%q ' "$word")"; fi
  done
  commands+=("$current")
  local -A times=()
  for ((round = 0; round <= n; round++)); do
    for c in "${!commands[@]}"; do
      start=$(now)
      eval "${commands[$c]}" >/dev/null 2>&1 || { echo "bench: failed: ${commands[$c]}" >&2; exit 1; }
      end=$(now)
      [ $round -gt 0 ] && times[$c]+="$(( end - start )) "
    done
  done
  for c in "${!commands[@]}"; do
    printf '%s\n' ${times[$c]} | sort -n | awk '{a[NR]=$1} END {printf "%.4f ", a[int((NR+1)/2)] / 1e9}'
  done
  echo
}

# same_bytes_on_any_threads PROGRAM INPUT: the outputs of 2 and 8 worker
# threads and of one for each processor against that of the starting thread
# alone; the script fails where they differ.
same_bytes_on_any_threads() {
  local program=$1 input=$2 threads
  KIVREL_THREADS=1 headless "$program" "$input" 2>/dev/null
  mv "${input%.nc}.pr1" "$work/one-thread.pr1"
  for threads in 2 8 ""; do
    KIVREL_THREADS=$threads headless "$program" "$input" 2>/dev/null
    cmp -s "${input%.nc}.pr1" "$work/one-thread.pr1" ||
      { echo "bench: ${threads:-one per processor} worker threads wrote other bytes than one for $input" >&2; exit 1; }
  done
  rm -f "${input%.nc}.pr1" "$work/one-thread.pr1"
}

peak_kib() { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -n 1; }

copy() { rm -f "$2"; cp "$1" "$2"; }
stream() { cat "$1" > "$2"; }
blocks() { dd if="$1" of="$2" bs=64K status=none; }
no_display=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
offscreen=(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen)
headless() { "${no_display[@]}" "$@"; }
windowed() { "${offscreen[@]}" "$@"; }

one_core=(taskset -c 0)

# The instructions of a headless conversion of INPUT by PROGRAM under
# callgrind, all threads together (its logs named after NAME in $work); the
# environment's KIVREL_THREADS chooses the threads.
callgrind_instructions() {
  local name=$1 program=$2 input=$3
  "${no_display[@]}" valgrind --tool=callgrind --callgrind-out-file="$work/$name.out" "$program" "$input" \
    2>"$work/$name.log" >/dev/null
  grep -oP 'Collected : \K[0-9]+' "$work/$name.log" || grep -oP 'refs:\s+\K[0-9,]+' "$work/$name.log" | tr -d ,
}
printf '%-10s %-10s %10s %10s %8s %8s %12s\n' size case seconds MB/s "x dd" "x cp" "peak KiB"
for size in "${sizes[@]}"; do
  input="$PWD/$work/program-$size.nc"
  plain="$PWD/$work/plain-$size.nc"
  build/kivrel_generate "$size" "$input"
  build/kivrel_generate "$size" "$plain" 1 plain
  bytes=$(stat -c %s "$input")
  # A notice would wait in its message box for an operator.
  notices=$(headless "$quiet" "$plain" 2>&1 >/dev/null)
  [ -z "$notices" ] || { echo "the windowed case's program raises notices: $notices" >&2; exit 1; }
  cp_s=$(median_seconds $runs copy "$input" "$work/copy.nc")
  dd_s=$(median_seconds $runs blocks "$input" "$work/copy.nc")
  for case in cp dd cat headless one-core headless* windowed; do
    case $case in
      cp) s=$cp_s; peak=$(peak_kib cp "$input" "$work/copy2.nc") ;;
      dd) s=$dd_s; peak=$(peak_kib dd if="$input" of="$work/copy2.nc" bs=64K status=none) ;;
      cat) s=$(median_seconds $runs stream "$input" "$work/copy.nc"); peak=$(peak_kib cat "$input") ;;
      headless) s=$(median_seconds $runs headless "$kivrel" "$input"); peak=$(peak_kib "${no_display[@]}" "$kivrel" "$input")
        all_cores_s=$s ;;
      one-core) s=$(median_seconds $runs headless "${one_core[@]}" "$kivrel" "$input")
        peak=$(peak_kib "${no_display[@]}" "${one_core[@]}" "$kivrel" "$input"); one_core_s=$s ;;
      headless\*) s=$(median_seconds $runs headless "$quiet" "$plain"); peak=$(peak_kib "${no_display[@]}" "$quiet" "$plain") ;;
      windowed) s=$(median_seconds $runs windowed "$quiet" "$plain"); peak=$(peak_kib "${offscreen[@]}" "$quiet" "$plain") ;;
    esac
    awk -v size="$size" -v c="$case" -v s="$s" -v b="$bytes" -v dd="$dd_s" -v cp="$cp_s" -v p="$peak" \
      'BEGIN {printf "%-10s %-10s %10.4f %10.1f %8.2f %8.2f %12s\n", size, c, s, (s > 0 ? b / s / 1e6 : 0),
              (dd > 0 ? s / dd : 0), (cp > 0 ? s / cp : 0), p}'
  done
  awk -v size="$size" -v all="$all_cores_s" -v one="$one_core_s" -v cores="$(nproc)" \
    'BEGIN {printf "%-10s every core (%d) %.2f x as fast as one\n", size, cores, (all > 0 ? one / all : 0)}'
  # dd, every core and one core in turn, each round alike.
  read -r dd_alt all_alt one_alt < <(alternating_medians $runs blocks "$input" "$work/copy.nc" -- \
    "${no_display[@]}" "$kivrel" "$input" -- "${no_display[@]}" env KIVREL_THREADS=1 "$kivrel" "$input")
  awk -v size="$size" -v dd="$dd_alt" -v all="$all_alt" -v one="$one_alt" \
    'BEGIN {printf "%-10s alternating: dd %.4f s, every core %.4f s (%.2f x dd), one thread %.4f s (%.2f x dd); the second core %.2f x\n",
            size, dd, all, (dd > 0 ? all / dd : 0), one, (dd > 0 ? one / dd : 0), (all > 0 ? one / all : 0)}'
  rm -f "$work/copy.nc" "$work/copy2.nc" "${input%.nc}.pr1" "${plain%.nc}.pr1"
done

# A short program: the start and the end of the process, no thread.
input="$PWD/$work/ten-lines.nc"
printf 'G1 X1 Y2 F100\r\n%.0s' 1 2 3 4 5 6 7 8 9 10 > "$input"
ten_s=$(median_seconds $((runs * 4)) headless "$kivrel" "$input")
awk -v s="$ten_s" 'BEGIN {printf "a 10-line program: %.4f s\n", s}'
rm -f "${input%.nc}.pr1"

# The Windows build under wine, in one wine session kept up meanwhile.
mkdir -p "$work/windows"
cp build-windows/kivrel.exe "$work/windows/"
cp "$work/program/kivrel.prm" "$work/windows/"
input="$PWD/$work/windows-$windows_size.nc"
build/kivrel_generate "$windows_size" "$input"
bytes=$(stat -c %s "$input")
export KIVREL_WINEPREFIX="${KIVREL_WINEPREFIX:-${HOME:-/tmp}/.wine-kivrel}"
wineserver() { WINEPREFIX="$KIVREL_WINEPREFIX" /usr/lib/wine/wineserver64 "$@" || true; }
wineserver -k; wineserver -w; wineserver -p
trap 'wineserver -k' EXIT
windows() { "${no_display[@]}" scripts/wine-run.sh "$@"; }
windows_input="Z:$(echo "$input" | tr / '\\')"
linux_s=$(median_seconds $runs headless "$kivrel" "$input")
linux_peak=$(peak_kib "${no_display[@]}" "$kivrel" "$input")
windows_s=$(median_seconds $runs windows "$work/windows/kivrel.exe" "$windows_input")
windows_peak=$(peak_kib "${no_display[@]}" scripts/wine-run.sh "$work/windows/kivrel.exe" "$windows_input")
mv "${input%.nc}.pr1" "$work/windows.pr1"
headless "$kivrel" "$input" 2>/dev/null
cmp -s "${input%.nc}.pr1" "$work/windows.pr1" ||
  { echo "the Windows build wrote other bytes than the Linux build" >&2; exit 1; }
rm -f "$work/windows.pr1"
awk -v size="$windows_size" -v l="$linux_s" -v w="$windows_s" -v b="$bytes" -v lp="$linux_peak" -v wp="$windows_peak" \
  'BEGIN {printf "%-10s %-10s %10.4f %10.1f %8s %12s\n", size, "linux", l, b / l / 1e6, "", lp;
          printf "%-10s %-10s %10.4f %10.1f %8s %12s\n", size, "windows", w, b / w / 1e6, "", wp;
          printf "windows under wine: %.2f x the Linux build\n", w / l}'
rm -f "${input%.nc}.pr1"

input="$PWD/$work/callgrind.nc"
build/kivrel_generate "$callgrind_size" "$input"
bytes=$(stat -c %s "$input")
instructions=$(callgrind_instructions callgrind "$kivrel" "$input")
one_thread_instructions=$(KIVREL_THREADS=1 callgrind_instructions callgrind-1 "$kivrel" "$input")
awk -v i="$instructions" -v one="$one_thread_instructions" -v b="$bytes" -v cores="$(nproc)" \
  'BEGIN {printf "callgrind: %d instructions for %d bytes: %.1f instructions per input byte on every core (%d), %.1f on one thread\n",
          i, b, i / b, cores, one / b}'
# The same bytes however many threads convert, on a program long enough
# for threads to start (1 MiB) even in the smoke run.
threads_input="$PWD/$work/threads.nc"
build/kivrel_generate 1500000 "$threads_input"
same_bytes_on_any_threads "$kivrel" "$threads_input"

# A machine's calibration (X 1.002, Y 0.998): arcs come out as pieces along
# their image. Its speed on every core, its instructions per input byte, and
# how much the output grows in lines and bytes against the same program
# under scales of 1, on a program whose arcs start where the tool stands.
mkdir -p "$work/calibration" "$work/unscaled"
cp build/kivrel "$work/calibration/"
cp build/kivrel "$work/unscaled/"
printf '0.998\r\n1.002\r\n1\r\n1\r\n1\r\nFalse\r\n0\r\n0.\r\nFalse\r\nEOF\r\n' > "$work/calibration/kivrel.prm"
printf '1\r\n1\r\n1\r\n1\r\n1\r\nFalse\r\n0\r\n0.\r\nFalse\r\nEOF\r\n' > "$work/unscaled/kivrel.prm"
calibration="$PWD/$work/calibration/kivrel"
unscaled="$PWD/$work/unscaled/kivrel"
calibration_input="$PWD/$work/calibration-${sizes[0]}.nc"
build/kivrel_generate "${sizes[0]}" "$calibration_input" 1 arcs
calibration_bytes=$(stat -c %s "$calibration_input")
calibration_s=$(median_seconds $runs headless "$calibration" "$calibration_input")
headless "$unscaled" "$calibration_input" 2>/dev/null; mv "${calibration_input%.nc}.pr1" "$work/unscaled.pr1"
headless "$calibration" "$calibration_input" 2>/dev/null
awk -v size="${sizes[0]}" -v s="$calibration_s" -v b="$calibration_bytes" \
  -v lines="$(wc -l < "${calibration_input%.nc}.pr1")" -v plain_lines="$(wc -l < "$work/unscaled.pr1")" \
  -v out="$(stat -c %s "${calibration_input%.nc}.pr1")" -v plain_out="$(stat -c %s "$work/unscaled.pr1")" \
  'BEGIN {printf "%-10s calibration %.4f s, %.1f MB/s; output %d lines, %d bytes: %.3f x and %.3f x those under scales of 1\n",
          size, s, b / s / 1e6, lines, out, lines / plain_lines, out / plain_out}'
rm -f "${calibration_input%.nc}.pr1" "$work/unscaled.pr1"
build/kivrel_generate 1500000 "$threads_input" 1 arcs
same_bytes_on_any_threads "$calibration" "$threads_input"
rm -f "$threads_input"
build/kivrel_generate "$callgrind_size" "$work/calibration/callgrind.nc" 1 arcs
calibration_instructions=$(callgrind_instructions calibration "$calibration" "$PWD/$work/calibration/callgrind.nc")
calibration_one=$(KIVREL_THREADS=1 callgrind_instructions calibration-1 "$calibration" "$PWD/$work/calibration/callgrind.nc")
awk -v i="$calibration_instructions" -v one="$calibration_one" -v b="$(stat -c %s "$work/calibration/callgrind.nc")" \
  'BEGIN {printf "callgrind, calibration: %.0f instructions for %d bytes: %.1f instructions per input byte on every core, %.1f on one thread\n",
          i, b, i / b, one / b}'
rm -f "$work/calibration/callgrind.pr1"

# The line scan in plain C++, as processors without SSE2 (64-bit ARM) run it,
# against the SSE2 scan: the same bytes out, the instructions per input byte
# on the same program, and the time of the largest program on every core and
# on one.
cmake -S . -B build-portable -DKIVREL_WERROR=ON -DKIVREL_PORTABLE_SCAN=ON >/dev/null
cmake --build build-portable -j "$(nproc 2>/dev/null || echo 2)" --target kivrel >/dev/null
mkdir -p "$work/portable"
cp build-portable/kivrel "$work/program/kivrel.prm" "$work/portable/"
portable="$PWD/$work/portable/kivrel"
mv "${input%.nc}.pr1" "$work/sse2.pr1"
portable_instructions=$(callgrind_instructions portable "$portable" "$input")
cmp -s "${input%.nc}.pr1" "$work/sse2.pr1" ||
  { echo "the plain C++ line scan wrote other bytes than the SSE2 scan" >&2; exit 1; }
rm -f "${input%.nc}.pr1" "$work/sse2.pr1"
awk -v i="$portable_instructions" -v s="$instructions" -v b="$bytes" \
  'BEGIN {printf "callgrind, plain C++ scan: %d instructions for %d bytes: %.1f instructions per input byte (%.2f x SSE2)\n",
          i, b, i / b, i / s}'
input="$PWD/$work/program-${sizes[-1]}.nc"
sse2_s=$(median_seconds $runs headless "$kivrel" "$input")
portable_s=$(median_seconds $runs headless "$portable" "$input")
sse2_one_s=$(median_seconds $runs headless "${one_core[@]}" "$kivrel" "$input")
portable_one_s=$(median_seconds $runs headless "${one_core[@]}" "$portable" "$input")
rm -f "${input%.nc}.pr1"
awk -v size="${sizes[-1]}" -v s="$sse2_s" -v p="$portable_s" -v s1="$sse2_one_s" -v p1="$portable_one_s" \
  'BEGIN {printf "%-10s plain C++ scan: every core %.4f s (SSE2 %.4f s, %.2f x), one core %.4f s (SSE2 %.4f s, %.2f x)\n",
          size, p, s, (s > 0 ? p / s : 0), p1, s1, (s1 > 0 ? p1 / s1 : 0)}'
