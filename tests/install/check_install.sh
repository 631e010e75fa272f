#!/bin/sh
# check_install.sh staged|deb BUILD EXPECTED-LIST
#   staged: installs BUILD into a staging folder with the prefix /usr and checks what a
#           distribution would check of it;
#   deb:    builds the Debian package of BUILD with cpack and checks its files and its computed
#           dependencies.
set -eu
mode=$1
build=$2
expected=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
# The sorted file list $1 must be the expected one ($2 names whose files they are).
same_files() { LC_ALL=C sort "$expected" | diff -u - "$1" || fail "the $2 files differ from $expected"; }

staged() {
  DESTDIR="$work/root" cmake --install "$build" --prefix /usr > "$work/install.log" || {
    cat "$work/install.log" >&2
    fail "cmake --install"
  }
  (cd "$work/root" && find . -type f | sed 's|^\./||' | LC_ALL=C sort) > "$work/files.txt"
  same_files "$work/files.txt" installed

  usr=$work/root/usr
  desktop-file-validate "$usr/share/applications/kpfplayer.desktop" || fail "desktop-file-validate"
  grep -q '^MimeType=.*application/x-kpf-project;' "$usr/share/applications/kpfplayer.desktop" ||
    fail "the desktop entry does not offer project files"
  grep -q '^MimeType=.*application/x-ms-dos-executable;' "$usr/share/applications/kpfplayer.desktop" ||
    fail "the desktop entry does not offer Windows executables"
  xmllint --noout "$usr/share/mime/packages/kpfplayer.xml" "$usr/share/icons/hicolor/scalable/apps/kpfplayer.svg" ||
    fail "xmllint"

  # The MIME database built from the file knows *.kpf as a project file.
  mkdir -p "$work/mime/packages"
  cp "$usr/share/mime/packages/kpfplayer.xml" "$work/mime/packages/"
  update-mime-database "$work/mime" || fail "update-mime-database"
  grep -q ':application/x-kpf-project:\*\.kpf' "$work/mime/globs2" || fail "*.kpf is not application/x-kpf-project"

  for page in kpfplayer kpftool; do
    warnings=$(MANWIDTH=80 man --warnings -l "$usr/share/man/man1/$page.1" 2>&1 > /dev/null)
    [ -z "$warnings" ] || fail "man -l $page.1 warns: $warnings"
  done

  file "$usr/share/icons/hicolor/48x48/apps/kpfplayer.png" | grep -q 'PNG image data, 48 x 48' || fail "48 px icon"
  file "$usr/share/icons/hicolor/256x256/apps/kpfplayer.png" | grep -q 'PNG image data, 256 x 256' || fail "256 px icon"

  # The installed programs run without a display.
  version=$(env -u DISPLAY "$usr/bin/kpfplayer" --version) || fail "kpfplayer --version"
  echo "$version" | grep -q '^kpfplayer [0-9]' || fail "kpfplayer --version printed: $version"
  env -u DISPLAY "$usr/bin/kpfplayer" --help | grep -q -- '-KPFPATH' || fail "kpfplayer --help"
  status=0
  env -u DISPLAY "$usr/bin/kpfplayer" --no-such-switch 2> "$work/usage.txt" > /dev/null || status=$?
  [ "$status" -eq 2 ] || fail "an unknown switch ended with status $status"
  grep -q '^usage: kpfplayer' "$work/usage.txt" || fail "no usage on standard error for an unknown switch"
  "$usr/bin/kpftool" info --no-pixels "$usr/share/kpfplayer/sample.kpf" | grep -q '"kind":"project"' ||
    fail "the installed kpftool cannot read the installed sample"
  echo "installed files complete and valid"
}

deb() {
  (cd "$build" && cpack -G DEB -B "$work" > "$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; fail "cpack -G DEB"; }
  set -- "$work"/kpfplayer_*.deb
  [ -f "$1" ] || fail "no kpfplayer_*.deb written"
  package_file=$1
  dpkg-deb -c "$package_file" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | LC_ALL=C sort > "$work/files.txt"
  same_files "$work/files.txt" packaged
  depends=$(dpkg-deb -f "$package_file" Depends)
  for package in libc6 libgtk-3-0 zlib1g libpng16-16; do
    echo "$depends" | grep -q "$package" || fail "Depends lacks $package: $depends"
  done
  [ "$(dpkg-deb -f "$package_file" Package)" = kpfplayer ] || fail "package name"
  echo "package $(basename "$package_file") depends on: $depends"
}

case $mode in
  staged) staged ;;
  deb) deb ;;
  *) fail "unknown mode $mode" ;;
esac
