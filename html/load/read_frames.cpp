// Frame-set documents: telling them from pages, and reading their frame sets for a frame
// viewer.
#include "html/load/html_reader.h"
#include "html/load/reader_core.h"
#include "platform/base/exceptions.h"

namespace {

// Symbols that make a document a page: reading for frame sets stops at the first of them.
const TSymSet& BodySymbols() {
    static const TSymSet set =
        Syms({BodySym, PSym, HSym, HRSym, OLSym, ULSym, DirSym, MenuSym, DLSym, AddressSym,
              BlockQuoteSym, PreSym, ImageSym, TableSym, FormSym});
    return set;
}

// Frame sets nested deeper than this are read as part of the one that holds them.
constexpr int kMaxFrameSetDepth = 32;

class TFrameSetReader {
public:
    TFrameSetReader(TFrameViewerBase& viewer, const std::string& fileName)
        : viewer_(viewer), fileName_(fileName) {
        lex_.Sender = &viewer;
        lex_.OnInclude = viewer.OnInclude;
    }

    void Read(const THtmlSource& source, TObject* owner) {
        source.LoadInto(lex_);
        lex_.Start();
        lex_.ReadSymbol();
        while (lex_.Sy != EofSym && !BodySymbols().test(lex_.Sy)) {
            switch (lex_.Sy) {
            case TitleSym:
                viewer_.Title.clear();
                lex_.ReadSymbol();
                while (lex_.Sy == TextSym) {
                    viewer_.Title += lex_.Token.Text();
                    lex_.ReadSymbol();
                }
                continue;
            case BaseSym:
                if (const TAttribute* a = lex_.Attributes.Find(HrefSym))
                    viewer_.Base = a->Str;
                if (const TAttribute* a = lex_.Attributes.Find(TargetSym))
                    viewer_.BaseTarget = a->Str;
                break;
            case BgSoundSym:
                if (const TAttribute* src = lex_.Attributes.Find(SrcSym);
                    src && viewer_.OnSoundRequest) {
                    const TAttribute* loop = lex_.Attributes.Find(LoopSym);
                    viewer_.OnSoundRequest(&viewer_, src->Str, loop ? loop->Value : 1, false);
                }
                break;
            case MetaSym:
                if (viewer_.OnMeta) {
                    viewer_.OnMeta(&viewer_, Text(HttpEqSym), Text(NameSym), Text(ContentSym));
                }
                break;
            case FrameSetSym:
                ReadFrameSet(owner, 0);
                break;
            case NoFramesSym:
                SkipNoFrames();
                break;
            case ScriptSym:
                lex_.ReadScript(viewer_.OnScript);
                break;
            default:
                break;
            }
            lex_.ReadSymbol();
        }
    }

private:
    std::string Text(Symbol sy) const {
        const TAttribute* a = lex_.Attributes.Find(sy);
        return a ? a->Str : std::string();
    }

    void SkipNoFrames() {
        while (lex_.Sy != NoFramesEndSym && lex_.Sy != EofSym)
            lex_.ReadSymbol();
    }

    // FRAMESET current; returns with its end tag (or the end of the source) current.
    void ReadFrameSet(TObject* owner, int depth) {
        viewer_.SetFrameSetAttributes(owner, lex_.Attributes);
        lex_.ReadSymbol();
        while (lex_.Sy != FrameSetEndSym && lex_.Sy != EofSym) {
            switch (lex_.Sy) {
            case FrameSetSym:
                if (depth + 1 < kMaxFrameSetDepth) {
                    TObject* inner = viewer_.AddFrameSet(owner);
                    ReadFrameSet(inner, depth + 1);
                }
                break;
            case FrameSym:
                viewer_.AddFrame(owner, lex_.Attributes, fileName_);
                break;
            case NoFramesSym:
                SkipNoFrames();
                break;
            case ScriptSym:
                lex_.ReadScript(viewer_.OnScript);
                break;
            default:
                break;
            }
            if (lex_.Sy != EofSym)
                lex_.ReadSymbol();
        }
        viewer_.EndFrameSet(owner);
    }

    TFrameViewerBase& viewer_;
    std::string fileName_;
    THtmlLexer lex_;
};

} // namespace

bool IsFrameSetDocument(const THtmlSource& source) {
    if (source.Missing())
        return false;
    THtmlLexer lex;
    try {
        source.LoadInto(lex);
        lex.Start();
        lex.ReadSymbol();
        for (;;) {
            if (lex.Sy == FrameSetSym)
                return true;
            if (lex.Sy == EofSym || BodySymbols().test(lex.Sy))
                return false;
            if (lex.Sy == ScriptSym)
                lex.ReadScript(nullptr);
            lex.ReadSymbol();
        }
    } catch (const Exception&) {
        return false;
    }
}

void ParseFrameDocument(TFrameViewerBase& viewer, TObject* owner, const THtmlSource& source) {
    if (source.Missing())
        return;
    TFrameSetReader reader(viewer, source.FileName());
    try {
        reader.Read(source, owner);
    } catch (const Exception&) {
    }
}
