#!/usr/bin/env bash
# By hand, not in CI (LibreOffice is large and slow to start): the RTF that Copy and Append put
# on the clipboard, read by LibreOffice Writer. Writer's text of the document must equal the text
# flavour the program offers next to it, every paragraph must be right to left, and Append twice
# must give one document with two separators.
#   tests/gtk/libreoffice_check.sh build/orvanel      (needs libreoffice-writer-nogui)
set -euo pipefail
orvanel=${1:-build/orvanel}
command -v soffice >/dev/null || { echo "soffice not found: apt-get install libreoffice-writer-nogui" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

printf 'key Escape\ncommand 40007\nclipboard rtf %s/copy.rtf\nclipboard text %s/copy.txt\ncommand 40009\ncommand 40009\nclipboard rtf %s/append.rtf\nclipboard text %s/append.txt\n' \
    "$work" "$work" "$work" "$work" | "$orvanel" --headless --registry "$work/r.reg" --script -
soffice --headless --convert-to 'txt:Text (encoded):UTF8,LF' --outdir "$work/lo" \
    "$work/copy.rtf" "$work/append.rtf" >/dev/null 2>&1
soffice --headless --convert-to html --outdir "$work/lo" "$work/copy.rtf" >/dev/null 2>&1
for f in copy append; do
    # Writer's text export marks runs of spaces with U+2006 and starts with a byte-order mark.
    sed '1s/^\xEF\xBB\xBF//; s/\xe2\x80\x86//g' "$work/lo/$f.txt" > "$work/lo/$f.norm"
    cmp "$work/lo/$f.norm" "$work/$f.txt" || { diff "$work/lo/$f.norm" "$work/$f.txt" | head; fail "$f: Writer's text differs"; }
done
separators=$(grep -c '^\*  \*  \*  \*  \*$' "$work/lo/append.norm" || true)
[ "$separators" = 2 ] || fail "Append twice: $separators separators, not 2"
paragraphs=$(grep -o '<p[^>]*>' "$work/lo/copy.html" | wc -l)
rtl=$(grep -o '<p dir="rtl" align="right"' "$work/lo/copy.html" | wc -l)
[ "$paragraphs" -gt 0 ] && [ "$paragraphs" = "$rtl" ] || fail "$rtl of $paragraphs paragraphs right to left"
echo "ok: Writer reads the copy ($(wc -c < "$work/copy.txt") bytes of text, $paragraphs paragraphs, all right to left) and one appended document with 2 separators"
