#!/bin/sh
# Installs the Debian 12 packages CellDesk needs to build, test and run; only those
# not installed yet. Run as root.
set -eu
packages="build-essential cmake ninja-build pkg-config
qt6-base-dev qt6-serialport-dev qt6-svg-dev libqcustomplot-dev libqcustomplot2.1-qt6
qt6-qpa-plugins fonts-dseg libbenchmark-dev clang libclang-rt-14-dev
libqt6sql6-sqlite libmosquitto-dev mosquitto mosquitto-clients"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "Installing:$missing"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
fi
