// htmltokens: prints the lexer's symbols of an HTML file, one line each, for checking the lexer
// by eye and for the lexer's test fixtures.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "platform/base/exceptions.h"
#include "platform/base/streams.h"
#include "tools/htmltokens_dump.h"

int main(int argc, char** argv) {
    THtmlTokensOptions options;
    const char* file = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--positions") == 0)
            options.Positions = true;
        else if (std::strcmp(argv[i], "--pre") == 0)
            options.Pre = true;
        else if (std::strcmp(argv[i], "--nobr") == 0)
            options.NoBreak = true;
        else if (std::strcmp(argv[i], "--help") == 0) {
            std::cout << "usage: htmltokens [--positions] [--pre] [--nobr] FILE\n"
                         "Prints one line per lexer symbol up to EofSym.\n";
            return 0;
        } else if (!file && argv[i][0] != '-')
            file = argv[i];
        else {
            std::cerr << "htmltokens: unknown argument " << argv[i] << "\n";
            return 2;
        }
    }
    if (!file) {
        std::cerr << "usage: htmltokens [--positions] [--pre] [--nobr] FILE\n";
        return 2;
    }
    try {
        TMemoryStream data;
        data.LoadFromFile(file);
        const std::string text = data.DataString();
        std::cout << DumpHtmlTokens(text, options);
    } catch (const Exception& e) {
        std::cerr << "htmltokens: " << e.Message() << "\n";
        return 1;
    }
    return 0;
}
