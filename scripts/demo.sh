#!/usr/bin/env bash
# Builds the sample site of examples/site into a site book and lists it.
# Usage: scripts/demo.sh BUILD_DIR   (make demo passes its build directory)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/release}
builder="$(realpath -m "$build/bin/foliobuilder")"
if [[ ! -x "$builder" || ! -f "$(dirname "$builder")/Folio3.bin" ]]; then
  echo "demo: $builder or its template Folio3.bin is missing; run make build first" >&2
  exit 1
fi

out="$build/demo"
book="$(realpath "$out")/folio-garden"
mkdir -p "$out"

echo "== Building the sample site examples/site into $book"
"$builder" build examples/site --home index.html --title "Folio Garden" -o "$book" --force

echo
echo "== The book's files ($book --list)"
"$book" --list

echo
echo "The book is one program file of $(stat -c %s "$book") bytes. Try:"
echo "  $book --list                list its files"
echo "  $book --extract DIR         write its files into DIR"
echo "  $book                       show it (the page viewer is not in this build yet)"
echo "  $builder list $book"
echo "  $builder build SRC --home PAGE -o BOOK    make a book of your own site"
