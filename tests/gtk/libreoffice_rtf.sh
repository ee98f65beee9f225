#!/usr/bin/env bash
# The RTF that Copy and Append put on the clipboard, read by LibreOffice Writer (skipped, exit 77,
# where LibreOffice is not installed):
# - Writer's text of a copy equals the text flavour the program offers next to it, every
#   paragraph is right to left but the table rows of numbers, which are left to right as in the
#   pane, and article 3's numbers read as the pane shows them;
# - Append twice gives one document with two separators;
# - Append after a document that Writer itself wrote keeps Writer's text, and the appended article
#   reads as a fresh copy, right to left.
#   tests/gtk/libreoffice_rtf.sh build/orvanel      (needs libreoffice-writer-nogui)
set -euo pipefail
orvanel=${1:-build/orvanel}
command -v soffice >/dev/null || { echo "soffice not found: skipped"; exit 77; }
work=$(mktemp -d)
trap "rm -rf $work" EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# A profile of its own, so that no other LibreOffice holds it.
writer() {  # FORMAT FILE...
    local format=$1
    shift
    soffice -env:UserInstallation="file://$work/profile" --headless --convert-to "$format" \
        --outdir "$work/lo" "$@" >/dev/null 2>&1
}
# Writer's text export marks runs of spaces with U+2006 and starts with a byte-order mark.
normal() { sed '1s/^\xEF\xBB\xBF//; s/\xe2\x80\x86//g' "$1"; }
text='txt:Text (encoded):UTF8,LF'

# A stored font, so that no first-run Choose Font dialog holds Next Article until it ends.
for reg in r r2; do
    printf 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Velmora\\Orvanel]\n"FontName"="David CLM"\n' \
        > "$work/$reg.reg"
done
# Article 3 (Next Article from the first pair), copied, and appended twice.
printf 'command 109\ncommand 40007\nclipboard rtf %s/copy.rtf\nclipboard text %s/copy.txt\ncommand 40009\ncommand 40009\nclipboard rtf %s/append.rtf\nclipboard text %s/append.txt\n' \
    "$work" "$work" "$work" "$work" | "$orvanel" --headless --registry "$work/r.reg" --script -
# What Writer puts on the clipboard for two lines of its own, then Append of article 3 after it.
printf '\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d \xd7\xa2\xd7\x95\xd7\x9c\xd7\x9d abc\n\xd7\xa9\xd7\x95\xd7\xa8\xd7\x94 12\n' > "$work/writer.txt"
soffice -env:UserInstallation="file://$work/profile" --headless --infilter='Text (encoded):UTF8' \
    --convert-to rtf --outdir "$work" "$work/writer.txt" >/dev/null 2>&1
grep -q '\\u1513' "$work/writer.rtf" || fail "Writer wrote no RTF: $(head -c 80 "$work/writer.rtf")"
printf 'command 109\nforeign rtf %s/writer.rtf\ncommand 40009\nclipboard rtf %s/foreign.rtf\n' \
    "$work" "$work" | "$orvanel" --headless --registry "$work/r2.reg" --script -

writer "$text" "$work/copy.rtf" "$work/append.rtf" "$work/foreign.rtf"
writer html "$work/copy.rtf" "$work/foreign.rtf"
for f in copy append; do
    normal "$work/lo/$f.txt" > "$work/lo/$f.norm"
    cmp "$work/lo/$f.norm" "$work/$f.txt" || { diff "$work/lo/$f.norm" "$work/$f.txt" | head; fail "$f: Writer's text differs"; }
done
for number in '\xd7\xa7\xd7\x95 \xd7\x94\xd7\xa8\xd7\x95\xd7\x97\xd7\x91 32,' ' \xd7\x9b-56 ' ' 21 \xd7\x91\xd7\x99\xd7\x95\xd7\xa0\xd7\x99,' '^21/3 - 58 - 12:08$'; do
    grep -q "$(printf "$number")" "$work/lo/copy.norm" || fail "Writer does not read [$(printf "$number")]"
done
separators=$(grep -c '^\*  \*  \*  \*  \*$' "$work/lo/append.norm" || true)
[ "$separators" = 2 ] || fail "Append twice: $separators separators, not 2"
# Right to left, except article 3's four table rows of numbers (left-to-right records, shown so
# in the pane) and the empty paragraph after each.
paragraphs=$(grep -o '<p[^>]*>' "$work/lo/copy.html" | wc -l)
rtl=$(grep -o '<p dir="rtl"[^>]*align="right"' "$work/lo/copy.html" | wc -l)
[ "$paragraphs" -gt 8 ] && [ "$((paragraphs - 8))" = "$rtl" ] || fail "$rtl of $paragraphs paragraphs right to left, not all but 8"
grep -A1 '<p align="right"' "$work/lo/copy.html" | grep -q '>21/3$' || fail "the table's first row is not a left-to-right paragraph"

# After Writer's document: its two lines, the separator with an empty line, then the copy.
normal "$work/lo/foreign.txt" > "$work/lo/foreign.norm"
{ cat "$work/writer.txt"; printf '*  *  *  *  *\n\n'; cat "$work/lo/copy.norm"; } > "$work/want-foreign"
cmp "$work/want-foreign" "$work/lo/foreign.norm" || { diff "$work/want-foreign" "$work/lo/foreign.norm" | head; fail "Append after Writer's RTF"; }
# Every paragraph after the stars (the separator's empty one, then the article's) is right to left.
sed -n '/\*  \*  \*/,$p' "$work/lo/foreign.html" | grep -o '<p[^>]*>' > "$work/after"
[ "$(wc -l < "$work/after")" = "$((paragraphs + 1))" ] || fail "$(wc -l < "$work/after") paragraphs after the separator"
[ "$(grep -vc '<p dir="rtl"' "$work/after")" = 8 ] || fail "left-to-right paragraphs after the separator other than the table's"
echo "ok: Writer reads the copy ($(wc -c < "$work/copy.txt") bytes, $paragraphs paragraphs, right to left but the table rows, numbers as shown), Append twice, and Append after Writer's own RTF"
