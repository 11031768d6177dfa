#!/usr/bin/env python3
"""Writes the encoding twins: one page per group in a Windows code page as the engine always
read it, and the same text in other encodings, each of which must draw pixel for pixel like
the original. Run from this folder; the files are committed, so tests never run this."""
import codecs

LATIN = "Café crème, Straße, naïve «œuvre» coûte 5 € · Š Ž Ÿ Ø å ñ ¿ ¡ © ®"
CYRILLIC = "Съешь же ещё этих мягких французских булок, да выпей чаю. Ёлка, ЖЮРИ, Щука."


def page(text, head=""):
    return (f"<!-- width: 360 -->\n<html><head>{head}<title>twin</title></head>\n"
            f"<body><p>{text}</p><pre>{text}</pre>"
            f"<table border=1><tr><td>{text[:20]}</td><td><b>{text[20:40]}</b></td></tr></table>"
            "</body></html>\n")


def meta(charset):
    return f'<meta http-equiv="Content-Type" content="text/html; charset={charset}">'


def write(name, text, encoding, bom=b""):
    with open(name, "wb") as f:
        f.write(bom + text.encode(encoding))


# Latin: the original is Windows-1252 without a declaration, the viewer's default.
write("latin.html", page(LATIN), "cp1252")
write("latin.iso-8859-15.html", page(LATIN, meta("iso-8859-15")), "iso8859_15")
write("latin.utf-8.html", page(LATIN), "utf-8")
write("latin.utf-8-meta.html", page(LATIN, '<meta charset="utf-8">'), "utf-8")
write("latin.utf-8-bom.html", page(LATIN), "utf-8", codecs.BOM_UTF8)
write("latin.utf-16le.html", page(LATIN), "utf-16-le", codecs.BOM_UTF16_LE)
write("latin.utf-16be.html", page(LATIN), "utf-16-be", codecs.BOM_UTF16_BE)
write("latin.xml-decl.html", '<?xml version="1.0" encoding="ISO-8859-15"?>\n' +
      page(LATIN), "iso8859_15")

# Cyrillic: the original is Windows-1251 named by its META, as the engine always read it.
write("cyrillic.html", page(CYRILLIC, meta("windows-1251")), "cp1251")
write("cyrillic.koi8-r.html", page(CYRILLIC, meta("koi8-r")), "koi8_r")
write("cyrillic.utf-8.html", page(CYRILLIC), "utf-8")
write("cyrillic.utf-8-meta.html", page(CYRILLIC, '<meta charset=UTF-8>'), "utf-8")
write("cyrillic.iso-8859-5.html", page(CYRILLIC, meta("ISO-8859-5")), "iso8859_5")
