#!/usr/bin/env bash
# Fails when a source file includes a header of a room it may not depend on.
# Rooms depend downwards only:
#   app -> backup, restore, recovery, agent, update, support -> store -> disk
#       -> core -> platform -> temel
# with two edges sideways: backup -> recovery (the run writes the kit) and
# backup -> agent (the run posts notifications). temel includes nothing of
# ours. platform/tools is a program of its own above the engine; ui/ sits
# above everything; tests and benchmarks may include anything.
# Usage: katmanlar.sh [source folder]
set -u
kok=${1:-$(dirname "$0")/..}
cd "$kok" || exit 2

# The rooms each room may include, besides itself.
declare -A izin=(
  [temel]=""
  [platform]="temel"
  [core]="platform temel"
  [disk]="core platform temel"
  [store]="disk core platform temel"
  [recovery]="store disk core platform temel"
  [agent]="store disk core platform temel"
  [restore]="store disk core platform temel"
  [update]="store disk core platform temel"
  [support]="store disk core platform temel"
  [backup]="recovery agent store disk core platform temel"
  [app]="backup restore recovery agent update support store disk core platform temel"
  [ui]="app backup restore recovery agent update support store disk core platform temel"
)

hatali=0
for oda in "${!izin[@]}"; do
  [ -d "$oda" ] || continue
  while IFS= read -r -d '' dosya; do
    case "$dosya" in platform/tools/*) continue ;; esac
    while IFS=: read -r satir hedef; do
      [ "$hedef" = "$oda" ] && continue
      case " ${izin[$oda]} " in *" $hedef "*) continue ;; esac
      echo "$dosya:$satir: $oda may not include $hedef/"
      hatali=1
    done < <(grep -noE '^\s*#\s*include\s*"[a-z]+/' "$dosya" | sed -E 's/^([0-9]+):.*"([a-z]+)\/$/\1:\2/')
  done < <(find "$oda" -type f \( -name '*.cpp' -o -name '*.hpp' -o -name '*.h' \) -print0)
done
[ "$hatali" = 0 ] && echo "includes follow the rooms' layers"
exit "$hatali"
