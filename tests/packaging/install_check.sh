#!/bin/sh
# Installs a built tree into a temporary prefix and checks that every file a desktop user
# expects is in place and passes the freedesktop validators that are available.
#   install_check.sh BUILD_DIR APPSTREAM_ID HOMEPAGE_URL
set -eu
build=$1
appstream_id=$2
homepage=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail=0
for file in bin/cyrvert bin/cyrvert-cli bin/txtassoc \
    share/applications/cyrvert.desktop "share/metainfo/$appstream_id.metainfo.xml" \
    share/man/man1/cyrvert.1.gz share/man/man1/cyrvert-cli.1.gz share/man/man1/txtassoc.1.gz \
    share/doc/cyrvert/copyright share/doc/cyrvert/changelog.gz; do
  [ -e "$prefix/$file" ] || { echo "missing: $file"; fail=1; }
done
for size in 16 32 48 64 128; do
  [ -e "$prefix/share/icons/hicolor/${size}x$size/apps/cyrvert.png" ] ||
    { echo "missing: ${size}px icon"; fail=1; }
done
for program in cyrvert cyrvert-cli txtassoc; do
  [ -x "$prefix/bin/$program" ] || { echo "not executable: $program"; fail=1; }
done

desktop=$prefix/share/applications/cyrvert.desktop
grep -qx 'MimeType=text/plain;' "$desktop" || { echo "desktop entry lacks text/plain"; fail=1; }
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail=1
fi
metainfo=$prefix/share/metainfo/$appstream_id.metainfo.xml
grep -q "<url type=\"homepage\">$homepage</url>" "$metainfo" || { echo "metainfo home page"; fail=1; }
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$metainfo" >/dev/null || {
    appstreamcli validate --no-net "$metainfo"
    fail=1
  }
fi
if command -v man >/dev/null; then
  for page in "$prefix"/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || { echo "$page: $warnings"; fail=1; }
  done
fi
exit $fail
