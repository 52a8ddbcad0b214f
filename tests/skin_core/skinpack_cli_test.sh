#!/usr/bin/env bash
# Runs the real skinpack program once: pack a folder, list it, extract a member.
set -euo pipefail
skinpack=$1
temp=$(mktemp -d)
trap 'rm -rf "$temp"' EXIT
mkdir "$temp/src"
printf '[Personality]\r\nName=Cli\r\n' > "$temp/src/Skin.ini"
head -c 3000 /dev/urandom > "$temp/src/Frame.bmp"
"$skinpack" pack "$temp/out.skn" "$temp/src"
"$skinpack" list "$temp/out.skn" > "$temp/list.txt"
printf 'skin.ini\t25\nframe.bmp\t3000\n' | diff - "$temp/list.txt"
"$skinpack" extract "$temp/out.skn" FRAME.BMP "$temp/frame.bmp"
cmp "$temp/src/Frame.bmp" "$temp/frame.bmp"
if "$skinpack" list "$temp/src/Skin.ini" 2>/dev/null; then
  echo "listing a non-package succeeded" >&2
  exit 1
fi
echo "skinpack CLI ok"
