#!/usr/bin/env bash
# Builds the sample site of examples/site into a site book, lists and searches it, and says how
# to open it.
# Usage: scripts/demo.sh BUILD_DIR   (make demo passes its build directory)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/release}
builder="$(realpath -m "$build/bin/foliobuilder")"
if [[ ! -x "$builder" || ! -f "$(dirname "$builder")/Folio3.bin" ]]; then
  echo "demo: $builder or its template Folio3.bin is missing; run make demo" >&2
  exit 1
fi

out="$build/demo"
mkdir -p "$out"
book="$(realpath "$out")/folio-garden"

echo "== Building the sample site examples/site into $book"
"$builder" build examples/site --home index.html --title "Folio Garden" -o "$book" --force

echo
echo "== The book's files ($book --list)"
"$book" --list

echo
echo "== The pages that hold \"garden\" ($book --search garden)"
"$book" --search garden

files=$("$book" --list | wc -l)
rel=$(realpath --relative-to=. "$book")
relbuilder=$(realpath --relative-to=. "$builder")
echo
echo "$rel is one program file of $(stat -c %s "$book") bytes holding $files files (the site's"
echo "$((files - 1)) and its configuration folioauthor.html); it opens at index.html under the"
echo "title \"Folio Garden\". Try:"
try() { printf '  %-58s %s\n' "$1" "$2"; }
try "$rel" "open its window (needs a graphical desktop)"
try "$rel about.html" "open its window at another page"
try "$rel --list" "list its files"
try "$rel --search \"imaginary garden\"" "the pages that hold a word or phrase"
try "$rel --extract DIR" "write its files into DIR"
try "$relbuilder" "open the builder's window"
try "$relbuilder build SRC --home PAGE -o BOOK" "make a book of your own site"
echo "make test builds everything else and runs every test."
