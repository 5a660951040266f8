#!/usr/bin/env bash
# Checks the Debian package: builds it (scripts/build-deb.sh) unless a .deb is given, then
#   - lintian: no error and no warning (the package's own overrides say why each one kept is
#     there: packaging/lintian-overrides); infos are shown,
#   - desktop-file-validate, appstreamcli validate --no-net and xmllint on the desktop files,
#   - the file type: with the package's data folder in XDG_DATA_DIRS, *.qv3 and *.QV3 files,
#     and a configuration without that ending, resolve to application/x-quorvane-config and
#     xdg-mime names quorvane.desktop as its default program,
#   - the man pages render without a groff warning,
#   - the packaged programs, unpacked with dpkg-deb -x: --version, --help, --show-config of a
#     packaged example, a headless run against quorvane-sim that logs and acknowledges
#     records and serves them on D-Bus, and a port that the user may not open, whose message
#     names the device's group.
# Exits non-zero on the first failure. Usage: scripts/check-deb.sh [PACKAGE.deb]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
started=$SECONDS

if [[ $# -ge 1 ]]; then
    deb=$1
else
    deb=$("$here/scripts/build-deb.sh" | tail -n 1)
fi
[[ -f "$deb" ]] || { echo "check-deb: no package at '$deb'" >&2; exit 1; }
version=$(sed -n 's/^project(Quorvane VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")

work=$(mktemp -d /tmp/quorvane-check-deb.XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "check-deb: FAILED: $*" >&2
    exit 1
}
step() { echo "--- check-deb: $*"; }

root=$work/root
share=$root/usr/share
dpkg-deb -x "$deb" "$root"

step "package $(basename "$deb")"
dpkg-deb -f "$deb" Package Version Depends Recommends Suggests Installed-Size
[[ "$(dpkg-deb -f "$deb" Version)" == "$version-"* ]] || fail "the package version is not $version"
# Only libraries at run time: a build or test tool among the dependencies is a mistake.
depends=$(dpkg-deb -f "$deb" Depends)
for tool in cmake ninja gcc g++ clang qt6-base-dev libgtest googletest xvfb lintian; do
    if grep -Eq "(^|[ ,])$tool" <<<"$depends"; then fail "Depends names $tool: $depends"; fi
done

step "lintian"
# As root lintian says only that running as root is not recommended; the package is unpacked
# by lintian itself into a folder of its own.
lintian_status=0
lintian --fail-on error,warning --display-info "$deb" >"$work/lintian.log" 2>&1 ||
    lintian_status=$?
grep -v '^running with root privileges is not recommended!$' "$work/lintian.log" || true
[[ "$lintian_status" -eq 0 ]] || fail "lintian reported errors or warnings (exit $lintian_status)"

step "desktop file, AppStream data, MIME package"
desktop-file-validate "$share/applications/quorvane.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$share/metainfo/org.quorvane.Quorvane.metainfo.xml" ||
    fail "appstreamcli validate"
# Debian ships no schema of the shared-MIME format; the file must be well formed and
# update-mime-database must take it (it says what it ignores on standard error).
xmllint --noout "$share/mime/packages/quorvane.xml" || fail "xmllint"
XDG_DATA_DIRS="$share:/usr/share" update-mime-database "$share/mime" 2>"$work/umd.err" || fail "update-mime-database"
if [[ -s "$work/umd.err" ]]; then cat "$work/umd.err" >&2; fail "update-mime-database warned"; fi
update-desktop-database "$share/applications" || fail "update-desktop-database"
mkdir -m 0700 "$work/runtime"
XDG_RUNTIME_DIR=$work/runtime systemd-analyze verify --user \
    "$root/usr/lib/systemd/user/quorvane-headless@.service" 2>"$work/unit.err" || true
# The unit's program is the packaged one, which verify looks for at /usr/bin.
if grep -v -e "Command /usr/bin/quorvane is not executable" -e '^$' "$work/unit.err" |
    grep -q .; then
    cat "$work/unit.err" >&2
    fail "systemd-analyze verify"
fi
grep -q '^ExecStart=/usr/bin/quorvane --headless ' \
    "$root/usr/lib/systemd/user/quorvane-headless@.service" || fail "the unit's ExecStart"

step "installed manual"
# Every local file the manual refers to is in the package (the icon lives in the icon theme).
doc=$share/doc/quorvane
missing=0
pages=0
for page in "$here"/docs/*.html; do
    name=$(basename "$page")
    pages=$((pages + 1))
    if [[ ! -f "$doc/$name" ]]; then
        echo "the manual's page $name is not in the package" >&2
        missing=1
        continue
    fi
    for ref in $(grep -oE '(src|href)="[^"#]*"' "$doc/$name" | sed -E 's/^(src|href)="//; s/"$//' |
        grep -vE '^(https?|mailto):' | sort -u); do
        [[ -z "$ref" || -f "$doc/$ref" ]] && continue
        echo "the manual's $name refers to $ref, which the package does not have" >&2
        missing=1
    done
done
[[ "$pages" -gt 1 ]] || fail "the manual's pages were not found in docs/"
[[ "$missing" -eq 0 ]] || fail "the installed manual has broken references"
[[ -f "$doc/screenshots/setup-en.png" ]] || fail "no screenshots in the manual"

step "file type lookup"
files=$work/files
mkdir -p "$files" "$work/home" "$work/config"
cp "$here/examples/comma-3-fields.qv3" "$files/lower.qv3"
cp "$here/examples/comma-3-fields.qv3" "$files/UPPER.QV3"
cp "$here/examples/older-layout.qv3" "$files/no-ending"  # recognised by its first line
printf 'Quorvane\r\nnot a configuration\r\n' >"$files/text.qv3.txt"
mime_env=(env XDG_DATA_HOME="$work/home" XDG_CONFIG_HOME="$work/config"
    XDG_CONFIG_DIRS="$work/config" XDG_DATA_DIRS="$share:/usr/share" XDG_CURRENT_DESKTOP=X-Generic)
content_type() {
    "${mime_env[@]}" gio info -a standard::content-type "$1" |
        sed -n 's/^ *standard::content-type: //p'
}
for name in lower.qv3 UPPER.QV3 no-ending; do
    type=$(content_type "$files/$name")
    echo "$name: $type"
    [[ "$type" == application/x-quorvane-config ]] || fail "$name resolves to '$type'"
done
type=$(content_type "$files/text.qv3.txt")
echo "text.qv3.txt: $type"
[[ "$type" != application/x-quorvane-config ]] || fail "a text file was taken for a configuration"
default=$("${mime_env[@]}" xdg-mime query default application/x-quorvane-config)
echo "xdg-mime query default application/x-quorvane-config: $default"
[[ "$default" == quorvane.desktop ]] || fail "the default program is '$default'"

step "man pages"
for page in quorvane quorvane-sim; do
    file=$share/man/man1/$page.1.gz
    LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" >"$work/$page.txt" 2>"$work/$page.err" ||
        fail "man -l $page"
    if [[ -s "$work/$page.err" ]]; then cat "$work/$page.err" >&2; fail "groff warned on $page"; fi
    head -n 4 "$work/$page.txt"
    # Every option of the program's usage text is in its page.
    if [[ $page == quorvane ]]; then usage=$("$root/usr/bin/quorvane" --help); else
        usage=$("$root/usr/bin/quorvane-sim" --help); fi
    for option in $(grep -o -- '--[a-z-]*' <<<"$usage" | sort -u); do
        grep -q -- "$option" "$work/$page.txt" || fail "man $page does not describe $option"
    done
done

step "packaged programs"
bin=$root/usr/bin
examples=$share/doc/quorvane/examples
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/home
[[ "$("$bin/quorvane" --version)" == "Quorvane $version" ]] || fail "quorvane --version"
"$bin/quorvane" --help | grep -q -- '--headless FILE.qv3' || fail "quorvane --help"
"$bin/quorvane-sim" --help | grep -q -- '--profile' || fail "quorvane-sim --help"
"$bin/quorvane" --show-config "$examples/comma-3-fields.qv3" >"$work/show.txt" ||
    fail "quorvane --show-config"
grep -q '^Mode = 2' "$work/show.txt" || fail "--show-config printed no Mode line"
status=0
"$bin/quorvane" --definitely-not-an-option >/dev/null 2>&1 || status=$?
[[ "$status" -eq 2 ]] || fail "a bad option exits with $status, not 2"

# A windowed start of the packaged program finds the package's menu entry, file type and icon
# beside its bin folder and so writes none of them into the user's folder. It runs on a
# display of its own until it is ended (timeout's 124: it was still running).
mkdir -p "$work/window-home" "$work/window-config"
status=0
XDG_DATA_HOME=$work/window-home XDG_CONFIG_HOME=$work/window-config \
    timeout -s TERM 4 xvfb-run -a "$bin/quorvane" >"$work/window.log" 2>&1 || status=$?
[[ "$status" -eq 124 ]] || { cat "$work/window.log" >&2; fail "the windowed start exited $status"; }
if [[ -n "$(find "$work/window-home" -mindepth 1 -print -quit)" ]]; then
    find "$work/window-home" >&2
    fail "the packaged program wrote into the user's data folder what the package provides"
fi
echo "windowed start: nothing written into XDG_DATA_HOME"

# A private session bus, so that the run serves its items where nothing else listens.
dbus-daemon --session --fork --nopidfile --print-address=3 --print-pid=4 \
    3>"$work/bus.address" 4>"$work/bus.pid"
pids+=("$(cat "$work/bus.pid")")
export DBUS_SESSION_BUS_ADDRESS
DBUS_SESSION_BUS_ADDRESS=$(cat "$work/bus.address")

"$bin/quorvane-sim" --profile balance --interval 100 --link "$work/balance" \
    >"$work/sim.out" 2>&1 &
sim_pid=$!
pids+=("$sim_pid")
for _ in $(seq 50); do [[ -e "$work/balance" ]] && break; sleep 0.1; done
[[ -e "$work/balance" ]] || fail "quorvane-sim offered no device"
env -u DISPLAY "$bin/quorvane" --headless "$examples/demo-balance.qv3" \
    --port "COM1=$work/balance" >"$work/headless.out" 2>"$work/headless.err" &
headless_pid=$!
pids+=("$headless_pid")
record='^[0-9]{2}:[0-9]{2}:[0-9]{2} [+-][0-9]{4}\.[0-9]{2} g$'
for _ in $(seq 100); do
    [[ $(grep -cE "$record" "$work/headless.out" || true) -ge 3 ]] && break
    kill -0 "$headless_pid" 2>/dev/null || break
    sleep 0.1
done
served=$(gdbus call --session --dest Quorvane.COM1 --object-path /org/quorvane/Dde \
    --method org.quorvane.Dde1.Request 'Field(1)' 2>&1) || served="(no answer) $served"
kill -TERM "$headless_pid"
status=0
wait "$headless_pid" || status=$?
kill -TERM "$sim_pid"
wait "$sim_pid" || true
echo "headless: $(grep -cE "$record" "$work/headless.out" || true) records logged, exit $status"
head -n 3 "$work/headless.out"
echo "D-Bus Quorvane.COM1 Field(1): $served"
[[ "$status" -eq 0 ]] || { cat "$work/headless.err" >&2; fail "the headless run exited $status"; }
[[ $(grep -cE "$record" "$work/headless.out" || true) -ge 3 ]] ||
    { cat "$work/headless.err" >&2; fail "the headless run logged fewer than 3 records"; }
grep -Eq "^RX .*\\\\x06" "$work/sim.out" || fail "the balance received no acknowledgement"
# The item is the field as logged, with the log's line end.
grep -Eq "^\('[+-][0-9]{4}\.[0-9]{2} g(\\\\[rn])*',\)$" <<<"$served" ||
    fail "D-Bus Request: $served"

# A first start on a port the user may not open names the group to join. The device is put in
# the group dialout and the run is made as a user outside it (as root, nobody; otherwise the
# device is made unreadable for its owner, the caller, and named by its own group).
"$bin/quorvane-sim" --profile balance --link "$work/locked" >"$work/sim2.out" 2>&1 &
pids+=("$!")
for _ in $(seq 50); do [[ -e "$work/locked" ]] && break; sleep 0.1; done
device=$(head -n 1 "$work/sim2.out")
[[ -c "$device" ]] || fail "quorvane-sim offered no device for the permission check"
run_as=()
if [[ "$(id -u)" -eq 0 ]]; then
    chgrp dialout "$device"
    chmod 0660 "$device"
    group=dialout
    chmod 0755 "$work" "$root"
    mkdir -p "$work/nobody"
    chown nobody "$work/nobody"
    run_as=(setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$work/nobody"
        XDG_CONFIG_HOME="$work/nobody/config")
else
    chmod 0000 "$device"
    group=$(stat -c %G "$device")
fi
status=0
"${run_as[@]}" env -u DISPLAY "$bin/quorvane" --headless "$examples/demo-balance.qv3" \
    --port "COM1=$device" >/dev/null 2>"$work/denied.err" || status=$?
cat "$work/denied.err"
[[ "$status" -eq 1 ]] || fail "a port that cannot be opened exits with $status, not 1"
grep -q "Permission denied" "$work/denied.err" || fail "the message does not say why"
grep -q "belongs to the group $group: add your user to it (sudo usermod -aG $group" \
    "$work/denied.err" || fail "the message does not name the group $group"

echo "check-deb: $(basename "$deb") passed in $((SECONDS - started)) s"
