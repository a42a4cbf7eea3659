#!/usr/bin/env bash
# Checks an installation as a user meets it, from a built tree (and its Debian package):
#   tests/install/check-install.sh BUILD_DIR [PACKAGE.deb]
# - `cmake --install` into a temporary DESTDIR under /usr puts in exactly installed-files.txt;
# - the desktop entry, the AppStream data and the manual page pass their own tools' checks;
# - the package holds the same files and lintian finds no error in it; with --apt (as root) it
#   is also installed with apt and removed again, and none of its files may be left;
# - the installed program, started under Xvfb by an unprivileged user whose program folder is
#   not writable, shows its window, keeps its store in ~/.local/share/quilder, and a second
#   start ends at once with status 0 while the first runs on. Run by root, the installed program
#   writes nothing beside itself either. Skipped with a message where Xvfb is missing.
# Needs desktop-file-utils, appstream, man-db, lintian (with a package), xvfb and xdotool.
set -euo pipefail

apt_round=false
if [[ ${1:-} == --apt ]]; then
    apt_round=true
    shift
fi
build_dir=${1:?usage: check-install.sh [--apt] BUILD_DIR [PACKAGE.deb]}
package=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
expected=$here/installed-files.txt
app_id=org.example.quilder

fail() {
    echo "check-install: FAILED: $*" >&2
    exit 1
}
step() { echo "check-install: $*"; }

work=$(mktemp -d)
chmod 755 "$work" # the test user walks through it to the installed program
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# Files only, relative to the root, sorted: the form installed-files.txt is written in.
list_tree() { (cd "$1" && find . -type f -o -type l) | sed 's|^\./||' | LC_ALL=C sort; }

root=$work/root
step "installing $build_dir into a temporary DESTDIR"
DESTDIR=$root cmake --install "$build_dir" --prefix /usr >/dev/null
list_tree "$root" >"$work/installed.txt"
diff -u "$expected" "$work/installed.txt" || fail "the installed files differ from $expected"

step "validating the desktop entry, the AppStream data and the manual page"
desktop-file-validate "$root/usr/share/applications/$app_id.desktop" ||
    fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml" ||
    fail "appstreamcli validate"
man_warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 \
    man --warnings -l "$root/usr/share/man/man1/quilder.1.gz" 2>&1 >/dev/null)
[[ -z $man_warnings ]] || fail "the manual page: $man_warnings"

if [[ -n $package ]]; then
    step "checking the package $package"
    dpkg-deb -c "$package" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | LC_ALL=C sort \
        >"$work/packaged.txt"
    diff -u "$expected" "$work/packaged.txt" || fail "the package's files differ from $expected"
    dpkg-deb -f "$package" Depends | grep -q libqt6widgets6 || fail "Depends lacks the Qt libraries"
    lintian --fail-on error "$package" || fail "lintian found errors"
    if $apt_round; then
        step "installing the package with apt, then removing it"
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$(realpath "$package")" >/dev/null
        dpkg -L quilder | sed 's|^/||' >"$work/dpkg-files.txt"
        DEBIAN_FRONTEND=noninteractive apt-get remove -y -q quilder >/dev/null
        while read -r file; do
            [[ -d /$file || ! -e /$file ]] || fail "/$file is left after apt remove"
        done <"$work/dpkg-files.txt"
        grep -qx usr/bin/quilder "$work/dpkg-files.txt" || fail "dpkg -L lacks the program"
    fi
fi

if ! command -v Xvfb >/dev/null 2>&1; then
    echo "check-install: SKIPPED starting the installed program: Xvfb is not installed"
    exit 0
fi
command -v xdotool >/dev/null 2>&1 || fail "xdotool is needed to see the window"

# Waits up to 60 s for a condition, a command line.
wait_for() {
    local tries=300
    until "$@"; do
        ((--tries)) || return 1
        sleep 0.2
    done
}

Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
wait_for test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
display=:$(cat "$work/display")

# The lock's name comes from the work store's folder: it shows which store the program took.
lock_of() {
    local hash
    hash=$(printf '%s' "$2" | sha1sum | cut -c1-16)
    echo "$1/quilder-$hash.lock"
}

# command_for LIMIT USER HOME sets `launch` to start the installed program as USER, with a home
# and a temporary folder of its own, ended after LIMIT seconds so that a hung one cannot hold up
# CI. Run in the background it is one process, whose end ends the program.
command_for() {
    launch=(timeout "$1" env -i HOME="$3" TMPDIR="$3/tmp" XDG_RUNTIME_DIR="$3/runtime"
           DISPLAY="$display" PATH=/usr/bin:/bin LANG=C.UTF-8
           setpriv --reuid="$(id -u "$2")" --regid="$(id -g "$2")" --clear-groups
           "$root/usr/bin/quilder")
}
make_home() {
    mkdir -p "$1/tmp" "$1/runtime"
    chmod 700 "$1/runtime"
    chown -R "$2" "$1"
}

user=nobody
home=$work/home
make_home "$home" "$user:$(id -gn "$user")"
if setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups test -w "$root/usr/bin"; then
    fail "the program folder is writable for $user"
fi

step "starting the installed program as $user on display $display"
command_for 300 "$user" "$home"
"${launch[@]}" >"$work/first.log" 2>&1 &
first=$!
pids+=("$first")
store=$home/.local/share/quilder
wait_for test -e "$(lock_of "$home/tmp" "$store")" ||
    fail "no lock for the store $store: $(cat "$work/first.log")"
window_shown() {
    DISPLAY=$display xdotool search --onlyvisible --name '^Quilder$' >/dev/null 2>&1
}
wait_for window_shown ||
    fail "no window titled Quilder: $(cat "$work/first.log")"
[[ -d $store ]] || fail "the per-user data folder $store was not made"

step "a second start ends at once with status 0"
status=0
command_for 30 "$user" "$home"
"${launch[@]}" >"$work/second.log" 2>&1 || status=$?
[[ $status == 0 ]] || fail "the second start ended with status $status: $(cat "$work/second.log")"
kill -0 "$first" 2>/dev/null || fail "the first program ended at the second start"
kill "$first"
wait "$first" 2>/dev/null || true

step "run by root, the installed program keeps its store in root's data folder too"
root_home=$work/root-home
make_home "$root_home" root:root
command_for 300 root "$root_home"
"${launch[@]}" >"$work/root.log" 2>&1 &
pids+=($!)
wait_for test -e "$(lock_of "$root_home/tmp" "$root_home/.local/share/quilder")" ||
    fail "no lock for root's store: $(cat "$work/root.log")"
kill "${pids[-1]}"
wait "${pids[-1]}" 2>/dev/null || true

list_tree "$root" | diff -u "$work/installed.txt" - ||
    fail "the program wrote into its installation"
step "all checks passed"
