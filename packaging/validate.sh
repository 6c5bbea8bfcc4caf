#!/usr/bin/env bash
# Checks the Debian package with the validators of Debian and of the desktops: lintian
# on the .deb, then desktop-file-validate on the desktop entry and appstreamcli (offline)
# on the AppStream metainfo, both as the package ships them. An error or a warning of
# any of them fails; lintian's informational tags and appstreamcli's hints are shown.
# The desktop entry's "Letöltések figyelése" action is run with fakes
# (packaging/test-desktop-entry.sh).
# Usage: packaging/validate.sh PACKAGE.deb | BUILD_DIR   (the package build's .deb)
# Needs lintian, desktop-file-utils, appstream and python3.
set -euo pipefail

deb=${1:-}
if [ -d "$deb" ]; then
  version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$deb/CPackConfig.cmake" 2>/dev/null || true)
  deb=$deb/talvorix_${version}_amd64.deb
fi
if [ $# -ne 1 ] || [ ! -f "$deb" ]; then
  echo "usage: $0 PACKAGE.deb | BUILD_DIR   (no package at ${deb:-?}: run 'make package')" >&2
  exit 64
fi
deb=$(realpath "$deb")
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"

failed=0
step() { printf '\n== %s\n' "$*"; }

step "lintian $(basename "$deb")"
# Tags kept on purpose are overridden, with their reasons, in packaging/debian/lintian-overrides.
if lintian --fail-on error,warning --display-info --pedantic --show-overrides "$deb"; then
  echo "lintian: no errors or warnings"
else
  failed=1
fi

desktop=$tree/usr/share/applications/talvorix.desktop
step "desktop-file-validate ${desktop#"$tree"}"
if [ ! -f "$desktop" ]; then
  echo "the package has no ${desktop#"$tree"}"
  failed=1
else
  status=0
  out=$(desktop-file-validate "$desktop" 2>&1) || status=1
  if grep -Eq '(error|warning):' <<<"$out"; then status=1; fi
  if [ -n "$out" ]; then echo "$out"; fi
  if [ $status -eq 0 ]; then echo "desktop-file-validate: valid"; else failed=1; fi
  step "the desktop entry's download-folder action (packaging/test-desktop-entry.sh)"
  "$(dirname "$0")/test-desktop-entry.sh" "$desktop" || failed=1
fi

metainfo=("$tree"/usr/share/metainfo/*.metainfo.xml)
step "appstreamcli validate --no-net ${metainfo[0]#"$tree"}"
if [ ! -f "${metainfo[0]}" ]; then
  echo "the package has no AppStream metainfo"
  failed=1
else
  appstreamcli validate --no-net "${metainfo[@]}" || failed=1
  # The same metainfo together with the desktop entry and icons it points at.
  step "appstreamcli validate-tree --no-net (the package's files)"
  appstreamcli validate-tree --no-net "$tree" || failed=1
fi

if [ $failed -ne 0 ]; then
  printf '\nvalidate.sh: FAILED\n'
  exit 1
fi
printf '\nvalidate.sh: every validator passed\n'
