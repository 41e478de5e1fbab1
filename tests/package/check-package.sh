#!/usr/bin/env bash
# Builds the Debian package of a build folder with cpack, unpacks it into a temporary root with
# dpkg -x and checks what a user gets: the control fields, the three programs running from there
# (the command-line tool reading the demo card the card tool wrote), the desktop entry, the AppStream
# metainfo, the man page, the bash completion, and lintian's verdict.
set -euo pipefail

build_dir=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

if ! cpack --config "$build_dir/CPackConfig.cmake" -B "$work/out" > "$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    echo "FAIL: cpack could not build the package" >&2
    exit 1
fi
shopt -s nullglob
debs=("$work"/out/quillet_*.deb)
if [[ ${#debs[@]} -ne 1 ]]; then
    echo "FAIL: expected one quillet_*.deb, cpack wrote: $(ls "$work/out")" >&2
    exit 1
fi
deb=${debs[0]}
echo "package: $(basename "$deb")"

# The dependencies come from dpkg-shlibdeps, so they name the libraries the programs link.
control=$(dpkg-deb --field "$deb")
depends=$(sed -n 's/^Depends: //p' <<< "$control")
recommends=$(sed -n 's/^Recommends: //p' <<< "$control")
echo "Depends: $depends"
echo "Recommends: $recommends"
# The package names of a relation field, one a line, without their versions.
package_names() { sed -e 's/ *([^)]*)//g' -e 's/ *[,|] */\n/g' <<< "$1"; }
for library in libc6 libstdc++6 libqt6widgets6 libqt6printsupport6; do
    grep -qxF "$library" <<< "$(package_names "$depends")" || fail "Depends does not name $library"
done
grep -qxF pcscd <<< "$(package_names "$recommends")" || fail "Recommends does not name pcscd"

root=$work/root
dpkg -x "$deb" "$root"
expected=(
    usr/bin/quillet
    usr/bin/quillet-cli
    usr/bin/quillet-simcard
    usr/share/applications/quillet.desktop
    usr/share/icons/hicolor/scalable/apps/quillet.svg
    usr/share/man/man1/quillet.1.gz
    usr/share/man/man1/quillet-cli.1.gz
    usr/share/man/man1/quillet-simcard.1.gz
    usr/share/bash-completion/completions/quillet-cli
    usr/share/doc/quillet/copyright
    usr/share/doc/quillet/changelog.gz
)
for file in "${expected[@]}"; do
    [[ -f $root/$file ]] || fail "the package lacks /$file"
done
metainfo=("$root"/usr/share/metainfo/*.metainfo.xml)
[[ ${#metainfo[@]} -eq 1 ]] || fail "expected one AppStream metainfo file, found ${#metainfo[@]}"

# The installed programs run from the temporary root, with settings and data kept inside it.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/config XDG_DATA_HOME=$work/home/data
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
bin=$root/usr/bin
missing=$(ldd "$bin/quillet" "$bin/quillet-cli" "$bin/quillet-simcard" | grep "not found" || true)
[[ -z $missing ]] || fail "libraries not found: $missing"
# Outputs are taken whole before they are matched: grep -q stopping early would break the pipe.
help=$(QT_QPA_PLATFORM=offscreen "$bin/quillet" --help) || fail "quillet --help exits with $?"
[[ $help == "Usage: quillet "* ]] || fail "quillet --help prints no usage"
help=$("$bin/quillet-cli" --help) || fail "quillet-cli --help exits with $?"
[[ $help == "Usage: quillet-cli "* ]] || fail "quillet-cli --help prints no usage"
if "$bin/quillet-simcard" create-demo "$work/demo.json" > /dev/null; then
    book=$("$bin/quillet-cli" --device "VIRTUAL:$work/demo.json" --pin 1234 phonebook read) ||
        fail "quillet-cli cannot read the phone book of the demo card"
    [[ $book == *$'\t'"Bank Hotline"$'\t'* ]] || fail "the demo card's phone book lacks its entry Bank Hotline"
else
    fail "quillet-simcard create-demo"
fi

desktop-file-validate "$root/usr/share/applications/quillet.desktop" || fail "desktop-file-validate"
if [[ ${#metainfo[@]} -eq 1 ]]; then
    appstreamcli validate --no-net "${metainfo[0]}" || fail "appstreamcli validate"
    grep -q '<launchable type="desktop-id">quillet.desktop</launchable>' "${metainfo[0]}" ||
        fail "the metainfo does not launch the installed desktop entry"
fi

manual=$(zcat "$root/usr/share/man/man1/quillet-cli.1.gz") || fail "the man page is no gzip file"
[[ $manual == ".TH QUILLET\\-CLI 1 "* ]] || fail "the man page lacks its title line"
# The completion loads into bash and registers itself for quillet-cli.
bash -c 'source "$1" && complete -p quillet-cli' _ "$root/usr/share/bash-completion/completions/quillet-cli" \
    > /dev/null || fail "bash completion"

# Errors fail; warnings are printed for whoever reads the log.
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports errors"

if [[ $failures -ne 0 ]]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "package checks passed"
