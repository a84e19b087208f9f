# Sourced by the Wine benchmarks (bench/<topic>/run). Needs ROOT.
#
#   wine_bench_presets     the Windows presets this machine runs: win64, and
#                          win32 when the kernel runs 32-bit code
#   bench_tree PRESET      the benchmark build tree of a preset
#   name_target PRESET     a filter that names the target (x86_64 or i686)
#                          in each BENCH line that does not name it yet

wine_bench_presets() {
  echo win64
  if bash "$ROOT/tools/probe-32bit"; then
    echo win32
  else
    echo "bench: this kernel runs no 32-bit code; the i686 benchmarks are skipped" >&2
  fi
}

bench_tree() { echo "build/bench-$1"; }

name_target() {
  local target
  case $1 in
    win64) target=x86_64 ;;
    win32) target=i686 ;;
    *) target=$1 ;;
  esac
  sed -E "/ target=/! s/^(BENCH [^ ]+)/\1 target=$target/"
}
