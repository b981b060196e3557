#!/usr/bin/env bash
# Syntax-checks the Windows side of src/platform with the MinGW-w64 cross compiler, so the
# Windows implementation keeps compiling while development happens on Linux.
# Checks every src/platform/*.cpp except the POSIX implementations (*_posix.cpp).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
compiler="${MINGW_CXX:-x86_64-w64-mingw32-g++}"

if ! command -v "$compiler" >/dev/null 2>&1; then
  echo "check-windows: $compiler not found (package g++-mingw-w64-x86-64, see scripts/setup.sh)" >&2
  exit 1
fi

shopt -s nullglob
sources=()
for file in "$root"/src/platform/*.cpp; do
  case "$file" in
    *_posix.cpp) ;;
    *) sources+=("$file") ;;
  esac
done

win_sources=("$root"/src/platform/*_win.cpp)
if [ ${#win_sources[@]} -eq 0 ]; then
  echo "check-windows: no src/platform/*_win.cpp found" >&2
  exit 1
fi

failed=0
for file in "${sources[@]}"; do
  if ! "$compiler" -std=c++17 -fsyntax-only -Wall -Wextra \
      -DUNICODE -D_UNICODE -I"$root/src" "$file"; then
    echo "check-windows: FAILED ${file#"$root"/}" >&2
    failed=1
  fi
done

if [ "$failed" -ne 0 ]; then
  exit 1
fi
echo "check-windows: ${#sources[@]} files OK"
