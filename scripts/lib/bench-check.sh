# Sourced by the benchmark scripts: a timed job counts only when it did its
# work. Each check below stops the script with exit status 1 and says what
# is missing, so a job that failed or wrote nothing never shows as a time.

bench_fail() {   # bench_fail MESSAGE...
    echo "$(basename "$0"): $*" >&2
    exit 1
}

# check_line LINE WHAT [COUNT]: LINE is a benchmark program's report
# "<WHAT> <seconds> [<COUNT>] ...", with a time and, when given, the count.
check_line() {
    local what seconds count
    read -r what seconds count _ <<< "$1"
    [ "$what" = "$2" ] && [[ $seconds =~ ^[0-9]+(\.[0-9]+)?$ ]] || bench_fail "no time of \"$2\" in \"$1\""
    [ -z "${3:-}" ] || [ "$count" = "$3" ] || bench_fail "\"$2\" counted $count, not $3"
}

# seconds_in LINE: the seconds of a line that check_line has passed.
seconds_in() {
    local _what seconds _rest
    read -r _what seconds _rest <<< "$1"
    echo "$seconds"
}

# expect_file PATH BYTES: PATH is a file of BYTES bytes.
expect_file() {
    [ -f "$1" ] || bench_fail "$1 was not written"
    local size
    size=$(stat -c %s "$1")
    [ "$size" -eq "$2" ] || bench_fail "$1 has $size bytes, not $2"
}

# expect_tree SOURCE OUTPUT BYTES: OUTPUT holds a file of BYTES bytes under
# the name of each file below SOURCE, and no other file.
expect_tree() {
    [ -d "$2" ] || bench_fail "$2 was not made"
    local differ
    differ=$(diff <(cd "$1" && find . -type f -printf "%p $3\n" | sort) <(cd "$2" && find . -type f -printf '%p %s\n' | sort) \
        | grep '^[<>]' | head -6 || true)
    [ -z "$differ" ] || bench_fail "$2 is not a file of $3 bytes for each of $1 (< expected, > found; name bytes):
$differ"
}

# expect_no_files FOLDER: no file is left below FOLDER.
expect_no_files() {
    local left
    left=$(find "$1" -type f | wc -l)
    [ "$left" -eq 0 ] || bench_fail "$left file(s) left below $1"
}

# strong_size BYTES: the size of a strong file of BYTES plaintext bytes:
# version 2's header (89 bytes), then 1 MiB chunks, each 17 bytes larger,
# and a final chunk with the rest (docs/format.md).
strong_size() {
    local chunk=1048576
    echo $((89 + $1 / chunk * (chunk + 17) + $1 % chunk + 17))
}
