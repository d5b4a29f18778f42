#!/usr/bin/env bash
# Times norvalis-cli scans of generated trees against other ways of doing the same
# work, checks that every program found the same duplicate groups, and prints a
# table of median wall time, peak memory and the ratio to Norvalis.
#
# Usage: bench/compare_peers.sh [options] [PRESET...]     (default presets: small large)
#   --quick            preset tiny, one run, no million-file tree: a smoke test
#   --runs N           timed runs per program after the warm-up (default 3)
#   --million          also the million-file tree: walk and memory per file
#   --peer LABEL=CMD   another program to time; CMD is run by bash with {tree} replaced
#                      by the folder to scan and {out} by a file it must write the groups
#                      to (one full path per line, a blank line between groups).
#                      Empty files must be left out. May be given more than once.
#   --no-build         use the norvalis-cli found at $NORVALIS_CLI as it is
#
# Built-in programs, all leaving empty files out (norvalis gets --skip-zero):
#   norvalis-sha256    norvalis-cli scan --mode sha256 --no-cache --quiet --skip-zero
#   norvalis-bytes     norvalis-cli scan --mode bytes  --no-cache --quiet --skip-zero
#   size+sha256sum     find, keep files whose size another file shares, sha256sum them,
#                      group equal digests: the plain shell way, a floor to beat
#   walk-only          find listing size and path of every file: what the walk costs
#   fdupes             fdupes -r -q -n   (-n: empty files left out)
#   jdupes             jdupes -r -q      (leaves empty files out by default)
#   rmlint             rmlint -T df -o fdupes:OUT (duplicates only; its reports go to
#                      the scratch folder, never into the tree)
# (fdupes, jdupes and rmlint are Debian's packages, installed by
# `scripts/install-deps.sh bench`; they serve here as peers to measure against.)
# Then a warm checksum cache: one scan filling a fresh --cache database (timed, the
# first scan), then timed scans reading it.
#
# Environment: NORVALIS_BENCH_DIR (trees, default /var/tmp/norvalis-bench; keep it
# outside the repository), NORVALIS_BUILD_DIR (default build-bench), NORVALIS_CLI.
# The trees are reused when their stamp matches (see make_tree.py).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo="$(dirname "$here")"
bench_dir="${NORVALIS_BENCH_DIR:-/var/tmp/norvalis-bench}"
build_dir="${NORVALIS_BUILD_DIR:-$repo/build-bench}"
cli="${NORVALIS_CLI:-$build_dir/src/cli/norvalis-cli}"

runs=3
presets=()
million=0
build=1
peers=()
while [ $# -gt 0 ]; do
  case "$1" in
    --quick) presets=(tiny); runs=1 ;;
    --runs) runs="$2"; shift ;;
    --million) million=1 ;;
    --peer) peers+=("$2"); shift ;;
    --no-build) build=0 ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    -*) echo "unknown option: $1" >&2; exit 2 ;;
    *) presets+=("$1") ;;
  esac
  shift
done
[ ${#presets[@]} -gt 0 ] || presets=(small large)

"$repo/scripts/install-deps.sh" bench

if [ "$build" -eq 1 ]; then
  if [ ! -f "$build_dir/build.ninja" ]; then
    cmake -S "$repo" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DNORVALIS_BUILD_UI=OFF >/dev/null
  fi
  cmake --build "$build_dir" --target norvalis-cli >/dev/null
fi
[ -x "$cli" ] || { echo "norvalis-cli not found at $cli" >&2; exit 1; }

work="$(mktemp -d /tmp/norvalis-bench-run.XXXXXX)"
trap 'rm -rf "$work"' EXIT
# Logs, settings and the default cache of the scans go to the scratch folder.
export XDG_DATA_HOME="$work/xdg/data" XDG_CONFIG_HOME="$work/xdg/config"
export XDG_STATE_HOME="$work/xdg/state" XDG_CACHE_HOME="$work/xdg/cache"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$XDG_CACHE_HOME"
results="$work/results.tsv"  # preset program median_s peak_kib groups_ok runs
: >"$results"

# The command line of a program; {tree} and {out} are filled in by run_once.
command_of() {
  case "$1" in
    norvalis-sha256) echo "'$cli' scan --mode sha256 --no-cache --quiet --skip-zero --output {out} {tree}" ;;
    norvalis-bytes) echo "'$cli' scan --mode bytes --no-cache --quiet --skip-zero --output {out} {tree}" ;;
    norvalis-cache) echo "'$cli' scan --mode sha256 --cache '$work/cache.db' --quiet --skip-zero --output {out} {tree}" ;;
    size+sha256sum)
      # Paths holding a tab or a new line are not expected in generated trees.
      echo "find {tree} -type f -size +0 -printf '%s\t%p\n' \
        | awk -F'\t' '{n[\$1]++; s[NR]=\$1; p[NR]=\$2} END {for (i = 1; i <= NR; i++) if (n[s[i]] > 1) printf \"%s%c\", p[i], 0}' \
        | xargs -0 -r sha256sum | sort \
        | awk '{h = substr(\$0, 1, 64); f = substr(\$0, 67); if (h == last) {if (!open) print first; print f; open = 1} else {if (open) print \"\"; open = 0; first = f} last = h} END {if (open) print \"\"}' >{out}" ;;
    walk-only) echo "find {tree} -type f -printf '%s %p\n' >/dev/null; : >{out}" ;;
    fdupes) echo "fdupes -r -q -n {tree} >{out}" ;;
    jdupes) echo "jdupes -r -q {tree} >{out}" ;;
    rmlint) echo "cd '$work' && rmlint -T df -o fdupes:{out} {tree} >/dev/null" ;;
    *)
      local p
      for p in "${peers[@]}"; do
        if [ "${p%%=*}" = "$1" ]; then echo "${p#*=}"; return; fi
      done
      echo "unknown program $1" >&2; return 1 ;;
  esac
}

