#!/usr/bin/env bash
# Installs the Debian packages the project builds and runs with (the GStreamer
# plug-ins play the reminder sound, espeak-ng speaks where Qt has no voice,
# Qt's Russian translations and the DejaVu fonts serve the windows, libical
# reads and writes calendars, ledger and hledger check the exported books;
# clang builds the fuzz targets, dbus-daemon gives the notification tests a
# session bus of their own, libcurl and libxml2 carry the calendar
# synchronisation, libsecret keeps its password in the Secret Service, whose
# tests start a GNOME keyring, as they start Radicale and Xandikos), when any
# is missing.
set -euo pipefail
packages=(g++ cmake make pkg-config binutils libsimpleini-dev libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-multimedia-dev qt6-speech-dev qt6-declarative-dev qt6-charts-dev
  qt6-translations-l10n fonts-dejavu-core clang-format desktop-file-utils libical-dev ledger hledger
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good espeak-ng clang dbus-daemon dbus-session-bus-common
  libcurl4-openssl-dev libxml2-dev libsecret-1-dev gnome-keyring radicale xandikos)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
