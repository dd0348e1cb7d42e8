# Writes the header of the named language keys, `out`, from keys.tsv (the
# first file: key, format arguments, use, name): one constant for every row
# with a name in its fourth column. From the English language file (the
# second file) it adds the built-in English text of every key that takes
# format arguments, which stands in for a translated text that does not
# take exactly those arguments.
BEGIN {
    FS = "\t"
    print "// The language keys the code names, generated from lang/src/keys.tsv" > out
    print "// (key, format arguments, use, name) and the built-in English texts of" > out
    print "// the formatted keys from lang/src/english.lng, by lang/keys_header.awk." > out
    print "// Portable: no windows.h." > out
    print "#pragma once" > out
    print "" > out
    print "namespace quenzel::keys {" > out
    print "" > out
}
{ sub(/\r$/, "") }
FNR == NR && NF >= 4 && $4 != "" {
    printf "inline constexpr int %s = %s; // %s\n", $4, $1, $3 > out
}
FNR == NR && $2 != "" && $1 ~ /^[0-9]+$/ {
    arguments[$1] = $2
    next
}
FNR == NR { next }
/^\[/ { section = $0; next }
section == "[INTERFACE]" && /^[0-9]+=/ {
    key = substr($0, 1, index($0, "=") - 1)
    if (key in arguments) {
        text = substr($0, index($0, "=") + 1)
        gsub(/\\/, "\\\\", text)
        gsub(/"/, "\\\"", text)
        gsub(/~/, "\\n", text)
        english[key] = text
    }
}
END {
    print "" > out
    print "// A key that takes format arguments: their kinds, and its English text." > out
    print "struct FormattedText {" > out
    print "    int key;" > out
    print "    const char* arguments;" > out
    print "    const wchar_t* english;" > out
    print "};" > out
    print "" > out
    print "inline constexpr FormattedText FormattedTexts[] = {" > out
    for (key in arguments) {
        if (!(key in english)) {
            print "lang/keys_header.awk: key " key " takes arguments but has no English text" > "/dev/stderr"
            exit 1
        }
        printf "    {%s, \"%s\", L\"%s\"},\n", key, arguments[key], english[key] > out
    }
    print "};" > out
    print "" > out
    print "} // namespace quenzel::keys" > out
}
