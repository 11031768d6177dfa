#pragma once
// A frame viewer on the test clock whose owner serves pages from a table and records every
// request it is asked, in order.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "html/view/frame_viewer.h"
#include "platform/base/resources.h"
#include "platform/gui/application.h"
#include "platform/gui/clock.h"
#include "tests/support/fonts_env.h"

namespace folio_test {

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application().SetClock(&clock);
        fv = std::make_unique<TFrameViewer>();
        fv->SetBounds(0, 0, 600, 400);
        fv->OnStreamRequest = [this](TObject*, const std::string& src, TMemoryStream*& stream) {
            requests.push_back("page:" + src);
            const auto it = pages.find(src);
            if (it == pages.end())
                throw Exception("Can't load resource: " + src);
            // One stream for every request, as the builder's loader does.
            pageStream.Clear();
            pageStream.Write(it->second.data(), static_cast<int64_t>(it->second.size()));
            pageStream.Seek(0, soBeginning);
            stream = &pageStream;
        };
        fv->OnImageRequest = [this](TObject*, const std::string& src, TMemoryStream*& stream) {
            // The builder's loader raises for a picture it does not have.
            requests.push_back("image:" + src);
            stream = nullptr;
            throw Exception("Can't load resource: " + src);
        };
    }
    void TearDown() override {
        fv.reset();
        Application().ProcessMessages();
        Application().SetClock(nullptr);
    }
    // The viewer of a named frame (or of the only frame with an empty name).
    THTMLViewer* Frame(const std::string& name) {
        if (name.empty()) {
            TfvFrame* only = fv->CurFrameSet().SingleFrame();
            return only ? only->HtmlViewer() : nullptr;
        }
        TfvFrame* f = fv->FrameByName(name);
        return f ? f->HtmlViewer() : nullptr;
    }
    std::string Title(const std::string& frame) {
        THTMLViewer* v = Frame(frame);
        return v ? v->DocumentTitle() : "(none)";
    }
    // Clicks a link as the inner viewer does when its link is pressed and released.
    static void Click(THTMLViewer* v, const std::string& url, const std::string& target = {}) {
        ASSERT_NE(v, nullptr);
        v->SetURL(url, target);
        v->FollowLink();
    }
    // A frame's rectangle in the frame viewer's coordinates.
    TRect Place(const TControl* c) {
        int x = 0, y = 0;
        for (const TControl* p = c; p && p != fv.get(); p = p->Parent()) {
            x += p->Left();
            y += p->Top();
        }
        return Bounds(x, y, c->Width(), c->Height());
    }
    static std::string Page(const std::string& title, const std::string& body = {}) {
        return "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
    }

    TManualClock clock{1000};
    std::unique_ptr<TFrameViewer> fv;
    std::map<std::string, std::string> pages;
    std::vector<std::string> requests;
    TMemoryStream pageStream;
};

} // namespace folio_test
