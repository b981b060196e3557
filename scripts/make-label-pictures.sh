#!/usr/bin/env bash
# Makes the README's pictures of every label kind: vorn-label-samples writes the PDFs,
# poppler renders them at the thermal printer's 203 dpi, and zbarimg must read each
# code back before a picture is kept.
#
#   scripts/make-label-pictures.sh [build folder] [output folder]
set -euo pipefail

build=${1:-build}
out=${2:-docs/labels}
tool="$build/bin/vorn-label-samples"
if [ ! -x "$tool" ]; then
  cmake --build "$build" --target vorn-label-samples >/dev/null
fi
for cmd in pdftoppm zbarimg; do
  command -v "$cmd" >/dev/null || { echo "make-label-pictures: $cmd is missing (run scripts/setup.sh)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
QT_QPA_PLATFORM=offscreen "$tool" "$work"
mkdir -p "$out"
for pdf in "$work"/*.pdf; do
  name=$(basename "$pdf" .pdf)
  pdftoppm -r 203 -png -singlefile "$pdf" "$work/$name"
  if ! decoded=$(zbarimg --quiet --raw "$work/$name.png"); then
    echo "make-label-pictures: $name does not scan" >&2
    exit 1
  fi
  cp "$work/$name.png" "$out/$name.png"
  echo "$name: $decoded"
done
