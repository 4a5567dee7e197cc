#!/bin/bash
# Kills whole backup runs with SIGKILL at random moments and checks what is
# left. It makes a loop-device disk holding the encrypted image and a source
# of 5,000 files, then N times: changes a few files and records what the
# source holds, starts `brimvale --yedekle` in its own process group, kills
# the group at a random moment of the run (every stage: change check, large
# files, copy, thinning, wrap-up, eject), attaches the image and checks that
# every listed copy holds exactly what the source held in the run that made
# it (a copy's name is the time it was finished, so it tells the run). A run
# that ends before its kill and follows a killed one is a resume; it must
# complete. Figures at the end; exit status 1 when a half copy was listed or
# a resume failed.
#
# usage: bench/backup/oldur.sh [N=100] [seed] [build folder=build]
# Needs root, loop devices, FUSE and gocryptfs; without them it says why and
# exits 0. Everything it mounts or attaches is undone on exit.
set -u

N=${1:-100}
TOHUM=${2:-$(od -An -N2 -tu2 /dev/urandom | tr -d ' ')}
YAPI=$(cd "${3:-build}" 2>/dev/null && pwd) || { echo "no build folder: ${3:-build}" >&2; exit 1; }
PROGRAM=$YAPI/brimvale
YARDIMCILAR="$YAPI/Ondrak Brimvale.app/Contents/Helpers"
RANDOM=$TOHUM
echo "seed: $TOHUM (repeat: $0 $N $TOHUM ${3:-build})"

eksik() {
    [ "$(id -u)" = 0 ] || { echo "needs root to attach loop devices and mount"; return; }
    [ -e /dev/loop-control ] || { echo "no loop devices"; return; }
    [ -w /dev/fuse ] || { echo "/dev/fuse is not usable"; return; }
    local p
    for p in /usr/sbin/losetup /usr/sbin/sfdisk /usr/sbin/mkfs.ext4 /usr/bin/partx /usr/bin/gocryptfs \
        /usr/bin/fusermount3 /usr/bin/rsync /usr/bin/jq "$PROGRAM" "$YARDIMCILAR/hdiutil"; do
        [ -x "$p" ] || { echo "$p is missing"; return; }
    done
}
if [ -n "$(eksik)" ]; then
    echo "skipped: $(eksik)"
    exit 0
fi

KOK=$(mktemp -d /tmp/brimvale-oldur-XXXXXX)
DISK_DOSYASI=$KOK/disk.img
ETIKET=BRIMKILL
DISK=$KOK/harici/$ETIKET
KAYNAK=$KOK/ev/Belgeler
AD=Belgeler
DURUM=$KOK/durum
MNT=$DURUM/imaj
MANIFEST=$KOK/manifest
CALISAN=

# Our loop devices: those whose backing file is our disk file.
donguler() {
    local b
    for b in /sys/block/loop*/loop/backing_file; do
        [ -r "$b" ] && [ "$(cat "$b")" = "$DISK_DOSYASI" ] && basename "$(dirname "$(dirname "$b")")"
    done
}

# Mount points under our folder, deepest first.
baglamalar() {
    awk -v k="$KOK/" 'index($5, k) == 1 { print $5 }' /proc/self/mountinfo | sort -r
}

temizle() {
    trap - EXIT INT TERM
    [ -n "$CALISAN" ] && kill -9 -- "-$CALISAN" 2>/dev/null
    local m d
    for m in $(baglamalar); do
        if grep -q " $m fuse" /proc/self/mounts; then fusermount3 -u -z "$m" 2>/dev/null; fi
    done
    for m in $(baglamalar); do umount -l "$m" 2>/dev/null; done
    for d in $(donguler); do losetup -d "/dev/$d" 2>/dev/null; done
    rm -rf "$KOK"
}
trap temizle EXIT
trap 'exit 130' INT TERM

export BRIMVALE_DURUM=$DURUM HOME=$KOK/ev XDG_DATA_HOME=$KOK/ev/.local/share BRIMVALE_ARACLAR=$KOK/araclar
export BRIMVALE_BILDIRIM_YOK=1 BRIMVALE_CEVAP=yedekle BRIMVALE_BUYUK_ESIK=1000000
unset DBUS_SESSION_BUS_ADDRESS BRIMVALE_SEC
BRIMVALE_PAROLA=$(head -c 18 /dev/urandom | base64)
export BRIMVALE_PAROLA
mkdir -p "$DURUM" "$BRIMVALE_ARACLAR" "$XDG_DATA_HOME" "$DISK" "$MANIFEST"
for a in hdiutil diskutil security ditto osascript open; do ln -s "$YARDIMCILAR/$a" "$BRIMVALE_ARACLAR/$a"; done

