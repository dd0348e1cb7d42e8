# Writes the header of the named language keys, `out`, from keys.tsv: one
# constant for every row with a name in its fourth column.
BEGIN {
    FS = "\t"
    print "// The language keys the code names, generated from lang/src/keys.tsv" > out
    print "// (key, format arguments, use, name) by lang/keys_header.awk." > out
    print "// Portable: no windows.h." > out
    print "#pragma once" > out
    print "" > out
    print "namespace quenzel::keys {" > out
    print "" > out
}
{ sub(/\r$/, "") }
NF >= 4 && $4 != "" {
    printf "inline constexpr int %s = %s; // %s\n", $4, $1, $3 > out
}
END {
    print "" > out
    print "} // namespace quenzel::keys" > out
}
