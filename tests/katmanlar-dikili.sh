#!/usr/bin/env bash
# The include check must catch a store file that includes the backup room.
set -u
denetim=$1/cmake/katmanlar.sh
agac=$(mktemp -d)
trap 'rm -rf "$agac"' EXIT
cp -r "$1/store" "$agac/store"
printf '#include "backup/Calisma.hpp"\n' > "$agac/store/Dikili.cpp"
cikti=$(bash "$denetim" "$agac")
kod=$?
echo "$cikti"
[ "$kod" = 1 ] && grep -q '^store/Dikili.cpp:1: store may not include backup/$' <<<"$cikti"
