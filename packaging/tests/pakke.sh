#!/usr/bin/env bash
# pakke.sh STEP BUILD STATE: one step of the package tests.
#   make      builds the package with CPack and unpacks it (dpkg -x) into a scratch root
#   contents  the files, their places and the control fields
#   programs  the unpacked programs run, and find their data files where they stand
#   desktop   the menu entry
#   metainfo  the AppStream metadata, with the menu entry and the icons
#   manpages  the manual pages
#   lintian   no errors
#   remove    the scratch root goes
set -euo pipefail
step=$1 build=$2 state=$3

fail() { echo "FEIL: $*" >&2; exit 1; }

if [[ $step == make ]]; then
    rm -rf "$state"
    mkdir -p "$state"
    # Outside the build tree: a program there may not fall back to the build's files.
    root=$(mktemp -d /tmp/tavlo-pakke.XXXXXX)
    echo "$root" > "$state/root"
    cpack -G DEB --config "$build/CPackConfig.cmake" -B "$state/cpack" > "$state/cpack.log" 2>&1 ||
        { cat "$state/cpack.log"; fail "cpack"; }
    deb=$(ls "$state"/cpack/tavlo_*.deb)
    echo "$deb" > "$state/deb"
    dpkg -x "$deb" "$root"
    echo "$deb -> $root"
    exit 0
fi
[[ -f $state/root ]] || fail "ingen pakke (package.make kjørte ikke)"
root=$(cat "$state/root")
deb=$(cat "$state/deb")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

