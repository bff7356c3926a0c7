#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and runs the installed programs from there:
# they must find their plug-ins and texts relative to themselves. Then checks the desktop
# integration files with the desktop's own validators, and that the MIME type recognises
# catalogs as the installed reelkeep-cli writes them.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
build=$(cd "$1" && pwd) source=$(cd "$2" && pwd) version=$3
id=org.reelkeep.Reelkeep
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

DESTDIR="$work/dest" cmake --install "$build" --prefix /usr >"$work/install.log" ||
    { cat "$work/install.log"; fail "cmake --install"; }
usr=$work/dest/usr

for file in bin/reelkeep bin/reelkeep-cli share/reelkeep/lang.txt \
    lib/reelkeep/Plugins/{catimport,webinfoa,webinfob,webinfoc,csvexport,htmlexport,webinfod,webinfop,webinfoq}.so \
    share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
    share/mime/packages/$id.xml share/icons/hicolor/scalable/apps/$id.svg \
    share/icons/hicolor/{48x48,128x128,256x256}/apps/$id.png \
    share/man/man1/reelkeep.1 share/man/man1/reelkeep-cli.1; do
    [[ -f $usr/$file ]] || fail "not installed: $file"
done
# Only what users need: no test plug-ins, tests or benchmarks.
stray=$(find "$usr" -name 'test*' -o -name 'tst_*' -o -name 'bench_*')
[[ -z $stray ]] || fail "installed by mistake: $stray"
if [[ -d $source/help ]]; then
    diff -r "$source/help" "$usr/share/reelkeep/help" || fail "help pages differ"
fi

export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME"

# The same rule finds the plug-ins of the build tree and of the installed program.
for cli in "$build/bin/reelkeep-cli" "$usr/bin/reelkeep-cli"; do
    plugins=$(cd "$work" && "$cli" plugins) || fail "$cli plugins"
    for plugin in catimport webinfoa webinfob webinfoc csvexport htmlexport webinfod webinfop webinfoq; do
        grep -qP "^$plugin\\.so\\t" <<<"$plugins" || fail "$cli plugins misses $plugin: $plugins"
    done
done
shown=$(cd "$work" && timeout 60 "$usr/bin/reelkeep" --version) || fail "reelkeep --version"
[[ $shown == *"$version"* ]] || fail "reelkeep --version printed: $shown"

desktop-file-validate "$usr/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml" || fail "appstreamcli"
# The tree: the metainfo's launchable names the installed desktop file, which has its icon.
appstreamcli validate-tree --no-net "$work/dest" || fail "appstreamcli validate-tree"

# The MIME type knows a catalog by its first bytes, protected or not, whatever its name.
XDG_DATA_DIRS="$usr/share:/usr/share" update-mime-database "$usr/share/mime" || fail "update-mime-database"
cli=$usr/bin/reelkeep-cli
"$cli" resave "$source/tests/data/fuzz/fuzz_catalogfile/small.rkd" "$work/plain.dat" >/dev/null
"$cli" resave "$work/plain.dat" "$work/locked.dat" --set-password secret >/dev/null
printf '<xml>\r\n<other>\r\n' >"$work/other.dat"
printf ' AMC_3.5 Ant Movie Catalog 3.5.x   www.buypin.com    www.antp.be ' >"$work/theirs.dat"
typeOf() {
    XDG_DATA_DIRS="$usr/share:/usr/share" GIO_USE_VFS=local gio info -a standard::content-type "$1" |
        sed -n 's/.*content-type: //p'
}
for file in plain.dat locked.dat; do
    [[ $(typeOf "$work/$file") == application/x-reelkeep-catalog ]] ||
        fail "$file is $(typeOf "$work/$file")"
done
[[ $(typeOf "$work/other.dat") != application/x-reelkeep-catalog ]] || fail "other.dat taken"
[[ $(typeOf "$work/theirs.dat") == application/x-ant-movie-catalog ]] ||
    fail "theirs.dat is $(typeOf "$work/theirs.dat")"
echo "installed and checked in $usr"
