#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR, validates the desktop file and
# the AppStream metadata, runs the installed program without a display, and
# builds and runs a consumer of the installed Lumet32 package and pkg-config file.
# usage: install_check.sh BUILD_DIR CONSUMER_SOURCE_DIR
set -euo pipefail
build=$1
consumer=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=/opt/tessaly-test
root=$work/root$prefix

fail() { echo "install_check: $*" >&2; exit 1; }

DESTDIR=$work/root cmake --install "$build" --prefix "$prefix" > "$work/install.log" \
  || { cat "$work/install.log"; fail "cmake --install failed"; }

for f in bin/ts32_20 bin/tessaly bin/tessaly-cli include/lumet32/lumetctrl.h include/lumet32/lumet32.h \
         share/icons/hicolor/scalable/apps/org.tessaly.Tessaly.svg; do
  [ -e "$root/$f" ] || fail "$f is not installed"
done
[ "$(readlink "$root/bin/tessaly")" = ts32_20 ] || fail "bin/tessaly is not a link to ts32_20"
lib=$(find "$root" -name 'liblumet32.so.3' -print -quit)
[ -n "$lib" ] || fail "liblumet32.so.3 (the versioned soname) is not installed"
# Each tool's output is taken whole before it is searched: with pipefail, grep -q
# ending first would fail the pipeline through the writer's SIGPIPE.
[[ $(objdump -p "$lib") =~ SONAME\ +liblumet32\.so\.3($'\n'|$) ]] || fail "liblumet32 has no versioned soname"

# The Designer plugin (built when Designer's CMake package was found) finds the installed library.
plugin=$(find "$root" -name liblumet32designer.so -print -quit)
if [ -n "$plugin" ]; then
  [[ $(ldd "$plugin") == *"liblumet32.so.3 => $root/"* ]] || fail "the Designer plugin does not find the installed liblumet32"
fi

desktop-file-validate "$root/share/applications/org.tessaly.Tessaly.desktop"
grep -qx "Exec=$prefix/bin/tessaly %u" "$root/share/applications/org.tessaly.Tessaly.desktop" \
  || fail "the desktop file does not start $prefix/bin/tessaly with the link it is given"
grep -qx "MimeType=x-scheme-handler/tel;" "$root/share/applications/org.tessaly.Tessaly.desktop" \
  || fail "the desktop file does not offer Tessaly for tel: links"
appstreamcli validate --no-net "$root/share/metainfo/org.tessaly.Tessaly.metainfo.xml"

# The installed programs find their library and answer without a display or Qt platform.
for program in tessaly ts32_20 tessaly-cli lumet32-render; do
  for option in --version --help; do
    text=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/bin/$program" $option) \
      || fail "$program $option failed"
    [ -n "$text" ] || fail "$program $option printed nothing"
  done
done
version=$(env -u DISPLAY "$root/bin/tessaly" --version)
[[ $version =~ ^tessaly\ [0-9]+\.[0-9]+ ]] || fail "unexpected version text: $version"

# pkg-config resolves from where the file lies, whatever prefix was given.
pcdir=$(dirname "$(find "$root" -name lumet32.pc -print -quit)")
includedir=$(PKG_CONFIG_PATH=$pcdir pkg-config --variable=includedir lumet32)
[ -f "$includedir/lumetctrl.h" ] || fail "pkg-config's includedir $includedir has no lumetctrl.h"
[[ $(PKG_CONFIG_PATH=$pcdir pkg-config --libs lumet32) == *-llumet32* ]] || fail "pkg-config gives no -llumet32"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$consumer" -B "$work/consumer" -G Ninja -DCMAKE_PREFIX_PATH="$root" "${launcher[@]}" > "$work/consumer.log" 2>&1 \
  || { cat "$work/consumer.log"; fail "the consumer does not configure against the installed package"; }
cmake --build "$work/consumer" > "$work/consumer-build.log" 2>&1 \
  || { cat "$work/consumer-build.log"; fail "the consumer does not build"; }
QT_QPA_PLATFORM=offscreen "$work/consumer/consumer"
