# Sourced by the benchmark scripts: the test trees, made once.

make_tree() {   # make_tree DIR TOP SUB FILES BYTES
    local dir=$1
    [ -f "$dir.complete" ] && return 0
    echo "making $dir"
    rm -rf "$dir"
    python3 - "$@" <<'PY'
import os, sys
dir, top, sub, files, size = sys.argv[1], *map(int, sys.argv[2:])
for t in range(top):
    for s in range(sub):
        folder = os.path.join(dir, "t%02d" % t, "s%03d" % s)
        os.makedirs(folder)
        for f in range(files):
            with open(os.path.join(folder, "f%03d.txt" % f), "wb") as out:
                out.write(os.urandom(size))
PY
    touch "$dir.complete"
}
