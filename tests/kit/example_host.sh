#!/bin/bash
# example_host.sh <build tree> <toolchain file>
# Installs the build tree into a temporary prefix, checks that its public
# headers include only public headers, builds examples/host against the
# installed package (find_package only) and runs it under Wine with the
# package's bin folder on the DLL search path.
set -euo pipefail
BUILD=$1
TOOLCHAIN=$2
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$BUILD" --prefix "$work/prefix" >/dev/null
cmake -DINCLUDE_DIR="$work/prefix/include" -P "$ROOT/cmake/check-public-headers.cmake"
cmake -S "$ROOT/examples/host" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/build" >/dev/null
# Wine sees the Linux root as drive Z:.
bin="$work/prefix/bin"
export WINEPATH="Z:${bin//\//\\}"
"$BUILD/wine-run" "$work/build/zavrel_host.exe"