# The disk plugged in and mounted, after a run ejected it or was killed ejecting it.
tak() {
    local d
    d=$(donguler | head -n 1)
    if [ -z "$d" ]; then
        d=$(basename "$(losetup -f --show -P "$DISK_DOSYASI")") || return 1
    fi
    [ -e "/dev/${d}p1" ] || partx -a "/dev/$d" 2>/dev/null
    for _ in $(seq 50); do [ -e "/dev/${d}p1" ] && break; sleep 0.1; done
    mountpoint -q "$DISK" || mount "/dev/${d}p1" "$DISK"
}

truncate -s 1G "$DISK_DOSYASI"
printf 'label: dos\n,,L\n' | sfdisk -q "$DISK_DOSYASI" || exit 1
d=$(basename "$(losetup -f --show -P "$DISK_DOSYASI")") || exit 1
[ -e "/dev/${d}p1" ] || partx -a "/dev/$d"
for _ in $(seq 50); do [ -e "/dev/${d}p1" ] && break; sleep 0.1; done
mkfs.ext4 -q -F -L "$ETIKET" "/dev/${d}p1" || exit 1
tak || exit 1
UUID=$(blkid -s UUID -o value "/dev/${d}p1" | tr '[:lower:]' '[:upper:]')
[ -n "$UUID" ] || { echo "no UUID on /dev/${d}p1" >&2; exit 1; }
printf '%s' "$BRIMVALE_PAROLA" | "$BRIMVALE_ARACLAR/hdiutil" create -quiet -stdinpass -encryption AES-256 \
    -type SPARSEBUNDLE -fs APFS -volname Brimvale -size 1g -imagekey sparse-band-size=262144 \
    "$DISK/Brimvale.sparsebundle" || { echo "image not created" >&2; exit 1; }
jq -n --arg u "$UUID" --arg k "$KAYNAK" '{diskUUID: $u, kaynaklar: [$k], seyrelt: true}' >"$DURUM/ayarlar.json"

# 5,000 files in 50 folders, two of them large enough for the large-file copier.
dosyaYaz() { printf '%s %s\n%*s\n' "$1" "$2" $((RANDOM % 4000)) '' >"$KAYNAK/k$(($1 / 100))/d$(($1 % 100)).txt"; }
for k in $(seq 0 49); do mkdir -p "$KAYNAK/k$k"; done
for i in $(seq 0 4999); do dosyaYaz "$i" 0; done
ln -s k1/d1.txt "$KAYNAK/bag"
head -c 3000000 /dev/urandom >"$KAYNAK/buyuk1.bin"
head -c 3000000 /dev/urandom >"$KAYNAK/buyuk2.bin"

# Between runs: a few files changed, deleted and added; now and then a large
# file changed or given only a new date.
degistir() {
    local tur=$1 i
    for _ in $(seq 20); do dosyaYaz $((RANDOM % 5000)) "$tur"; done
    for _ in $(seq 3); do rm -f "$KAYNAK/k$((RANDOM % 50))/d$((RANDOM % 100)).txt"; done
    for i in 1 2 3; do printf 'new %s %s\n' "$tur" "$i" >"$KAYNAK/k$((RANDOM % 50))/yeni-$tur-$i.txt"; done
    case $((tur % 4)) in
        1) head -c 3000000 /dev/urandom >"$KAYNAK/buyuk1.bin" ;;
        3) touch -d "@$((1700000000 + tur))" "$KAYNAK/buyuk2.bin" ;;
    esac
}

# What a folder holds: kinds, names, modes, link targets and contents.
icerik() {
    (cd "$1" && find . -mindepth 1 -printf '%y %m %P %l\n' | LC_ALL=C sort &&
        find . -type f -print0 | LC_ALL=C sort -z | xargs -0 -r sha1sum)
}

simdi() { date +%Y-%m-%d_%H%M%S; }
ms() { date +%s%3N; }
# Copy names have whole seconds: no two runs share one.
yeniSaniye() { local s; s=$(date +%s); while [ "$(date +%s)" = "$s" ]; do sleep 0.05; done; }

calistir() {  # the run in its own process group; sets CALISAN
    setsid "$PROGRAM" --yedekle </dev/null >>"$KOK/cikti.log" 2>&1 &
    CALISAN=$!
}

asama() { cut -f1 "$DURUM/asama" 2>/dev/null; }
sonuc() { cut -f3 "$DURUM/asama" 2>/dev/null; }

declare -A BAS SON OLDURULEN
yarim=0; yabanci=0; denetlenen=0; devam=0; basarisizDevam=0; kendiBitti=0; olduruldu=0; acilmadi=0
oncekiOlduruldu=0

