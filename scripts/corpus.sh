#!/bin/sh
# The corpus of real pages the engine is judged on: HTML manuals from Debian's documentation
# packages (texinfo, DocBook, hand-written pages, asciidoc, gtk-doc API references). The pages stay where the packages put them; nothing is copied into the tree.
#
#   scripts/corpus.sh install   installs the packages (needs root or sudo)
#   scripts/corpus.sh list      prints the chosen pages, one path a line
#
# Each package gives at most PER_PACKAGE pages, picked evenly from its sorted page list, so
# the choice is the same on every machine with the same package versions.
set -eu

PER_PACKAGE=${PER_PACKAGE:-16}

# package  folder its HTML pages are under  a name pattern (find -name) for its pages
PACKAGES='
apache2-doc         /usr/share/doc/apache2-doc/manual/en   *.html
debian-faq          /usr/share/doc/debian/FAQ              *.html
debian-reference-en /usr/share/debian-reference            *.html
exim4-doc-html      /usr/share/doc/exim4-doc-html          *.html
gettext-doc         /usr/share/doc/gettext                 *.html
git-doc             /usr/share/doc/git-doc                 *.html
libglib2.0-doc      /usr/share/gtk-doc/html/glib           *.html
libxml2-doc         /usr/share/doc/libxml2/html            *.html
m4-doc              /usr/share/doc/m4                      *.html
sqlite3-doc         /usr/share/doc/sqlite3                 *.html
zsh-doc             /usr/share/doc/zsh-common/html         *.html
'

packages() {
    echo "$PACKAGES" | awk 'NF == 3 { print $1 }'
}

case "${1:-list}" in
install)
    SUDO=
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    # shellcheck disable=SC2046
    $SUDO apt-get install -y --no-install-recommends $(packages)
    ;;
list)
    echo "$PACKAGES" | while read -r pkg dir pattern; do
        [ -n "$pkg" ] || continue
        if [ ! -d "$dir" ]; then
            echo "corpus: $pkg is not installed ($dir is missing); run scripts/corpus.sh install" >&2
            exit 1
        fi
        # Follow the package's own links (some folders are links into /usr/share).
        find -L "$dir" -type f -name "$pattern" | LC_ALL=C sort >/tmp/corpus.$$
        total=$(wc -l </tmp/corpus.$$)
        if [ "$total" -eq 0 ]; then
            echo "corpus: $pkg has no pages matching $pattern under $dir" >&2
            rm -f /tmp/corpus.$$
            exit 1
        fi
        step=$(((total + PER_PACKAGE - 1) / PER_PACKAGE))
        awk -v step="$step" '(NR - 1) % step == 0' /tmp/corpus.$$
        rm -f /tmp/corpus.$$
    done
    ;;
*)
    echo "usage: scripts/corpus.sh install|list" >&2
    exit 2
    ;;
esac
