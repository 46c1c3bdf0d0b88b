# Sums a GNU ld map's input sections by archive member and by archive.
# Prints "bytes<TAB>output section<TAB>archive<TAB>member" lines for the
# memory map part only (the discarded sections listed before it are skipped).
/^Linker script and memory map/ { inmap = 1; next }
!inmap { next }
# An output section starts in column 0, e.g. ".text  0x00401000  0x1f400".
/^\.[A-Za-z_]/ { split($1, part, "$"); out = part[1]; pending = ""; next }
# An input section whose name is too long for its column stands alone on its
# line; its address, size and file follow on the next one.
/^ \.[^ ]+$/ { pending = $1; next }
/^ [.*A-Za-z_]/ && NF >= 4 && $2 ~ /^0x/ && $3 ~ /^0x/ { add($3, $4); pending = ""; next }
pending != "" && /^  +0x/ && NF >= 3 && $2 ~ /^0x/ { add($2, $3); pending = ""; next }
{ pending = "" }
function add(hex, file,    size, archive, member, n, p) {
    size = strtonum_(hex)
    if (size == 0 || out == "" || out == "/DISCARD/") return
    n = split(file, p, "/")
    file = p[n]
    # The launcher's own code, optimised across files, comes from a
    # temporary object with a new name at every link.
    if (file ~ /\.ltrans[0-9]*\.ltrans\.o$/) file = "launcher code, link-time optimised"
    if (match(file, /\(.*\)$/)) {
        archive = substr(file, 1, RSTART - 1)
        member = substr(file, RSTART + 1, RLENGTH - 2)
    } else {
        archive = file
        member = file
    }
    printf "%d\t%s\t%s\t%s\n", size, out, archive, member
}
function strtonum_(hex,    i, c, v) {
    v = 0
    hex = tolower(substr(hex, 3))
    for (i = 1; i <= length(hex); i++) {
        c = index("0123456789abcdef", substr(hex, i, 1)) - 1
        v = v * 16 + c
    }
    return v
}
