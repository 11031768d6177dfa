#!/usr/bin/env python3
"""Reads the layout dump of real pages and flags what a reader would see as wrong.

    tools/corpus_lint.py --render build/release/bin/foliobuilder [--width 800] PAGE...

For each page it runs `foliobuilder render PAGE --dump` and looks for:
  - text past the window's right edge (or left of its left edge) on a line that could have
    wrapped, outside a table or a preformatted block that is wider than the window itself;
  - entities or "<?" drawn literally (unless the page itself escaped them);
  - mojibake: UTF-8 read as a code page ("Ã©", "â€™") or U+FFFD;
  - PRE tabs collapsed: a preformatted source line with tabs that the dump does not show
    expanded to columns of 8;
  - words of the page's text missing from the dump.
A page that fails to render is flagged too. It prints each flagged page with its reasons and
a summary, and exits 1 when more than --max-flagged percent of the pages are flagged.
"""
import argparse
import html
import html.parser
import re
import subprocess
import sys

LINE = re.compile(r'^( *)line x=(-?\d+) y=-?\d+ w=(\d+) h=\d+ "(.*)"$')
BOX = re.compile(r'^( *)([a-z]+) x=(-?\d+) y=-?\d+ w=(\d+) h=\d+')
ESCAPE = re.compile(r'\\x[0-9A-F]{2}|\\(["\\])')
ENTITY = re.compile(r'&(#[0-9]+|#x[0-9a-fA-F]+|[A-Za-z][A-Za-z0-9]{1,7});')
MOJIBAKE = re.compile('Ã[\u0080-\u00bf]|â€|Â[\u00a0-\u00bf]|\ufffd')
WORD = re.compile(r'[^\W\d_]{3,}')

# Elements whose text is not drawn as page text.
HIDDEN = {'script', 'style', 'title', 'head', 'select', 'option', 'textarea', 'noscript',
          'noframes', 'iframe', 'object', 'applet', 'map'}


def unescape_dump(text):
    # Buffer codes (images, controls) become a blank; \" and \\ their character.
    return ESCAPE.sub(lambda m: m.group(1) if m.group(1) else ' ', text)


