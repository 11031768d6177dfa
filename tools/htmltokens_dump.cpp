#include "tools/htmltokens_dump.h"

#include "html/reader/html_lexer.h"
#include "platform/base/exceptions.h"

namespace {

// Printable ASCII as it is; other bytes, and the quote and backslash, as \NNN in decimal.
void AppendEscaped(std::string& out, std::string_view s) {
    for (char c : s) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 32 || b > 126 || c == '"' || c == '\\') {
            out += '\\';
            out += std::to_string(b);
        } else {
            out += c;
        }
    }
}

bool IsTag(Symbol sy) {
    return sy != TextSym && sy != OtherCharSym && sy != EofSym && sy != EolSym;
}

// withTag: the line of a symbol from ReadSymbol, whose tags carry a level and attributes.
void AppendLine(std::string& out, const THtmlLexer& lx, const THtmlTokensOptions& options,
                bool withTag = true) {
    out += SymbolName(lx.Sy);
    withTag = withTag && IsTag(lx.Sy);
    if (withTag && (lx.Sy == HSym || lx.Sy == HEndSym))
        out += " level=" + std::to_string(lx.HeadingLevel);
    for (const TAttribute& a : lx.Attributes) {
        if (!withTag)
            break;
        const char* name = AttributeName(a.Sym);
        out += ' ';
        out += *name ? name : SymbolName(a.Sym);
        out += "=\"";
        AppendEscaped(out, a.Str);
        out += "\"[" + std::to_string(a.Value) + "]";
    }
    if (!lx.Token.Empty()) {
        out += " \"";
        AppendEscaped(out, lx.Token.Text());
        out += '"';
        if (options.Positions) {
            out += " @";
            const auto& pos = lx.Token.Positions();
            for (size_t i = 0; i < pos.size(); ++i)
                out += (i ? "," : "") + std::to_string(pos[i]);
        }
    }
    out += '\n';
}

} // namespace

std::string DumpHtmlTokens(std::string_view html, const THtmlTokensOptions& options) {
    std::string out;
    THtmlLexer lx;
    lx.LoadView(html);
    try {
        lx.Start();
        lx.InPre = options.Pre;
        lx.NoBreak = options.NoBreak;
        do {
            lx.ReadSymbol();
            AppendLine(out, lx, options);
            // Script and textarea content is read by their own readers, as the document
            // reader does.
            if (lx.Sy == ScriptSym) {
                lx.ReadScript([&out](TObject*, const std::string& name, const std::string& language,
                                     std::string text) {
                    out += "script name=\"";
                    AppendEscaped(out, name);
                    out += "\" language=\"";
                    AppendEscaped(out, language);
                    out += "\" \"";
                    AppendEscaped(out, text);
                    out += "\"\n";
                });
                AppendLine(out, lx, options, false);
            } else if (lx.Sy == TextAreaSym) {
                do {
                    lx.ReadTextAreaSymbol();
                    AppendLine(out, lx, options, false);
                } while (lx.Sy != TextAreaEndSym && lx.Sy != EofSym);
                if (lx.Sy == TextAreaEndSym) { // past the ">" as the document reader does
                    while (lx.LCh != '>' && lx.LCh != EofChar)
                        lx.Advance();
                    lx.Advance();
                }
            } else if (lx.Sy == StyleSym) {
                // The style sheet reader takes over at the ">" and reads folded characters,
                // past the lexer's comment handling; here its text is shown up to a "<" that
                // starts no "<!--".
                std::string css;
                lx.ReadFoldedChar();
                while (!(lx.LCh == '<' && lx.PeekRawChar() != '!') && lx.LCh != EofChar) {
                    css += lx.LCh;
                    lx.ReadFoldedChar();
                }
                out += "style \"";
                AppendEscaped(out, css);
                out += "\"\n";
            }
        } while (lx.Sy != EofSym);
    } catch (const Exception& e) {
        out += "error: " + e.Message() + "\n";
    }
    return out;
}
