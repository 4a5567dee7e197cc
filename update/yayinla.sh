#!/usr/bin/env bash
# Publishes a build: the bundle packed into an archive, signed with the
# maker's private key, and the feed that names it.
#
#   update/yayinla.sh BUNDLE ARCHIVE ADDRESS FEED < private-key.pem
#       BUNDLE   the built "Ondrak Brimvale.app"
#       ARCHIVE  the archive to write (.tar.gz)
#       ADDRESS  where the archive will be downloaded from (https:// or file://)
#       FEED     the feed file to write
#   update/yayinla.sh --anahtar < private-key.pem
#       prints the public key to build with (-DBRIMVALE_GUNCELLEME_ANAHTARI=...)
#
# A key pair: openssl genpkey -algorithm ed25519 -out private-key.pem
# The private key is read from standard input only, never from an argument.
set -euo pipefail

if [ "${1:-}" = "--anahtar" ]; then
  openssl pkey -in /dev/stdin -pubout -outform DER | tail -c 32 | base64 -w0
  echo
  exit 0
fi
if [ $# -ne 4 ]; then
  sed -n '5,13p' "$0" >&2
  exit 64
fi
paket=${1%/}; arsiv=$2; adres=$3; besleme=$4

# A value of the bundle's Info.plist (ours is XML, one value a line).
bilgi() {
  sed -n "/<key>$1<\/key>/{n;s/.*<string>\(.*\)<\/string>.*/\1/p;}" "$paket/Contents/Info.plist"
}
surum=$(bilgi CFBundleShortVersionString)
yapi=$(bilgi CFBundleVersion)
[ -n "$surum" ] && [ -n "$yapi" ] || { echo "no version in $paket/Contents/Info.plist" >&2; exit 1; }

gecici=$(mktemp "$arsiv.XXXXXX")
trap 'rm -f "$gecici"' EXIT
tar -C "$(dirname "$paket")" --sort=name --owner=0 --group=0 --numeric-owner \
  -czf "$gecici" "$(basename "$paket")"
imza=$(openssl pkeyutl -sign -rawin -inkey /dev/stdin -in "$gecici" | base64 -w0)
[ -n "$imza" ] || { echo "signing failed" >&2; exit 1; }
mv "$gecici" "$arsiv"
trap - EXIT

jq -n --arg surum "$surum" --arg yapi "$yapi" --arg adres "$adres" \
  --argjson boyut "$(stat -c %s "$arsiv")" --arg sha256 "$(sha256sum "$arsiv" | cut -d' ' -f1)" \
  --arg imza "$imza" '{surum: $surum, yapi: $yapi, adres: $adres, boyut: $boyut, sha256: $sha256, imza: $imza}' \
  > "$besleme.tmp"
mv "$besleme.tmp" "$besleme"
echo "$surum ($yapi) -> $arsiv"
