#!/usr/bin/env bash
# Syntax-checks the Windows side with the MinGW-w64 cross compiler, so the Windows
# implementation keeps compiling while development happens on Linux: every *_win.cpp
# under src/, the portable files of src/platform, and the executable's resource script.
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

mapfile -t win_sources < <(find "$root/src" -name '*_win.cpp' -not -path "$root/src/platform/*" | sort)
sources+=("${win_sources[@]}")
mapfile -t all_win < <(find "$root/src" -name '*_win.cpp')
if [ ${#all_win[@]} -eq 0 ]; then
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
# The resource script, with the version of the project() call filled in.
windres="${MINGW_WINDRES:-x86_64-w64-mingw32-windres}"
if command -v "$windres" >/dev/null 2>&1; then
  version=$(sed -n 's/^project(VornClient VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
  IFS=. read -r major minor patch tweak <<<"$version"
  rc=$(mktemp --suffix=.rc)
  trap 'rm -f "$rc" "$rc.o"' EXIT
  sed -e "s|@VORN_ICON_PATH@|$root/src/icons/app.ico|" -e "s|@PROJECT_VERSION@|$version|g" \
      -e "s|@PROJECT_VERSION_MAJOR@|$major|g" -e "s|@PROJECT_VERSION_MINOR@|$minor|g" \
      -e "s|@PROJECT_VERSION_PATCH@|$patch|g" -e "s|@PROJECT_VERSION_TWEAK@|${tweak:-0}|g" \
      "$root/src/VornClient.rc.in" >"$rc"
  if ! "$windres" "$rc" -O coff -o "$rc.o"; then
    echo "check-windows: FAILED src/VornClient.rc.in" >&2
    exit 1
  fi
fi
echo "check-windows: ${#sources[@]} files and the resource script OK"
