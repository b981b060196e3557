#!/usr/bin/env bash
# Picks the scene's icons from the Tabler outline set (MIT, npm package @tabler/icons),
# renames them to the names the scene uses and writes them to src/icons/ with the set's
# LICENSE. The strokes are written white: IconMark tints them to any colour.
# Needs npm and network; the build itself only uses the committed files.
#   scripts/pick-icons.sh [version]     (default: the version below)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
version=${1:-3.54.0}
out="$top/src/icons"

# scene name -> tabler outline name
table='
sync arrows-exchange
link link
ink bottle
fire flame
supplies truck-delivery
warning alert-triangle
key key
droplet droplet
flag flag
play player-play
ruler ruler
roller paint
employees users
plus plus
info info-circle
megaphone speakerphone
upload upload
lock lock
roll cylinder
bolt bolt
home home
phone phone
copy copy
close x
cloud cloud
open external-link
message message
scripts terminal-2
warehouse building-warehouse
mail mail
download download
flame campfire
search search
trash trash
update refresh-dot
save device-floppy
warehouses buildings
error alert-circle
box box
consumables package
scissors scissors
bug bug
printer printer
defects photo-x
star star
folder folder
palette palette
stop player-stop
gear settings-2
settings settings
bugs bug
shield shield
bell bell
help help-circle
success circle-check
refresh refresh
brush brush
orders clipboard-list
delete trash-x
server server
eye eye
danger alert-octagon
chat messages
'

if ! command -v npm >/dev/null; then
  echo "pick-icons: npm is missing (apt-get install npm)" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && npm pack --silent "@tabler/icons@$version" >/dev/null && tar xzf tabler-icons-*.tgz)
src="$work/package/icons/outline"
mkdir -p "$out"
count=0
while read -r name tabler; do
  [ -n "$name" ] || continue
  if [ ! -f "$src/$tabler.svg" ]; then
    echo "pick-icons: $tabler.svg is not in @tabler/icons $version" >&2
    exit 1
  fi
  # White strokes, no class attribute, one line per element.
  sed -e 's/currentColor/#FFFFFF/g' -e '/^  class=/d' "$src/$tabler.svg" >"$out/$name.svg"
  count=$((count + 1))
done <<<"$table"
{
  echo "The SVG icons in this folder (all files except app.ico) are taken from Tabler Icons"
  echo "$version (https://tabler.io/icons), renamed by scripts/pick-icons.sh, under this licence:"
  echo
  cat "$work/package/LICENSE"
} >"$out/LICENSE.tabler-icons"
echo "pick-icons: $count icons written to $out"
