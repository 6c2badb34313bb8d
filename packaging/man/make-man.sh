#!/bin/sh
# Writes a gzip'd manual page: the roff page TEMPLATE with @VERSION@ filled in
# and @HELP@ replaced by the entries of PROGRAM's own --help, so the page lists
# exactly the commands and options the program knows.
#   make-man.sh PROGRAM TEMPLATE VERSION OUT.gz
# Help entries are indented two spaces: either "  term  text" on one line, or
# "  term" with its text on the lines below, indented further.
set -eu
program=$1 template=$2 version=$3 out=$4

entries=$("$program" --help | awk '
  function roff(s) { gsub(/\\/, "\\e", s); gsub(/-/, "\\-", s); return s }
  function text(s) { gsub(/\\/, "\\e", s); if (s ~ /^[.\047]/) s = "\\&" s; return s }
  /^  [^ ]/ {
    line = substr($0, 3)
    split_at = match(line, /  +/)
    if (split_at) { term = substr(line, 1, split_at - 1); rest = substr(line, split_at + RLENGTH) }
    else { term = line; rest = "" }
    # An option is bold as a whole; a command is bold, its arguments italic.
    word = term; if (term !~ /^-/) sub(/ .*/, "", word)
    args = substr(term, length(word) + 2)
    print ".TP"
    print (args == "" ? "\\fB" roff(word) "\\fR" : "\\fB" roff(word) "\\fR \\fI" roff(args) "\\fR")
    if (rest != "") print text(rest)
    next
  }
  /^    +[^ ]/ { sub(/^ +/, ""); print text($0) }
')

tmp=$out.tmp
# The entries go through the environment: awk -v would read their backslashes.
ENTRIES=$entries awk -v version="$version" '
  { gsub(/@VERSION@/, version) }
  $0 == "@HELP@" { print ENVIRON["ENTRIES"]; next }
  { print }
' "$template" > "$tmp"
gzip -n -9 -c "$tmp" > "$out"
rm -f "$tmp"
