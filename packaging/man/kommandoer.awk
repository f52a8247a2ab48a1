# The commands of the tavlo man page, from the program's own "tavlo help all": each paragraph
# whose first line is "  tavlo ..." becomes the synopsis in bold and its text, filled; deeper
# indented lines (examples, option lists) keep their lines. Run with -v template=FILE: the
# template's line ".\" KOMMANDOER" is replaced by them.
function escape(s) {
    gsub(/\\/, "\\e", s)
    gsub(/-/, "\\-", s)
    if (s ~ /^[.']/)
        s = "\\&" s
    return s
}
function flush_fill() {
    if (fill != "") {
        print escape(fill)
        fill = ""
    }
}
function close_nofill() {
    if (nofill) {
        print ".fi"
        nofill = 0
    }
}
BEGIN {
    while ((getline line < template) > 0) {
        if (line != ".\\\" KOMMANDOER") {
            print line
            continue
        }
        while ((getline line < "-") > 0)
            convert(line)
        flush_fill(); close_nofill()
        if (inbody) print ".RE"
    }
}
function convert(line,    text, indent) {
    if (line == "Bruk:")
        return
    if (line == "") {
        flush_fill(); close_nofill()
        if (inbody) { print ".RE"; inbody = 0 }
        insynopsis = 0; innote = 0
        return
    }
    match(line, /^ */)
    indent = RLENGTH
    text = substr(line, indent + 1)
    if (indent == 2 && text ~ /^tavlo / && !innote) {
        print (insynopsis ? ".br" : ".PP")
        print ".B " escape(text)
        insynopsis = 1
        return
    }
    if (insynopsis && indent > 8 && !inbody) {
        # the synopsis goes on on the next line
        print ".br"
        print ".B \\ \\ \\ \\ " escape(text)
        return
    }
    if (indent == 2) {
        # a note of its own, outside the commands
        if (!innote) { print ".PP"; innote = 1 }
        close_nofill()
        fill = fill (fill == "" ? "" : " ") text
        return
    }
    if (innote) {
        # a note's list keeps its columns
        flush_fill()
        if (!nofill) { print ".nf"; nofill = 1 }
        print escape(substr(line, 3))
        return
    }
    if (!inbody) { print ".RS"; inbody = 1; insynopsis = 0 }
    if (indent > 6) {
        flush_fill()
        if (!nofill) { print ".nf"; nofill = 1 }
        print escape(substr(line, 7))
        return
    }
    close_nofill()
    fill = fill (fill == "" ? "" : " ") text
}
