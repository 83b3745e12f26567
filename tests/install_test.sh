#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that every file is where desktops, man
# and the shell look for it, and that the installed programs run.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
build="$1"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

status=0
expect() {
  if [ ! -s "$prefix/$1" ]; then
    echo "missing: $1"
    status=1
  fi
}
expect bin/vorbix
expect bin/vorbix-cli
expect share/applications/vorbix.desktop
expect share/icons/hicolor/scalable/apps/vorbix.svg
for size in 16 32 48 64 128 256; do expect "share/icons/hicolor/${size}x${size}/apps/vorbix.png"; done
expect share/man/man1/vorbix.1.gz
expect share/man/man1/vorbix-cli.1.gz
expect share/doc/vorbix/copyright
expect share/doc/vorbix/changelog.gz

[ -x "$prefix/bin/vorbix" ] && [ -x "$prefix/bin/vorbix-cli" ] || { echo "programs not executable"; status=1; }
version=$("$prefix/bin/vorbix-cli" --version)
[[ "$version" == "vorbix-cli "[0-9]*$'\n'"MIT licence" ]] || { echo "--version says: $version"; status=1; }
# The changelog's newest entry is the version being installed.
first=${version%%$'\n'*}
changelog=$(zcat "$prefix/share/doc/vorbix/changelog.gz" 2>/dev/null || true)
[[ "$changelog" == "vorbix (${first#vorbix-cli }) "* ]] || { echo "changelog.gz does not start with version ${first#vorbix-cli }"; status=1; }
# Read whole: a reader that stops after one line can end the writer with SIGPIPE, which pipefail counts.
help=$("$prefix/bin/vorbix-cli" --help)
[[ "${help%%$'\n'*}" == "Usage: vorbix-cli "* ]] || { echo "--help has no usage line"; status=1; }
gui_version=$(QT_QPA_PLATFORM=offscreen "$prefix/bin/vorbix" --version)
[[ "$gui_version" == "Vorbix "[0-9]*$'\n'"MIT licence" ]] || { echo "vorbix --version says: $gui_version"; status=1; }
grep -q '^Exec=vorbix ' "$prefix/share/applications/vorbix.desktop" || { echo "desktop entry: no Exec"; status=1; }
grep -q '^Icon=vorbix$' "$prefix/share/applications/vorbix.desktop" || { echo "desktop entry: no Icon"; status=1; }
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$prefix/share/applications/vorbix.desktop" || status=1; fi
# The pages are well-formed roff and name the version installed.
for page in vorbix vorbix-cli; do
  if zgrep -q '@PROJECT_VERSION@' "$prefix/share/man/man1/$page.1.gz"; then echo "$page.1: version not filled in"; status=1; fi
  if command -v groff >/dev/null; then
    warnings=$(zcat "$prefix/share/man/man1/$page.1.gz" | groff -man -Tutf8 -ww -z 2>&1)
    [ -z "$warnings" ] || { echo "$page.1: $warnings"; status=1; }
  fi
done
exit $status