# run_once PROGRAM TREE OUT -> appends "seconds peak_kib" to $work/last
run_once() {
  local cmd
  cmd="$(command_of "$1")"
  cmd="${cmd//\{tree\}/\'$2\'}"
  cmd="${cmd//\{out\}/\'$3\'}"
  /usr/bin/time -f '%e %M' -o "$work/last" bash -c "$cmd" || {
    echo "$1 failed on $2" >&2
    echo "fail fail" >"$work/last"
  }
}

median() { sort -g | awk '{v[NR] = $1} END {if (NR == 0) print "nan"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# bench_preset PRESET PROGRAM... : warm-up round, then $runs rounds; each round starts
# with the next program so that none always runs first after another's reads.
bench_preset() {
  local preset="$1"; shift
  local programs=("$@")
  local tree expected
  tree="$(python3 "$here/make_tree.py" --root "$bench_dir" "$preset")"
  expected="$(dirname "$tree")/expected.txt"
  local n=${#programs[@]} round i prog
  for prog in "${programs[@]}"; do
    : >"$work/$preset.$prog.times"
    echo ok >"$work/$preset.$prog.ok"
    if [ "$prog" = norvalis-cache ]; then rm -f "$work/cache.db"; fi
  done
  for ((round = 0; round <= runs; round++)); do
    for ((i = 0; i < n; i++)); do
      prog="${programs[$(((i + round) % n))]}"
      run_once "$prog" "$tree" "$work/out"
      if [ "$prog" = norvalis-cache ] && [ "$round" -eq 0 ]; then
        # The warm-up filled the cache: its time is the first scan's.
        cp "$work/last" "$work/$preset.norvalis-cache-first.times"
      fi
      if [ "$round" -gt 0 ]; then cat "$work/last" >>"$work/$preset.$prog.times"; fi
      if [ "$prog" != walk-only ] && ! python3 "$here/groups.py" same "$expected" "$work/out"; then
        echo "$prog on $preset: groups differ from the expected ones" >&2
        echo DIFFERENT >"$work/$preset.$prog.ok"
      fi
    done
  done
  local file
  for prog in "${programs[@]}" norvalis-cache-first; do
    file="$work/$preset.$prog.times"
    [ -f "$file" ] || continue
    local ok=ok
    [ -f "$work/$preset.$prog.ok" ] && ok="$(cat "$work/$preset.$prog.ok")"
    if [ "$prog" = walk-only ]; then ok="-"; fi
    if [ "$prog" = norvalis-cache-first ]; then ok="$(cat "$work/$preset.norvalis-cache.ok")"; fi
    printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$preset" "$prog" \
      "$(awk '{print $1}' "$file" | median)" "$(awk '{print $2}' "$file" | median)" \
      "$ok" "$(wc -l <"$file")" >>"$results"
  done
}

programs=(norvalis-sha256 norvalis-bytes fdupes jdupes rmlint size+sha256sum walk-only norvalis-cache)
for p in "${peers[@]}"; do programs+=("${p%%=*}"); done
for preset in "${presets[@]}"; do
  echo "== $preset" >&2
  bench_preset "$preset" "${programs[@]}"
done
if [ "$million" -eq 1 ]; then
  echo "== million" >&2
  runs_saved=$runs; runs=1
  million_programs=(norvalis-sha256 fdupes jdupes rmlint walk-only)
  for p in "${peers[@]}"; do million_programs+=("${p%%=*}"); done
  bench_preset million "${million_programs[@]}"
  runs=$runs_saved
fi

# The table: times and memory against norvalis-sha256 of the same preset.
file_count() {
  python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))["files"])' \
    "$bench_dir/$1-seed1/stamp.json"
}
echo
echo "| tree | program | runs | median wall s | peak RSS MiB | time / norvalis-sha256 | memory / norvalis-sha256 | bytes per file | groups |"
echo "|---|---|---|---|---|---|---|---|---|"
while IFS=$'\t' read -r preset prog secs kib ok count; do
  read -r base_s base_kib < <(awk -F'\t' -v p="$preset" '$1 == p && $2 == "norvalis-sha256" {print $3, $4}' "$results")
  files="$(file_count "$preset")"
  awk -v p="$preset" -v g="$prog" -v s="$secs" -v k="$kib" -v bs="$base_s" -v bk="$base_kib" \
    -v ok="$ok" -v n="$count" -v files="$files" 'BEGIN {
      tr = (bs > 0 && s == s + 0) ? sprintf("%.2f", s / bs) : "-";
      mr = (bk > 0 && k == k + 0) ? sprintf("%.2f", k / bk) : "-";
      printf "| %s | %s | %d | %.2f | %.1f | %s | %s | %.0f | %s |\n", p, g, n, s, k / 1024, tr, mr, k * 1024 / files, ok
    }'
done <"$results"
echo
echo "norvalis-cache-first: the one scan that filled the cache; norvalis-cache: the scans that read it."
echo "Peak RSS of a pipeline is that of its largest single process."
if grep -q DIFFERENT "$results"; then exit 1; fi
