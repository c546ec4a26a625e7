#!/usr/bin/env bash
# The installed catalog, from a fresh prefix: install_test.sh BUILD_DIR VERSION APP_ID CASE
#   layout    the Application directory, launcher, desktop entry, icon and metainfo, and their validators
#   launcher  the per-user copy: first start, refresh by a newer installed version, no refresh otherwise
#   start     the real program, started by the launcher on its copy, comes up and ends on SIGTERM
#   deb       the Debian package made by cpack
set -euo pipefail
build=$1 version=$2 id=$3 case=$4

work=$(mktemp -d)
program_pid=
cleanup() {
    [ -z "$program_pid" ] || kill -KILL "$program_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
check() { # check DESCRIPTION COMMAND...
    local what=$1
    shift
    if ! "$@"; then
        echo "FAIL: $what"
        failures=$((failures + 1))
    fi
}
same() { cmp -s "$1" "$2"; }
finish() {
    [ "$failures" -eq 0 ] || {
        echo "$failures check(s) failed"
        exit 1
    }
    echo "all checks passed"
}

install_prefix() {
    prefix=$work/prefix
    app=$prefix/lib/velkorn
    cmake --install "$build" --prefix "$prefix" >"$work/install.log"
}

# A blank in the data home catches unquoted paths in the launcher.
data=$work/data\ home
copy=$data/velkorn
launch() { XDG_DATA_HOME=$data HOME=$work/home "$prefix/bin/velkorn"; }

# Replaces the installed program by a script that says where it was started from.
stub_program() {
    printf '#!/bin/sh\necho "%s started as $0"\n' "$1" >"$app/velkorn"
    chmod 755 "$app/velkorn"
}

case $case in
layout)
    install_prefix
    for f in velkorn upd; do check "$f is an installed program" test -x "$app/$f"; done
    for f in KATALOG.GDB tr.lng en.lng de.lng translations/qtbase_de.qm translations/qtbase_tr.qm; do
        check "$f is installed" test -s "$app/$f"
    done
    check "the demo pictures are installed" test -n "$(find "$app/images" -name '*.jpg' | head -n 1)"
    check "the version stamp is the project version" test "$(cat "$app/VERSION")" = "$version"
    check "the installed catalog is readable by everyone" test "$(stat -c %a "$app/KATALOG.GDB")" = 644
    check "the launcher is executable" test -x "$prefix/bin/velkorn"
    check "the launcher starts from the installed directory" grep -qF "installed='$app'" "$prefix/bin/velkorn"
    check "the launcher is plain POSIX shell" sh -n "$prefix/bin/velkorn"

    desktop=$prefix/share/applications/$id.desktop
    metainfo=$prefix/share/metainfo/$id.metainfo.xml
    check "the desktop entry starts the launcher" grep -qx "Exec=$prefix/bin/velkorn" "$desktop"
    check "the desktop entry names the icon" grep -qx "Icon=$id" "$desktop"
    check "the icon is a scalable picture" grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/$id.svg"
    check "the metainfo launches the desktop entry" grep -qF "<launchable type=\"desktop-id\">$id.desktop<" "$metainfo"
    check "the metainfo names this release" grep -qF "<release version=\"$version\"" "$metainfo"
    check "desktop-file-validate accepts the desktop entry" desktop-file-validate "$desktop"
    check "appstreamcli accepts the metainfo" appstreamcli validate --no-net "$metainfo"
    finish
    ;;

launcher)
    install_prefix
    stub_program old
    check "the first start runs the program from the copy" \
        test "$(launch)" = "old started as $copy/velkorn"
    for f in velkorn upd KATALOG.GDB en.lng de.lng tr.lng translations/qtbase_tr.qm VERSION; do
        check "the first start copies $f" same "$app/$f" "$copy/$f"
    done
    check "the first start copies the pictures" diff -r "$app/images" "$copy/images"
    check "the user may write the catalog" test -w "$copy/KATALOG.GDB"

    # The user's catalog changes and synchronisation adds a picture; then a newer version is installed.
    echo "user's changes" >>"$copy/KATALOG.GDB"
    cp "$copy/KATALOG.GDB" "$work/user.gdb"
    echo "synchronised" >"$copy/images/user.jpg"
    stub_program new
    echo "99.0.0" >"$app/VERSION"
    printf '[TfrmMain]\nbtnNew=New\n' >>"$app/en.lng"
    echo "new picture" >"$app/images/new.jpg"
    check "the newer version's program starts" test "$(launch)" = "new started as $copy/velkorn"
    check "a newer version replaces the program" same "$app/velkorn" "$copy/velkorn"
    check "a newer version replaces the language files" same "$app/en.lng" "$copy/en.lng"
    check "a newer version brings its pictures" same "$app/images/new.jpg" "$copy/images/new.jpg"
    check "a newer version keeps the user's catalog" same "$work/user.gdb" "$copy/KATALOG.GDB"
    check "a newer version keeps synchronised pictures" test -s "$copy/images/user.jpg"
    check "the copy records the newer version" test "$(cat "$copy/VERSION")" = 99.0.0

    # The program rewrites its language files; the same or an older installed version leaves the copy alone.
    echo "; written by the program" >>"$copy/en.lng"
    cp "$copy/en.lng" "$work/user.lng"
    check "the same version leaves the copy alone" test "$(launch)" = "new started as $copy/velkorn"
    check "the same version keeps the language file" same "$work/user.lng" "$copy/en.lng"
    echo "98.7.0" >"$app/VERSION"
    stub_program older
    check "an older version leaves the program alone" test "$(launch)" = "new started as $copy/velkorn"
    check "an older version keeps the language file" same "$work/user.lng" "$copy/en.lng"
    echo "100.0.0" >"$app/VERSION"
    check "versions compare by number, not by text" test "$(launch)" = "older started as $copy/velkorn"

    # A copy broken off before its stamp was written is completed, still without touching the catalog.
    rm "$copy/VERSION" "$copy/de.lng"
    launch >/dev/null
    check "an interrupted copy is completed" same "$app/de.lng" "$copy/de.lng"
    check "completing a copy keeps the user's catalog" same "$work/user.gdb" "$copy/KATALOG.GDB"

    check "without XDG_DATA_HOME the copy goes to ~/.local/share" \
        test "$(env -u XDG_DATA_HOME HOME="$work/home" "$prefix/bin/velkorn")" = \
        "older started as $work/home/.local/share/velkorn/velkorn"

    # An update of the copy that the restart helper could not finish is the program's to undo first.
    mkdir -p "$copy/.update-backup"
    printf 'velkorn update journal 1\nkept velkorn\n' >"$copy/.update-backup/journal"
    echo "101.0.0" >"$app/VERSION"
    stub_program newest
    check "an unfinished update keeps the copy from being refreshed" \
        test "$(launch)" = "older started as $copy/velkorn"
    echo complete >>"$copy/.update-backup/journal"
    check "a finished update lets the copy be refreshed" test "$(launch)" = "newest started as $copy/velkorn"
    finish
    ;;