class SourceText(html.parser.HTMLParser):
    """The drawn text of a page as a browser would show it, and its PRE lines."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.hidden = 0
        self.pre = 0
        self.words = []
        self.pre_lines = []
        self._pre_text = []

    def handle_starttag(self, tag, attrs):
        if tag in HIDDEN:
            self.hidden += 1
        elif tag in ('pre', 'xmp', 'listing'):
            self.pre += 1
        elif tag == 'br' and self.pre:
            self._pre_text.append('\n')

    def handle_endtag(self, tag):
        if tag in HIDDEN and self.hidden:
            self.hidden -= 1
        elif tag in ('pre', 'xmp', 'listing') and self.pre:
            self.pre -= 1
            if not self.pre:
                # A line's pieces come between its tags; tab stops count from its start.
                self.pre_lines.extend(''.join(self._pre_text).split('\n'))
                self._pre_text = []

    def handle_data(self, data):
        if self.hidden:
            return
        self.words.extend(WORD.findall(data))
        if self.pre:
            self._pre_text.append(data)


def decode(raw):
    try:
        return raw.decode('utf-8')
    except UnicodeDecodeError:
        return raw.decode('cp1252', errors='replace')


def expand_tabs(line):
    out = ''
    for ch in line:
        if ch == '\t':
            out += ' ' * (8 - len(out) % 8)
        else:
            out += ch
    return out


def lint(page, render, width):
    """The reasons a page is flagged; empty when none."""
    try:
        proc = subprocess.run([render, 'render', page, '--dump', '--width', str(width)],
                              capture_output=True, timeout=120)
    except subprocess.TimeoutExpired:
        return ['rendering took longer than 120 s']
    if proc.returncode != 0:
        return ['render failed: ' + proc.stderr.decode('utf-8', 'replace').strip()[:200]]
    dump = proc.stdout.decode('utf-8', 'replace').splitlines()
    with open(page, 'rb') as f:
        source = decode(f.read())

    reasons = []
    # Boxes open above the current line: (depth, kind, right edge).
    stack = []
    past_edge = []
    texts = []
    pre_texts = []
    for row in dump:
        m = LINE.match(row)
        if not m:
            b = BOX.match(row)
            if b:
                depth = len(b.group(1))
                while stack and stack[-1][0] >= depth:
                    stack.pop()
                stack.append((depth, b.group(2), int(b.group(3)) + int(b.group(4))))
            continue
        depth = len(m.group(1))
        while stack and stack[-1][0] >= depth:
            stack.pop()
        x, w = int(m.group(2)), int(m.group(3))
        text = unescape_dump(m.group(4))
        texts.append(text)
        kind = stack[-1][1] if stack else ''
        if kind == 'pre':
            pre_texts.append(text)
            continue
        # A table wider than the window legitimately carries its text past the edge.
        limit = max([width] + [right for _, k, right in stack if k in ('table', 'tableblock')])
        if (x + w > limit or x < 0) and ' ' in text.strip():
            past_edge.append(text)
    if past_edge:
        reasons.append('%d line(s) past the window edge, first: "%s"' %
                       (len(past_edge), past_edge[0][:60]))

    drawn = ' '.join(texts)
    literal = {e.group(0) for e in ENTITY.finditer(drawn)
               if html.unescape(e.group(0)) != e.group(0)}
    # Written escaped in the page ("&amp;lt;") is meant to show literally.
    literal = {e for e in literal if '&amp;' + e[1:] not in source and '&#38;' + e[1:] not in source}
    if literal:
        reasons.append('entities drawn literally: ' + ' '.join(sorted(literal)[:5]))
    if '<?' in drawn and '&lt;?' not in source:
        reasons.append('"<?" drawn literally')
    bad = MOJIBAKE.findall(drawn)
    if bad:
        reasons.append('mojibake: ' + ' '.join(sorted(set(bad))[:5]))

    parser = SourceText()
    parser.feed(source)
    parser.close()

    pre_set = {t.rstrip() for t in pre_texts}
    collapsed = [l for l in parser.pre_lines
                 if '\t' in l.strip(' \t') and expand_tabs(l).rstrip() not in pre_set]
    if collapsed:
        reasons.append('%d PRE line(s) with tabs not at columns of 8, first: "%s"' %
                       (len(collapsed), collapsed[0].strip()[:60]))

    drawn_words = {w.lower() for w in WORD.findall(drawn)}
    missing = [w for w in parser.words if w.lower() not in drawn_words]
    if len(missing) > max(2, len(parser.words) // 100):
        reasons.append('%d of %d words missing, first: %s' %
                       (len(missing), len(parser.words), ' '.join(missing[:8])))
    return reasons


def main():
    ap = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    ap.add_argument('--render', required=True, help='the foliobuilder program')
    ap.add_argument('--width', type=int, default=800)
    ap.add_argument('--max-flagged', type=float, default=5.0,
                    help='percent of pages that may be flagged (default 5)')
    ap.add_argument('pages', nargs='*')
    args = ap.parse_args()
    pages = args.pages or [l.strip() for l in sys.stdin if l.strip()]
    if not pages:
        print('corpus_lint: no pages', file=sys.stderr)
        return 2
    flagged = 0
    for page in pages:
        reasons = lint(page, args.render, args.width)
        if reasons:
            flagged += 1
            print(page)
            for r in reasons:
                print('    ' + r)
    share = 100.0 * flagged / len(pages)
    print('%d of %d pages flagged (%.1f%%)' % (flagged, len(pages), share))
    return 1 if share > args.max_flagged else 0


if __name__ == '__main__':
    sys.exit(main())
