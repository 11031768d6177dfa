// styledump FILE.css: parses a style sheet into a fresh style list (after the built-in rules,
// with fixed default settings) and prints every entry in list order: its key, then each slot
// it assigns. With --base, url() values are made absolute against it as for a linked sheet;
// without, they stay as written, as in a style element.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "html/style/style_dump.h"
#include "html/style/style_parser.h"

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("usage: styledump FILE.css [--base DIR]\n"
                    "Prints the style list that FILE.css gives after the built-in rules.\n");
        return 0;
    }
    if (argc != 2 && !(argc == 4 && std::strcmp(argv[2], "--base") == 0)) {
        std::fprintf(stderr, "usage: styledump FILE.css [--base DIR]\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "styledump: cannot open %s\n", argv[1]);
        return 1;
    }
    std::ostringstream text;
    text << in.rdbuf();
    const std::string base = argc == 4 ? argv[3] : std::string();
    TStyleList list;
    LoadDumpDefaults(list);
    ParseStyleText(list, text.str(), base);
    std::cout << DumpStyleList(list);
    return 0;
}