start)
    install_prefix
    cp "$app/KATALOG.GDB" "$work/installed.gdb"
    # No display, no language dialog, and servers that refuse at once.
    QT_QPA_PLATFORM=offscreen VELKORN_LANGUAGE=en VELKORN_CATALOG_HOST=127.0.0.1:1 VELKORN_UPDATE_HOST=127.0.0.1:1 \
        TMPDIR=$work no_proxy='*' XDG_DATA_HOME=$data HOME=$work/home \
        "$prefix/bin/velkorn" >"$work/program.log" 2>&1 &
    program_pid=$!
    # Up: the process is the program from the copy and holds the copy's catalog open.
    up=
    for _ in $(seq 1 300); do
        if [ "$(readlink "/proc/$program_pid/exe" 2>/dev/null)" = "$copy/velkorn" ] &&
            find "/proc/$program_pid/fd" -lname "$copy/KATALOG.GDB" 2>/dev/null | grep -q .; then
            up=1
            break
        fi
        kill -0 "$program_pid" 2>/dev/null || break
        sleep 0.1
    done
    check "the program comes up on the copy's catalog" test -n "$up"
    kill -TERM "$program_pid" 2>/dev/null || true
    status=0
    wait "$program_pid" || status=$?
    program_pid=
    check "the program ends cleanly on SIGTERM (status $status)" test "$status" -eq 0
    [ "$failures" -eq 0 ] || cat "$work/program.log"
    check "the installed catalog is left as it was" same "$work/installed.gdb" "$app/KATALOG.GDB"
    finish
    ;;

deb)
    (cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || {
        cat "$work/cpack.log"
        exit 1
    }
    deb=$work/out/velkorn_${version}_$(dpkg --print-architecture).deb
    check "cpack makes $(basename "$deb")" test -s "$deb"
    # "mode path" per entry, and "-> target" for a link.
    dpkg-deb -c "$deb" | awk '{ line = $1 " " $6; if ($7 != "") line = line " " $7 " " $8; print line }' \
        >"$work/contents"
    has() { grep -qxF -- "$1" "$work/contents"; }
    check "the launcher is in /opt/velkorn" has "-rwxr-xr-x ./opt/velkorn/bin/velkorn"
    check "the program is in /opt/velkorn" has "-rwxr-xr-x ./opt/velkorn/lib/velkorn/velkorn"
    check "the restart helper is in /opt/velkorn" has "-rwxr-xr-x ./opt/velkorn/lib/velkorn/upd"
    for f in KATALOG.GDB en.lng VERSION translations/qtbase_de.qm; do check "$f is in /opt/velkorn" has "-rw-r--r-- ./opt/velkorn/lib/velkorn/$f"; done
    for f in applications/$id.desktop icons/hicolor/scalable/apps/$id.svg metainfo/$id.metainfo.xml; do
        check "the desktop finds $f" has "lrwxrwxrwx ./usr/share/$f -> /opt/velkorn/share/$f"
    done
    check "the shell finds the launcher" has "lrwxrwxrwx ./usr/bin/velkorn -> /opt/velkorn/bin/velkorn"
    check "nothing lies outside /opt/velkorn and the links" \
        test -z "$(awk '$2 !~ /^\.\/((opt|usr|usr\/bin|usr\/share)\/)?$/ && $2 !~ /^\.\/opt\/velkorn\// &&
                         $2 !~ /^\.\/usr\/bin\/velkorn$/ && $2 !~ /^\.\/usr\/share\/(applications|icons|metainfo)\//' \
            "$work/contents")"

    dpkg-deb -I "$deb" >"$work/control"
    check "the package is velkorn $version" grep -qx " Version: $version" "$work/control"
    for dep in libqt6sql6-ibase firebird3.0-server-core libqt6widgets6; do
        check "the package depends on $dep" grep -q "^ Depends:.*\b$dep\b" "$work/control"
    done
    dpkg-deb -x "$deb" "$work/root"
    desktop=$work/root/opt/velkorn/share/applications/$id.desktop
    check "the menu entry starts the launcher" grep -qx "Exec=/opt/velkorn/bin/velkorn" "$desktop"
    check "desktop-file-validate accepts the packed entry" desktop-file-validate "$desktop"
    check "the launcher copies from /opt/velkorn" \
        grep -qF "installed='/opt/velkorn/lib/velkorn'" "$work/root/opt/velkorn/bin/velkorn"
    finish
    ;;
*)
    echo "unknown case $case" >&2
    exit 2
    ;;
esac
