// libFuzzer target: the HTML lexer with its TEXTAREA and SCRIPT readers and includes. The first
// byte picks the modes; the rest is the document. Only the open-comment parse error may end a
// parse early.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "html/reader/html_lexer.h"
#include "html/reader/id_name_list.h"
#include "platform/base/exceptions.h"
#include "platform/base/string_list.h"

namespace {
void Check(bool ok) {
    if (!ok)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const uint8_t modes = data[0];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    TIDNameList names;
    THtmlLexer lx;
    lx.IDNames = &names;
    if (modes & 4)
        lx.DefaultEncoding = (modes & 64) ? "shift_jis" : "windows-1251";
    if (modes & 8)
        lx.OnInclude = [](TObject*, const std::string& command, std::unique_ptr<TStringList>,
                          std::string& out) { out = "<p a=\"" + command + "\">&amp;<!-- x -->"; };
    lx.LoadString(text);
    try {
        lx.Start();
        lx.InPre = modes & 1;
        lx.NoBreak = modes & 2;
        for (int guard = 0; guard < 1000000; ++guard) {
            if (modes & 16)
                lx.ReadTextAreaSymbol();
            else
                lx.ReadSymbol();
            Check(lx.Token.Positions().size() == lx.Token.Text().size());
            for (int32_t p : lx.Token.Positions())
                Check(p >= 0 && p <= static_cast<int32_t>(text.size()));
            if (lx.Sy == EofSym)
                break;
            if (lx.Sy == ScriptSym)
                lx.ReadScript(modes & 32 ? TScriptEvent([](TObject*, const std::string&,
                                                           const std::string&, std::string) {})
                                         : TScriptEvent());
        }
        Check(lx.Sy == EofSym);
    } catch (const EParseError& e) {
        Check(e.Message() == "Open Comment at End of HTML File");
    }
    return 0;
}
