#!/usr/bin/env bash
# Writes demo label files for the UIDs of vorn-devserver's demo orders, named and sized
# the way the workshop's folders hold them, into <folder>/{uid,wb,ozon,ym-labels}:
#   uid/        uidSearchRoot1    wb/  wbPath    ozon/  ozonPath    ym-labels/  yandexLabelsPath
# Existing files are left alone (a printed, renamed label stays printed); --reset
# removes the folders first. Needs ImageMagick's convert (scripts/setup.sh installs it).
#
#   scripts/make-demo-labels.sh [--reset] <folder>
set -euo pipefail

reset=0
if [ "${1:-}" = "--reset" ]; then
  reset=1
  shift
fi
out=${1:?usage: make-demo-labels.sh [--reset] <folder>}

if ! command -v convert >/dev/null; then
  echo "make-demo-labels: ImageMagick's convert is missing (run scripts/setup.sh)" >&2
  exit 1
fi
if [ "$reset" -eq 1 ]; then
  rm -rf "$out/uid" "$out/wb" "$out/ozon" "$out/ym-labels"
fi
mkdir -p "$out/uid" "$out/wb/$(date +%Y-%m-%d)" "$out/ozon" "$out/ym-labels"

font=""
for candidate in /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf; do
  [ -f "$candidate" ] && { font=$candidate; break; }
done

# label <file> <width mm> <height mm> <dpi> <uid> <caption>
# A white label with a frame and the UID. PNG files carry their resolution (so the
# client prints them on a page of the label's size); PDF files get a page of exactly
# that size.
label() {
  local file=$1 wmm=$2 hmm=$3 dpi=$4 uid=$5 caption=$6
  [ -e "$file" ] && return 0
  # Printed already (renamed by the client): do not bring the unprinted one back.
  local dir
  dir=$(dirname "$file")
  if compgen -G "$dir/напечатано*${uid}*" >/dev/null; then
    return 0
  fi
  case "$file" in
    *.pdf) pdf_label "$file" "$wmm" "$hmm" "$uid" ;;
    *) png_label "$file" "$wmm" "$hmm" "$dpi" "$uid" "$caption" ;;
  esac
  echo "make-demo-labels: $file"
}

png_label() {
  local file=$1 wmm=$2 hmm=$3 dpi=$4 uid=$5 caption=$6
  local w=$(( wmm * dpi * 10 / 254 )) h=$(( hmm * dpi * 10 / 254 ))
  local point=$(( h / 6 ))
  local fontarg=()
  [ -n "$font" ] && fontarg=(-font "$font")
  convert -size "${w}x${h}" xc:white -fill none -stroke black -strokewidth 4 \
    -draw "rectangle 6,6 $((w - 7)),$((h - 7))" -stroke none -fill black "${fontarg[@]}" \
    -gravity center -pointsize "$point" -annotate +0-$((point / 2)) "$uid" \
    -pointsize $((point / 2)) -annotate +0+$((point * 3 / 4)) "$caption" \
    -units PixelsPerInch -density "$dpi" "$file"
}

# ImageMagick's policy forbids writing PDF on Debian: Ghostscript (which cups-pdf
# brings) draws the page from a few lines of PostScript instead.
pdf_label() {
  local file=$1 wmm=$2 hmm=$3 uid=$4
  local w h
  w=$(awk "BEGIN { printf \"%.2f\", $wmm * 72 / 25.4 }")
  h=$(awk "BEGIN { printf \"%.2f\", $hmm * 72 / 25.4 }")
  if ! gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite -dFIXEDMEDIA \
      -dDEVICEWIDTHPOINTS="$w" -dDEVICEHEIGHTPOINTS="$h" -sOutputFile="$file" \
      -c "/w $w def /h $h def 1 setlinewidth 3 3 w 6 sub h 6 sub rectstroke" \
         "/centre { /y exch def dup stringwidth pop w exch sub 2 div y moveto show } def" \
         "/Helvetica-Bold findfont h 7 div scalefont setfont ($uid) h 2 div centre" \
         "/Helvetica findfont h 14 div scalefont setfont (${wmm} x ${hmm} mm) h 4 div centre" \
         "showpage" -f; then
    rm -f "$file"
    return 1
  fi
}

wb_day="$out/wb/$(date +%Y-%m-%d)"
# Orders the devserver judges (see devserver/DemoScanOrders.h).
label "$wb_day/печать_P01PACK2WB_Море 60х40.png"          58 40 203 P01PACK2WB "Море 60х40"
label "$out/ym-labels/печать_P01PACK3YM.pdf"              75 120 203 P01PACK3YM "Яндекс Маркет"
label "$out/ozon/самовыкуп_P01WAIT4QZ_Кот 30х40.pdf"       58 40 203 P01WAIT4QZ "Кот 30х40"
label "$out/uid/расход_P01MPERR8Z_Горы 40х60.png"          58 40 203 P01MPERR8Z "Горы 40х60"
label "$out/uid/P01DUPL5WB.png"                           58 40 203 P01DUPL5WB "повтор"
label "$out/uid/P01CANC6WB.png"                           58 40 203 P01CANC6WB "отменён"
label "$out/uid/печать_512345_Лес 50х70.pdf"               58 40 203 512345 "Лес 50х70"
label "$out/ozon/печать_512346.png"                        58 40 203 512346 "Озон"
# Warehouse label files (Склады page): "<mode>_<article>_<barcode>", the places of the
# barcodes come from the devserver's warehouse lookup. The expense file of 204512345678
# stays hidden behind its self-buy file; К_, POS_ and КОМ_01 articles may be printed by hand.
label "$out/wb/самовыкуп_К_Пионы-60x40_row_204512345678.png"  58 40 203 204512345678 "Пионы самовыкуп"
label "$out/wb/расход_К_Пионы-60x40_row_204512345678.png"     58 40 203 204512345678 "Пионы расход"
label "$out/wb/Море-60x40_row_204598765432.png"               58 40 203 204598765432 "Море"
label "$out/ozon/POS_Кот-в-очках_300123456.pdf"                58 40 203 300123456 "Кот в очках"
label "$out/ym-labels/КОМ_01_Лес_77012345.png"                 58 40 203 77012345 "Лес"
# Prints of the demo archive, for reprints.
label "$wb_day/печать_P01A7K3M9Q_Пионы в тумане 300х270.png" 58 40 203 P01A7K3M9Q "Пионы в тумане"
label "$out/ozon/печать_P01B8L4N2R_Сосновый бор.pdf"        58 40 203 P01B8L4N2R "Сосновый бор"
label "$out/ym-labels/печать_P01C9M5P3S_Кот в очках 30х30.png" 58 40 203 P01C9M5P3S "Кот в очках"
exit 0
