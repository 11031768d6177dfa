// Frame sets: detection and the frame operations the reader calls, in order.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "html/load/html_reader.h"
#include "platform/base/streams.h"
#include "platform/gui/peer.h"

namespace {

bool IsFrameSet(const std::string& text) {
    return IsFrameSetDocument(THtmlSource::Text(text));
}

TEST(FrameSetDetection, FramesetBeforeAnyBodySymbol) {
    EXPECT_TRUE(IsFrameSet("<html><head><title>t</title></head><frameset cols=\"*,*\">"));
    EXPECT_TRUE(IsFrameSet("<script>document.write('<body>')</script><frameset>"));
    EXPECT_FALSE(IsFrameSet("<body><frameset>"));
    EXPECT_FALSE(IsFrameSet("<p>text<frameset>"));
    EXPECT_FALSE(IsFrameSet("<table><frameset>"));
    EXPECT_FALSE(IsFrameSet("just text"));
    EXPECT_FALSE(IsFrameSet(""));
    EXPECT_FALSE(IsFrameSet("<!-- open comment <frameset>"));
}

TEST(FrameSetDetection, EverySourceKind) {
    const std::string text = "<frameset rows=\"50%,50%\">";
    EXPECT_TRUE(IsFrameSetDocument(THtmlSource::Buffer(text.data(), text.size())));
    TStringList list;
    list.Add("<head>");
    list.Add("<frameset>");
    EXPECT_TRUE(IsFrameSetDocument(THtmlSource::Strings(&list)));
    TMemoryStream stream;
    stream.Write(text.data(), static_cast<int64_t>(text.size()));
    EXPECT_TRUE(IsFrameSetDocument(THtmlSource::Stream(&stream)));
    EXPECT_FALSE(IsFrameSetDocument(THtmlSource::Buffer(nullptr, 10)));
    EXPECT_FALSE(IsFrameSetDocument(THtmlSource::Strings(nullptr)));
    EXPECT_FALSE(IsFrameSetDocument(THtmlSource::File("/nonexistent/frames.htm")));
}

// Records every frame operation as one line.
class TRecordingViewer : public TFrameViewerBase {
public:
    std::vector<std::string> Calls;
    std::vector<std::unique_ptr<TObject>> Sets;

    std::unique_ptr<TControlPeer> MakePeer(TPeerFactory&) override { return nullptr; }
    void AddFrame(TObject* owner, TAttributeList& attrs, const std::string& fileName) override {
        const TAttribute* src = attrs.Find(SrcSym);
        Calls.push_back("frame " + Name(owner) + " " + (src ? src->Str : "") + " in " + fileName);
    }
    TObject* AddFrameSet(TObject* owner) override {
        Sets.push_back(std::make_unique<TObject>());
        Calls.push_back("set " + Name(owner) + " -> " + Name(Sets.back().get()));
        return Sets.back().get();
    }
    void SetFrameSetAttributes(TObject* owner, TAttributeList& attrs) override {
        const TAttribute* cols = attrs.Find(ColsSym);
        const TAttribute* rows = attrs.Find(RowsSym);
        Calls.push_back("attrs " + Name(owner) + " " + (cols ? cols->Str : "") +
                        (rows ? rows->Str : ""));
    }
    void EndFrameSet(TObject* owner) override { Calls.push_back("end " + Name(owner)); }

private:
    std::string Name(TObject* o) const {
        if (o == this)
            return "top";
        for (size_t i = 0; i < Sets.size(); ++i)
            if (Sets[i].get() == o)
                return "s" + std::to_string(i + 1);
        return "?";
    }
};

TEST(FrameDocument, OperationsInDocumentOrder) {
    TRecordingViewer viewer;
    std::string script;
    viewer.OnScript = [&](TObject*, const std::string&, const std::string&, std::string text) {
        script += text;
    };
    const std::string text =
        "<title>Frames</title><base target=main><script>s()</script>"
        "<frameset cols=\"20%,*\"><frame src=menu.htm>"
        "<frameset rows=\"*,*\"><frame src=a.htm><frame src=b.htm></frameset>"
        "<noframes><frame src=hidden.htm></noframes></frameset><frame src=after.htm>";
    ParseFrameDocument(viewer, &viewer, THtmlSource::Text(text));
    EXPECT_EQ(viewer.Calls, (std::vector<std::string>{
                                "attrs top 20%,*",
                                "frame top menu.htm in ",
                                "set top -> s1",
                                "attrs s1 *,*",
                                "frame s1 a.htm in ",
                                "frame s1 b.htm in ",
                                "end s1",
                                "end top",
                            }));
    EXPECT_EQ(viewer.Title, "Frames");
    EXPECT_EQ(viewer.BaseTarget, "main");
    EXPECT_EQ(script, "s()");
}

TEST(FrameDocument, UnendedFrameSetEndsWithTheSource) {
    TRecordingViewer viewer;
    ParseFrameDocument(viewer, &viewer, THtmlSource::Text("<frameset><frameset><frame src=x"));
    EXPECT_EQ(viewer.Calls, (std::vector<std::string>{"attrs top ", "set top -> s1", "attrs s1 ",
                                                      "frame s1 x in ", "end s1", "end top"}));
}

TEST(FrameDocument, ReadingStopsAtTheBody) {
    TRecordingViewer viewer;
    ParseFrameDocument(viewer, &viewer, THtmlSource::Text("<body><frameset><frame src=x>"));
    EXPECT_TRUE(viewer.Calls.empty());
    ParseFrameDocument(viewer, &viewer, THtmlSource::Buffer(nullptr, 5));
    EXPECT_TRUE(viewer.Calls.empty());
}

TEST(FrameDocument, HostileNestingIsBounded) {
    TRecordingViewer viewer;
    std::string text;
    for (int i = 0; i < 100000; ++i)
        text += "<frameset>";
    ParseFrameDocument(viewer, &viewer, THtmlSource::Text(text));
    EXPECT_LE(viewer.Sets.size(), 40u);
    EXPECT_EQ(viewer.Calls.back(), "end top");
}

} // namespace