case $step in
contents)
    [[ $(dpkg-deb -f "$deb" Package) == tavlo ]] || fail "pakkenavn"
    [[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "versjon"
    depends=$(dpkg-deb -f "$deb" Depends)
    for p in libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libsqlite3-0 libsodium23 \
             fonts-ocr-b; do
        [[ $depends == *"$p"* ]] || fail "Depends mangler $p: $depends"
    done
    expected=(
        usr/bin/tlma usr/bin/tavlo usr/bin/omlegg
        usr/share/tavlo/KODNY40.TXT usr/share/tavlo/brukerveiledning.html
        usr/share/tavlo/no.tavlo.Tavlo.png
        usr/share/applications/no.tavlo.Tavlo.desktop
        usr/share/metainfo/no.tavlo.Tavlo.metainfo.xml
        usr/share/icons/hicolor/scalable/apps/no.tavlo.Tavlo.svg
        usr/share/man/man1/tavlo.1.gz usr/share/man/man1/tlma.1.gz usr/share/man/man1/omlegg.1.gz
        usr/share/bash-completion/completions/tavlo usr/share/bash-completion/completions/tlma
        usr/share/bash-completion/completions/omlegg
        usr/share/doc/tavlo/copyright usr/share/doc/tavlo/changelog.gz
    )
    for f in "${expected[@]}"; do [[ -f $root/$f ]] || fail "mangler $f"; done
    for p in tlma tavlo omlegg; do [[ -x $root/usr/bin/$p ]] || fail "$p kan ikke kjøres"; done
    # Every picture the guide shows goes with it.
    for img in $(grep -o 'src="[^"]*"' "$root/usr/share/tavlo/brukerveiledning.html" | cut -d'"' -f2); do
        [[ -f $root/usr/share/tavlo/$img ]] || fail "brukerveiledningens bilde $img mangler"
    done
    for size in 16 24 32 48 64 128 256; do
        png=$root/usr/share/icons/hicolor/${size}x${size}/apps/no.tavlo.Tavlo.png
        file "$png" | grep -q "PNG image data, $size x $size" || fail "ikonet $size: $(file "$png")"
    done
    # The libraries are private, and each program and library finds them from where it stands.
    libs=$(dirname "$(find "$root/usr/lib" -name libtlfi.so)")
    [[ $libs == "$root"/usr/lib/*/tavlo ]] || fail "bibliotekene: $libs"
    for elf in "$root"/usr/bin/* "$libs"/*.so; do
        runpath=$(readelf -d "$elf" | sed -n 's/.*R\(UN\)\?PATH.*\[\(.*\)\]/\2/p')
        [[ $runpath == '$ORIGIN'* ]] || fail "$elf: RUNPATH «$runpath»"
        missing=$(ldd "$elf" | grep "not found" || true)
        [[ -z $missing ]] || fail "$elf: $missing"
        for lib in $(ldd "$elf" | awk '$1 ~ /^lib(tl|deltekst)/ {print $3}'); do
            [[ $(realpath "$lib") == "$libs"/* ]] || fail "$elf henter $lib utenfor pakken"
        done
    done
    # Nothing is writable by others, nothing keeps its debugging information.
    if find "$root" -perm -o+w -not -type l | grep -q .; then fail "filer alle kan skrive i"; fi
    if file "$root"/usr/bin/* "$libs"/*.so | grep -q "not stripped"; then fail "ikke strippet"; fi
    ;;
programs)
    bin=$root/usr/bin
    [[ $("$bin/tavlo" --version) == "tavlo (Tavlo) $version" ]] || fail "tavlo --version"
    [[ $(env -u DISPLAY -u WAYLAND_DISPLAY "$bin/tlma" --version) == "tlma (Tavlo) $version" ]] ||
        fail "tlma --version"
    [[ $("$bin/omlegg" --version) == "omlegg (Tavlo) $version" ]] || fail "omlegg --version"
    "$bin/tlma" --help | grep -q -- "--last-folder" || fail "tlma --help"
    # A new data folder gets the standard codes from the package's own file...
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    "$bin/tavlo" init "$work/data" > /dev/null
    places=$("$bin/tavlo" records "$work/data" KODEVERK list --filter "KOD:GRUPPE = 101" | wc -l)
    ((places > 4000)) || fail "bare $places poststeder"
    # ...and from nowhere else: without it, the program says where it looked.
    mv "$root/usr/share/tavlo/KODNY40.TXT" "$work/KODNY40.TXT"
    set +e
    message=$("$bin/tavlo" init "$work/uten" 2>&1)
    rc=$?
    set -e
    mv "$work/KODNY40.TXT" "$root/usr/share/tavlo/KODNY40.TXT"
    ((rc != 0)) || fail "init lyktes uten standardkodefilen"
    [[ $message == *"$root/usr/share/tavlo/KODNY40.TXT"* ]] || fail "meldingen: $message"
    # The printout finds its fonts and writes a PDF from the installed program.
    "$bin/tavlo" records "$work/data" KUNDE insert KUN:NAVN="Nordmann AS" > /dev/null
    "$bin/tavlo" report customers "$work/data" --pdf "$work/kunder.pdf" > /dev/null
    [[ -s $work/kunder.pdf ]] || fail "ingen PDF"
    ;;
desktop)
    entry=$root/usr/share/applications/no.tavlo.Tavlo.desktop
    desktop-file-validate "$entry" || fail "desktop-file-validate"
    grep -qx 'Categories=Office;Finance;' "$entry" || fail "kategoriene"
    exec_line=$(sed -n 's/^Exec=//p' "$entry")
    [[ -x $root/usr/bin/${exec_line%% *} ]] || fail "Exec=$exec_line finnes ikke i pakken"
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [[ -f $root/usr/share/icons/hicolor/scalable/apps/$icon.svg ]] || fail "ikonet $icon"
    ;;
metainfo)
    appstreamcli validate --no-net --explain "$root/usr/share/metainfo/no.tavlo.Tavlo.metainfo.xml"
    appstreamcli validate-tree --no-net "$root"
    grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/no.tavlo.Tavlo.metainfo.xml" ||
        fail "metainfo har ikke versjonen $version"
    ;;
manpages)
    for page in "$root"/usr/share/man/man1/*.1.gz; do
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 > /dev/null)
        [[ -z $warnings ]] || fail "$page: $warnings"
        lexgrog "$page" > /dev/null || fail "$page: NAVN-delen"
    done
    # Every command of the program has its section, from the program's own help.
    text=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$root/usr/share/man/man1/tavlo.1.gz" 2>/dev/null)
    commands=$("$root/usr/bin/tavlo" --help | sed -n '/^Kommandoer:/,/^$/{s/^  \([a-z-]*\) .*/\1/p}')
    [[ $(wc -w <<< "$commands") -ge 13 ]] || fail "tavlo --help lister: $commands"
    for c in $commands; do
        grep -q "^ *tavlo $c " <<< "$text" || fail "tavlo(1) mangler kommandoen $c"
    done
    ;;
lintian)
    lintian --fail-on error --suppress-tags-from-file /dev/null "$deb"
    ;;
remove)
    rm -rf "$root" "$state"
    ;;
*)
    fail "ukjent steg $step"
    ;;
esac
