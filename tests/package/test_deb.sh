#!/usr/bin/env bash
# The Debian package CPack makes of this build tree: its file list, its
# control fields, and the desktop entry, AppStream metadata, icons, manual
# pages, udev rule and binaries inside it, checked with the tools the desktop
# uses.
set -uo pipefail
source "$(dirname "$0")/check.sh"
build=$1
version=${VELTRIX_VERSION:?}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
debs=("$work"/out/veltrix_*.deb)
[[ ${#debs[@]} -eq 1 && -f "${debs[0]}" ]] || { echo "no single package in $work/out"; exit 1; }
deb=${debs[0]}
check "the package is named veltrix_<version>_<architecture>.deb" \
  test "$(basename "$deb")" == "veltrix_${version}_$(dpkg --print-architecture).deb"

# The file list.
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/list"
app=com.orvane.veltrix
for path in /usr/bin/veltrix /usr/bin/qx7300-emulator /usr/bin/veltrix-desktop \
  /usr/share/veltrix/tick.bmp /usr/share/veltrix/cross.bmp /usr/share/veltrix/fill.bmp /usr/share/veltrix/Startup.hac \
  /usr/share/applications/$app.desktop /usr/share/metainfo/$app.metainfo.xml \
  /usr/share/icons/hicolor/scalable/apps/$app.svg /usr/share/icons/hicolor/48x48/apps/$app.png \
  /usr/share/icons/hicolor/256x256/apps/$app.png \
  /usr/share/man/man1/veltrix.1.gz /usr/share/man/man1/qx7300-emulator.1.gz \
  /usr/share/man/man1/veltrix-desktop.1.gz /usr/lib/udev/rules.d/60-veltrix-serial.rules; do
  check "the package holds $path" grep -qx "$path" "$work/list"
done
check "everything lies under /usr" test -z "$(grep -v '^/usr\(/\|$\)' "$work/list" | grep -vx '/')"
check "the programs are executable" \
  test -z "$(dpkg-deb -c "$deb" | awk '$6 ~ /^\.\/usr\/bin\/./ && $1 !~ /^-rwxr-xr-x$/')"

# The control fields: apt must pull in the libraries and what Qt loads.
field() { dpkg-deb -f "$deb" "$1"; }
check "Package is veltrix" test "$(field Package)" == veltrix
check "Version is the program's" test "$(field Version)" == "$version"
check "Maintainer is set" test -n "$(field Maintainer)"
check "Description has a synopsis and a body" test "$(field Description | wc -l)" -gt 2
depends=$(field Depends)
depends_on() { tr ',' '\n' <<<"$depends" | awk '{print $1}' | grep -qxF "$1"; }
for package in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libqt6serialport6 zlib1g libjpeg62-turbo \
  qt6-qpa-plugins fonts-liberation; do
  check "Depends names $package" depends_on "$package"
done

# What is inside, used as the desktop and the user would.
root=$work/root
dpkg-deb -x "$deb" "$root"
check "desktop-file-validate accepts the desktop entry" \
  desktop-file-validate "$root/usr/share/applications/$app.desktop"
check "appstreamcli validate accepts the metadata" \
  appstreamcli validate --no-net "$root/usr/share/metainfo/$app.metainfo.xml"
entry() { sed -n "s/^$1=//p" "$root/usr/share/applications/$app.desktop"; }
check "the entry starts the launcher" test "$(entry Exec)" == veltrix-desktop -a -x "$root/usr/bin/veltrix-desktop"
check "the entry's icon is the installed icon" test "$(entry Icon)" == "$app"
check "the metadata names the entry and this version" \
  grep -q "<launchable type=\"desktop-id\">$app.desktop</launchable>" "$root/usr/share/metainfo/$app.metainfo.xml"
check "the metadata's release is this version" \
  grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/$app.metainfo.xml"

rules=$root/usr/lib/udev/rules.d/60-veltrix-serial.rules
adapter_lines() { grep -v '^#' "$rules" | grep -F 'ATTRS{idVendor}=='; }
check "the udev rule matches adapters by vendor and product" test "$(adapter_lines | grep -cF 'ATTRS{idProduct}==')" -gt 0
check "each adapter the udev rule matches is left alone by ModemManager and given to dialout, mode 0660" \
  test -z "$(adapter_lines | grep -vF 'ENV{ID_MM_DEVICE_IGNORE}="1", GROUP="dialout", MODE="0660"')"

png_is() {
  local file=$1 size=$2
  [[ "$(head -c 8 "$file" | od -An -tx1 | tr -d ' \n')" == 89504e470d0a1a0a ]] || return 1
  local bytes
  read -r -a bytes <<<"$(od -An -tu1 -j16 -N8 "$file")"
  [[ $((bytes[2] * 256 + bytes[3])) -eq $size && $((bytes[6] * 256 + bytes[7])) -eq $size ]]
}
for size in 48 256; do
  check "the ${size}x${size} icon is a PNG of that size" png_is "$root/usr/share/icons/hicolor/${size}x${size}/apps/$app.png" "$size"
done

for page in veltrix qx7300-emulator; do
  check "man page $page formats without warnings" \
    test -z "$(zcat "$root/usr/share/man/man1/$page.1.gz" | LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z 2>&1)"
done

check "the packaged program answers --version" \
  test "$(env -u DISPLAY "$root/usr/bin/veltrix" --version | head -1)" == "Veltrix $version"
check "the packaged emulator answers --help" grep -q '^Usage: qx7300-emulator' <("$root/usr/bin/qx7300-emulator" --help 2>&1)
check "the packaged binaries are stripped" \
  test -z "$(readelf -S "$root/usr/bin/veltrix" "$root/usr/bin/qx7300-emulator" | grep -F .debug_info)"

finish