# Checks every listed copy against the run that made it.
denetle() {
    local etiket=$1 ad r bulunan cikti
    if ! cikti=$("$PROGRAM" --ac 2>&1); then
        echo "  $etiket: the image did not attach: $cikti"
        acilmadi=$((acilmadi + 1))
        return
    fi
    for ad in $("$PROGRAM" --kopyalar | jq -r '.[]'); do
        bulunan=
        for r in "${!BAS[@]}"; do
            if [[ ! "$ad" < "${BAS[$r]}" && ! "$ad" > "${SON[$r]}" ]]; then bulunan=$r; fi
        done
        denetlenen=$((denetlenen + 1))
        if [ -z "$bulunan" ]; then
            echo "  $etiket: copy $ad was made by no run"
            yabanci=$((yabanci + 1))
        elif ! cmp -s <(icerik "$MNT/yedekler/$ad/$AD") "$MANIFEST/$bulunan"; then
            echo "  $etiket: copy $ad (run $bulunan) differs from its source:"
            diff <(icerik "$MNT/yedekler/$ad/$AD") "$MANIFEST/$bulunan" | head -n 5 | sed 's/^/    /'
            yarim=$((yarim + 1))
        fi
    done
    "$PROGRAM" --kapat >/dev/null || echo "  $etiket: detach failed"
}

# One run; killed after `gecikme` ms unless negative or it ends first.
tur() {
    local r=$1 gecikme=$2 bitis kod durak
    tak || { echo "  run $r: the disk could not be plugged in"; return 1; }
    icerik "$KAYNAK" >"$MANIFEST/$r"
    BAS[$r]=$(simdi)
    calistir
    bitis=$(($(ms) + gecikme))
    while kill -0 "$CALISAN" 2>/dev/null && { [ "$gecikme" -lt 0 ] || [ "$(ms)" -lt "$bitis" ]; }; do
        sleep 0.01
    done
    if kill -0 "$CALISAN" 2>/dev/null; then
        durak=$(asama)
        kill -9 -- "-$CALISAN"
        wait "$CALISAN" 2>/dev/null
        CALISAN=
        SON[$r]=$(simdi)
        OLDURULEN[$durak]=$((${OLDURULEN[$durak]:-0} + 1))
        olduruldu=$((olduruldu + 1))
        oncekiOlduruldu=1
    else
        wait "$CALISAN"
        kod=$?
        CALISAN=
        SON[$r]=$(simdi)
        kendiBitti=$((kendiBitti + 1))
        if [ $oncekiOlduruldu = 1 ]; then devam=$((devam + 1)); fi
        if [ $kod != 0 ] || [ "$(sonuc)" != bitti ]; then
            echo "  run $r ended by itself with status $kod, outcome $(sonuc):"
            tail -n 5 "$DURUM/gunluk.log" | sed 's/^/    /'
            if [ $oncekiOlduruldu = 1 ]; then basarisizDevam=$((basarisizDevam + 1)); fi
        fi
        oncekiOlduruldu=0
    fi
    yeniSaniye
}

# Two whole runs: the first copy, then one like every later run, whose time
# sets the span the kills fall in.
tur 0 -1
degistir 1
bas=$(ms)
tur 1 -1
SURE=$(($(ms) - bas))
echo "a whole run takes ${SURE} ms; kills fall within $((SURE * 12 / 10)) ms"
tak && denetle "start"
kendiBitti=0
devam=0

for r in $(seq 2 $((N + 1))); do
    degistir "$r"
    gecikme=$(( (RANDOM * 32768 + RANDOM) % (SURE * 12 / 10 + 1) ))
    tur "$r" "$gecikme"
    tak && denetle "run $r"
done

# A last run left alone must complete what the last kill left.
son=$((N + 2))
degistir "$son"
tur "$son" -1
sonBasarili=$([ "$(sonuc)" = bitti ] && echo yes || echo no)
tak && denetle "last run"

echo
echo "runs killed: $olduruldu of $N, by stage:"
for a in "${!OLDURULEN[@]}"; do printf '  %-12s %d\n' "$a" "${OLDURULEN[$a]}"; done | sort
echo "runs that ended before their kill: $kendiBitti (resumes after a kill: $devam, failed: $basarisizDevam)"
echo "last run completed: $sonBasarili"
echo "copies checked: $denetlenen; half or wrong copies listed: $yarim; copies of no run: $yabanci"
echo "image attach failures: $acilmadi"
[ "$yarim" = 0 ] && [ "$yabanci" = 0 ] && [ "$basarisizDevam" = 0 ] && [ "$acilmadi" = 0 ] && [ "$sonBasarili" = yes ]
