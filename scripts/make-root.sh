#!/usr/bin/env bash
# Installs the template in data/root into a root directory, adding only the
# files it lacks, so that a user's own files are never overwritten. Texts of
# the template are UTF-8 with LF; in the root they are cp1251 with CR LF.
set -euo pipefail
template="$(cd "$(dirname "$0")/../data/root" && pwd)"
root="$1"
mkdir -p "$root"
mkdir -p "$root/Temp" "$root/Users"
cd "$template"
find . -type d | while read -r d; do mkdir -p "$root/$d"; done
find . -type f ! -name .keep | while read -r f; do
  [ -e "$root/$f" ] && continue
  case "$f" in
    *.ini|*.inf|*.htm|*.dat|*.str|*.acs) iconv -f UTF-8 -t CP1251 "$f" | sed 's/$/\r/' > "$root/$f" ;;
    *) cp "$f" "$root/$f" ;;
  esac
done

# The guest's examples, made for the day the root is made (KRAV_TODAY,
# yyyy-mm-dd, for tests): one reminder of every kind, each marked as an
# example, and in the first week only the weekly one falls due, besides the
# whole-day "Просмотреть планы на день" of every day.
guest="$root/Users/Гость"
if [ ! -e "$guest/mess.dat" ]; then
  mkdir -p "$guest"
  today="${KRAV_TODAY:-$(date +%Y-%m-%d)}"
  day() { date -d "$today + $1 days" +%d.%m.%Y; }
  s1=$'\001' s2=$'\002' s3=$'\003'
  weekdays=(понедельникам вторникам средам четвергам пятницам субботам воскресеньям)
  start="$(day 0)"
  weekly="${weekdays[$(($(date -d "$today + 3 days" +%u) - 1))]}"
  # The monthly day: the first day from the eighth on that every month has.
  n=8
  while [ "$(date -d "$today + $n days" +%-d)" -gt 28 ]; do n=$((n + 1)); done
  monthly="$(date -d "$today + $n days" +%-d)"
  yearly="$(date -d "$today + 40 days" +%d.%m)"
  [ "$yearly" = 29.02 ] && yearly=28.02
  {
    echo "3${s3}2${s2}${s1}11${s2}${start}${s2}00:00${s1}21${s3}Просмотреть планы на день"
    echo "3${s3}1${s2}$(day 20)${s1}${s1}22${s2}12:00${s3}Пример: разовое напоминание"
    echo "3${s3}3${s2}${weekly}${s1}11${s2}${start}${s2}00:00${s1}22${s2}10:00${s3}Пример: еженедельная планёрка"
    echo "3${s3}4${s2}${monthly}${s1}11${s2}${start}${s2}00:00${s1}21${s3}Пример: ежемесячный платёж"
    echo "3${s3}5${s2}${yearly}${s1}11${s2}${start}${s2}00:00${s1}22${s2}09:00${s3}Пример: ежегодный день рождения"
    echo "3${s3}6${s2}30${s2}0${s2}0${s1}11${s2}$(day 14)${s2}09:00${s1}${s3}Пример: раз в 30 дней"
  } | iconv -f UTF-8 -t CP1251 | sed 's/$/\r/' > "$guest/mess.dat"
fi
