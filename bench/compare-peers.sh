#!/usr/bin/env bash
# Runs quilder-bench and the peers (jdupes, fdupes, rdfind) on one tree, one after the other in
# the same run; prints each wall time and processor time (user + system, as /usr/bin/time counts
# them), their ratios to quilder-bench's, and whether each peer found the same groups (as sets of
# sets of paths).
#   bench/compare-peers.sh [--store DIR] [--cold] TREE
# --store DIR   quilder-bench keeps its work store in DIR (created when missing) instead of a
#               temporary folder under /tmp, and leaves it there: a second run then starts with
#               the previous job's store present, as the window does. Put DIR on the file system
#               to be measured, e.g. a sub-folder of a journalled ext4 image mounted by root:
#               truncate -s 6G img && mkfs.ext4 -q img && mount -o loop img /mnt/ext
# --cold        empties the page cache (sync; echo 3 > /proc/sys/vm/drop_caches) right before
#               each program, so that every one reads the tree from the disk. Needs root.
# QUILDER_BENCH names the quilder-bench program (default: build/bench/quilder-bench beside this
# script's folder); PEERS picks peers (default: "jdupes fdupes rdfind"). Without --cold every
# file of the tree is read once before the timed runs (WARM=0 skips that), so that no program
# pays for a cold cache that the ones after it would not.
set -euo pipefail

usage() {
    echo "usage: compare-peers.sh [--store DIR] [--cold] TREE" >&2
    exit 2
}

store=
cold=0
while [[ $# -gt 1 ]]; do
    case $1 in
    --store) [[ -n ${2:-} ]] || usage; store=$2; shift 2 ;;
    --cold) cold=1; shift ;;
    *) usage ;;
    esac
done
[[ $# -eq 1 && -d $1 ]] || usage
tree=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
bench=${QUILDER_BENCH:-$here/../build/bench/quilder-bench}
peers=${PEERS:-"jdupes fdupes rdfind"}
store_args=()
if [[ -n $store ]]; then
    mkdir -p "$store"
    store_args=(--store "$(cd "$store" && pwd)")
fi
if ((cold)) && [[ ! -w /proc/sys/vm/drop_caches ]]; then
    echo "compare-peers.sh: --cold needs root (cannot write /proc/sys/vm/drop_caches)" >&2
    exit 1
fi

if [[ ! -x /usr/bin/time ]]; then
    echo "compare-peers.sh: needs /usr/bin/time (the Debian package time) for processor times" >&2
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

now_ms() { date +%s%3N; }

# Canonical groups: one line per group, its sorted paths joined by a unit separator; lines
# sorted. Input: one path per line, an empty line between groups.
canonical() {
    awk -v RS= -v FS='\n' '{
        n = split($0, p, "\n"); for (i = 2; i <= n; i++) { v = p[i]; j = i - 1
            while (j > 0 && p[j] > v) { p[j + 1] = p[j]; j-- } p[j + 1] = v }
        line = p[1]; for (i = 2; i <= n; i++) line = line "\037" p[i]; print line }' |
        LC_ALL=C sort
}

# quilder-bench lines are path TAB key CR LF; members of a group share the key.
quilder_groups() {
    tr -d '\r' <"$1" | awk -F'\t' '
        NR > 1 && $2 != key { print "" } { key = $2; print $1 }'
}

# rdfind's results.txt: duptype id depth size device inode priority name; the members of a
# group share the absolute value of id.
rdfind_groups() {
    grep -v '^#' "$1" | awk '{
        id = $2 < 0 ? -$2 : $2; name = $0
        for (f = 1; f <= 7; f++) sub(/^[^ ]+ /, "", name)
        group[id] = group[id] "\n" name } END { for (id in group) print substr(group[id], 2) "\n" }'
}

# Called right before each timed program.
prepare() {
    if ((cold)); then
        sync
        echo 3 >/proc/sys/vm/drop_caches
    fi
}

if ((!cold)) && [[ ${WARM:-1} != 0 ]]; then
    find "$tree" -type f -print0 | xargs -0 cat >/dev/null
fi

if ((cold)); then echo "cold: page cache dropped before each program"; fi
if [[ -n $store ]]; then echo "work store: ${store_args[1]}"; fi
# Processor time (user + system seconds) of a finished program, as /usr/bin/time counts it.
timed() {
    local out=$1
    shift
    /usr/bin/time -f "%U %S" -o "$work/time" "$@" >"$out"
}
cpu_of() { awk '{ printf "%.2f s processor (%.2f user + %.2f system)", $1 + $2, $1, $2 }' "$work/time"; }
cpu_sum() { awk '{ print $1 + $2 }' "$work/time"; }

prepare
start=$(now_ms)
timed "$work/quilder.out" "$bench" "${store_args[@]}" "$tree" 2>"$work/quilder.err"
quilder_ms=$(($(now_ms) - start))
quilder_cpu=$(cpu_sum)
quilder_groups "$work/quilder.out" | canonical >"$work/quilder.groups"
echo "quilder-bench: ${quilder_ms} ms, $(cpu_of), $(wc -l <"$work/quilder.groups") groups"
sed 's/^/  /' "$work/quilder.err"

for peer in $peers; do
    if ! command -v "$peer" >/dev/null; then
        echo "$peer: not installed"
        continue
    fi
    prepare
    start=$(now_ms)
    case $peer in
    jdupes | fdupes) timed "$work/$peer.out" "$peer" -r "$tree" 2>/dev/null ;;
    rdfind) (cd "$work" && timed /dev/null rdfind -dryrun true "$tree" 2>/dev/null) ;;
    *) echo "$peer: unknown peer" >&2; continue ;;
    esac
    ms=$(($(now_ms) - start))
    case $peer in
    rdfind) rdfind_groups "$work/results.txt" | canonical >"$work/$peer.groups" ;;
    *) canonical <"$work/$peer.out" >"$work/$peer.groups" ;;
    esac
    if cmp -s "$work/quilder.groups" "$work/$peer.groups"; then same="same groups"; else
        same="DIFFERENT groups ($(wc -l <"$work/$peer.groups") groups)"; fi
    ratios=$(awk -v q="$quilder_ms" -v p="$ms" -v peer="$peer" 'BEGIN {
        printf "%.2f x quilder-bench, quilder-bench/%s = %.2f", (q > 0 ? p / q : 0), peer, (p > 0 ? q / p : 0) }')
    cpu_ratio=$(awk -v q="$quilder_cpu" -v p="$(cpu_sum)" 'BEGIN {
        printf "processor time quilder-bench/%s = %.2f", "'"$peer"'", (p > 0 ? q / p : 0) }')
    echo "$peer: ${ms} ms, $(cpu_of), $ratios, $cpu_ratio, $same"
done
