#!/usr/bin/env bash
# bench.sh: builds the Release tree (build/bench, no tests) and runs every benchmark program, then
# the start-up and idle measurements of the real updater under Xvfb, and prints a summary.
#   BENCH_MIN_TIME  seconds each micro-benchmark runs at least (default 0.3)
#   BENCH_JOBS      parallel build jobs (default 2)
#   BENCH_FILTER    only the programs whose name holds this text (e.g. startup)
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
build=$root/build/bench
min_time=${BENCH_MIN_TIME:-0.3}
jobs=${BENCH_JOBS:-2}
out=$build/results
mkdir -p "$out"

# Warnings are not errors here: GCC 12 at -O3 raises a false -Wrestrict inside std::string, and a
# measurement should not stop on it (the test builds keep warnings as errors).
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNET_BUILD_TESTS=OFF \
  -DVARNET_BUILD_BENCH=ON -DVARNET_WERROR=OFF >"$out/configure.log" || { cat "$out/configure.log"; exit 1; }
cmake --build "$build" -j "$jobs" >"$out/build.log" 2>&1 || { tail -n 40 "$out/build.log"; exit 1; }

programs=()
for source in "$root"/bench/*.cpp; do
  name=$(basename "$source" .cpp)
  [ "$name" = startup ] && continue   # runs last: it starts the real updater
  programs+=("$name")
done
programs+=(startup)

rm -f "$out"/*.json
failed=()
for name in "${programs[@]}"; do
  case "$name" in *"${BENCH_FILTER:-}"*) ;; *) continue;; esac
  echo "== bench_$name"
  args=(--benchmark_out="$out/$name.json" --benchmark_out_format=json)
  # The start-up program fixes its own iteration counts; the others run for the short minimum time.
  [ "$name" = startup ] || args+=(--benchmark_min_time="$min_time")
  "$build/bench/bench_$name" "${args[@]}" || failed+=("$name")
done

echo
echo "== Summary ($(lscpu | sed -n 's/^Model name: *//p' | head -n1), $(nproc) cores, Linux $(uname -r))"
python3 - "$out" <<'EOF'
import json, glob, os, sys

rows, by_name = [], {}
for path in sorted(glob.glob(os.path.join(sys.argv[1], "*.json"))):
    with open(path) as f:
        data = json.load(f)
    for b in data.get("benchmarks", []):
        if b.get("run_type") == "aggregate":
            continue
        by_name[b["name"]] = b
        rows.append((os.path.basename(path)[:-5], b))

def ns(b, key="real_time"):
    scale = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[b.get("time_unit", "ns")]
    return b[key] * scale

def readable(nanoseconds):
    for unit, scale in (("s", 1e9), ("ms", 1e6), ("us", 1e3)):
        if nanoseconds >= scale:
            return "%.3g %s" % (nanoseconds / scale, unit)
    return "%.3g ns" % nanoseconds

def time_text(b):
    if b.get("error_occurred"):
        return "skipped: " + b.get("error_message", "")
    # With manual time the processor column is the harness's own, not the measured program's.
    if "manual_time" in b["name"]:
        return readable(ns(b)) + " / -"
    return readable(ns(b)) + " / " + readable(ns(b, "cpu_time"))

skip = {"name", "family_index", "per_family_instance_index", "run_name", "run_type", "repetitions",
        "repetition_index", "threads", "iterations", "real_time", "cpu_time", "time_unit",
        "error_occurred", "error_message"}
def extras(b):
    parts = []
    for key, value in b.items():
        if key in skip or not isinstance(value, (int, float)):
            continue
        if key.endswith("_per_second"):
            parts.append("%s %.3g/s" % (key[:-11], value))
        else:
            parts.append("%s %.3g" % (key, value))
    return ", ".join(parts)

print("%-14s %-50s %-22s %s" % ("program", "benchmark", "wall / cpu", "counters"))
for program, b in rows:
    print("%-14s %-50s %-22s %s" % (program, b["name"], time_text(b), extras(b)))


print()
both, alone = by_name.get("BM_UploadRow256"), by_name.get("BM_SimulatorAloneRow256")
if both and alone and not both.get("error_occurred") and not alone.get("error_occurred"):
    # Processor time: both run on one thread, and on a busy machine the wall time waits for others.
    total, sim = ns(both, "cpu_time"), ns(alone, "cpu_time")
    print("per uploaded 256-byte row (cpu): host + simulator %.3g us, simulator alone %.3g us, host %.3g us"
          % (total / 1e3, sim / 1e3, (total - sim) / 1e3))
start = by_name.get("BM_StartupToFirstFrame")
if start and not start.get("error_occurred"):
    mean = ns(start) / 1e6
    print("start-up to first frame: mean %.1f ms (min %.1f, max %.1f, cold %.1f; cpu %.1f ms): %s"
          % (mean, start["min_ms"], start["max_ms"], start["cold_ms"], start["cpu_ms"],
             "within the 200 ms goal" if mean < 200 else "ABOVE the 200 ms goal"))
idle = by_name.get("BM_IdleOnWelcomePage")
if idle and not idle.get("error_occurred"):
    print("idle on the welcome page: %.2f%% of one core (scheduler: %.2f%%; X server %.2f%%), %.0f context switches/s: %s"
          % (idle["cpu_percent"], idle["run_percent"], idle["xserver_percent"], idle["switches_per_s"],
             "within the 1% goal" if idle["cpu_percent"] < 1 else "ABOVE the 1% goal"))
EOF

if [ ${#failed[@]} -gt 0 ]; then
  echo "failed: ${failed[*]}" >&2
  exit 1
fi
