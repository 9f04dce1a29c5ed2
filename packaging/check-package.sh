#!/usr/bin/env bash
# Makes the Debian package from a built tree, unpacks it into a temporary root and checks what a
# user's system would get: the files, the desktop entry, the metainfo, lintian, and that the
# installed miravel-batch runs and names the folder it would use.
#   packaging/check-package.sh BUILD_DIR
# Exit 77 (ctest: skipped) only when a packaging tool is missing; scripts/deps.sh installs them.
set -euo pipefail
build=$(cd "$1" && pwd)
for tool in cpack dpkg-deb desktop-file-validate appstreamcli; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed (scripts/deps.sh installs it)"
    exit 77
  fi
done
for built in Miravel miravel-batch Convt infodata; do
  [ -e "$build/$built" ] || { echo "FAIL: $build/$built is not built"; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
check() { # description, command...
  local what=$1; shift
  if "$@" >"$work/out" 2>&1; then echo "ok   $what"; else echo "FAIL $what"; sed 's/^/     /' "$work/out"; fail=1; fi
}

(cd "$build" && cpack -G DEB -B "$work/out-deb" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out-deb/*.deb)
echo "package: $(basename "$deb")"
dpkg-deb -x "$deb" "$work/root"
dpkg-deb -f "$deb" Depends >"$work/depends"

root=$work/root
for f in usr/bin/Miravel usr/bin/miravel-batch usr/bin/Convt usr/share/miravel/infodata \
         usr/share/miravel/help/index.html usr/share/miravel/help/start.html usr/share/miravel/help/style.css \
         usr/share/applications/miravel.desktop usr/share/icons/hicolor/scalable/apps/miravel.svg \
         usr/share/icons/hicolor/256x256/apps/miravel.png usr/share/metainfo/io.github.miravel.Miravel.metainfo.xml \
         usr/share/man/man1/miravel-batch.1.gz usr/share/man/man1/Convt.1.gz usr/share/man/man1/Miravel.1.gz \
         usr/share/doc/miravel/copyright; do
  check "installs /$f" test -s "$root/$f"
done
check "the PNG icon is 256 px" bash -c "file '$root/usr/share/icons/hicolor/256x256/apps/miravel.png' | grep -q '256 x 256'"
for dep in libqt6widgets6 libqt6network6 libqt6svg6 qt6-translations-l10n fonts-noto-cjk libsqlite3-0; do
  check "depends on $dep" grep -q "$dep" "$work/depends"
done
check "desktop-file-validate" desktop-file-validate "$root/usr/share/applications/miravel.desktop"
check "the desktop entry is named ミラベル in Office;Finance" bash -c \
  "grep -qx 'Name=ミラベル' '$root/usr/share/applications/miravel.desktop' && grep -qx 'Categories=Office;Finance;' '$root/usr/share/applications/miravel.desktop'"
check "appstreamcli validate" appstreamcli validate --no-net "$root/usr/share/metainfo/io.github.miravel.Miravel.metainfo.xml"
check "the man pages read" bash -c "for p in '$root'/usr/share/man/man1/*.gz; do zcat \"\$p\" | man -l - >/dev/null || exit 1; done"

# The installed tool: an installed layout, so its data go to the user's data folder.
export XDG_DATA_HOME=$work/xdg
unset MIRAVEL_HOME
check "installed miravel-batch --version names the user data folder" bash -c \
  "'$root/usr/bin/miravel-batch' --version | grep -qx 'プログラムフォルダ: $work/xdg/miravel（ユーザーデータフォルダ）'"
check "installed miravel-batch init fills the user data folder, nothing beside the program" bash -c \
  "'$root/usr/bin/miravel-batch' init && test -f '$work/xdg/miravel/Miravel.mdb' && test ! -e '$root/usr/bin/Miravel.mdb'"
check "MIRAVEL_HOME overrides it" bash -c \
  "MIRAVEL_HOME='$work/home' '$root/usr/bin/miravel-batch' --version | grep -qx 'プログラムフォルダ: $work/home（環境変数 MIRAVEL_HOME で指定）'"
"$root/usr/bin/miravel-batch" --version | sed 's/^/     /'

if command -v lintian >/dev/null; then
  check "lintian" lintian --fail-on error,warning "$deb"
else
  echo "SKIPPED lintian: not installed (scripts/deps.sh installs it)"
fi
exit $fail
