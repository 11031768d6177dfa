#pragma once
// TFrameViewerBase: what the frame-set reader needs from the control that shows a frame set.
// The reader calls the four frame operations below as it meets FRAMESET, FRAME and the end
// of a frame set; the events are the head-element and script hooks the document reader also
// calls for a page.
#include <cstdint>
#include <functional>
#include <string>

#include "html/reader/attributes.h"
#include "html/reader/html_lexer.h"
#include "platform/base/string_list.h"
#include "platform/gui/panel.h"

// BGSOUND: the sound to play (loop count, -1 for ever) or, with terminate set, to stop.
using TSoundRequestEvent =
    std::function<void(TObject* sender, const std::string& src, int32_t loop, bool terminate)>;
// META: its HTTP-EQUIV, NAME and CONTENT values.
using TMetaEvent = std::function<void(TObject* sender, const std::string& httpEquiv,
                                      const std::string& name, const std::string& content)>;

// A panel, so that it has a widget of its own on screen to hold its frames' widgets.
class TFrameViewerBase : public TPanel, public TObject {
public:
    TIncludeEvent OnInclude;
    TSoundRequestEvent OnSoundRequest;
    TScriptEvent OnScript;
    TMetaEvent OnMeta;

    // What the head of a frame-set document said.
    std::string Title, Base, BaseTarget;

    // The frame operations, in the order the frame-set reader knows them. owner is the frame
    // set being read (the viewer itself for the outermost one).
    //
    // A FRAME tag: make a frame in owner from its attributes. fileName is the name of the
    // frame-set document, for SRC values relative to it.
    virtual void AddFrame(TObject* owner, TAttributeList& attrs, const std::string& fileName) = 0;
    // A nested FRAMESET: make a frame set inside owner and return it as the owner of what
    // follows.
    virtual TObject* AddFrameSet(TObject* owner) = 0;
    // The attributes of a FRAMESET tag, for owner.
    virtual void SetFrameSetAttributes(TObject* owner, TAttributeList& attrs) = 0;
    // The end of owner's frame set (its end tag, or the end of the source).
    virtual void EndFrameSet(TObject* owner) = 0;
};
