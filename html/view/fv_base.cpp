// The settings the frame viewer shares with every inner viewer: each change is passed on.
#include "html/view/frame_viewer.h"

TFVBase::TFVBase() = default;
TFVBase::~TFVBase() = default;

THtmlViewerOptions TFVBase::InnerOptions() const {
    THtmlViewerOptions o{htPrintTableBackground};
    if (options_.Contains(fvOverLinksActive))
        o.Include(htOverLinksActive);
    if (options_.Contains(fvNoLinkUnderline))
        o.Include(htNoLinkUnderline);
    if (!options_.Contains(fvPrintTableBackground))
        o.Exclude(htPrintTableBackground);
    if (options_.Contains(fvShowVScroll))
        o.Include(htShowVScroll);
    return o;
}

void TFVBase::SetViewImages(bool value) {
    viewImages_ = value;
    for (THTMLViewer* v : Viewers())
        v->SetViewImages(value);
}

void TFVBase::SetImageCacheCount(int32_t value) {
    imageCacheCount_ = value;
    for (THTMLViewer* v : Viewers())
        v->SetImageCacheCount(value);
}

void TFVBase::SetNoSelect(bool value) {
    noSelect_ = value;
    for (THTMLViewer* v : Viewers())
        v->NoSelect = value;
}

void TFVBase::SetDefBackground(TColor value) {
    defBackground_ = value;
    for (THTMLViewer* v : Viewers())
        v->SetDefBackground(value);
}

void TFVBase::SetDefFontName(const std::string& value) {
    defFontName_ = value;
    for (THTMLViewer* v : Viewers())
        v->DefFontName = value;
}

void TFVBase::SetDefPreFontName(const std::string& value) {
    defPreFontName_ = value;
    for (THTMLViewer* v : Viewers())
        v->DefPreFontName = value;
}

void TFVBase::SetDefFontSize(int32_t value) {
    defFontSize_ = value;
    for (THTMLViewer* v : Viewers())
        v->DefFontSize = value;
}

void TFVBase::SetZoom(double value) {
    zoom_ = value;
    for (THTMLViewer* v : Viewers())
        v->Zoom = value;
}

void TFVBase::SetDefFontColor(TColor value) {
    defFontColor_ = value;
    for (THTMLViewer* v : Viewers())
        v->DefFontColor = value;
}

void TFVBase::SetDefHotSpotColor(TColor value) {
    defHotSpotColor_ = value;
    for (THTMLViewer* v : Viewers())
        v->DefHotSpotColor = value;
}

void TFVBase::SetDefVisitedLinkColor(TColor value) {
    defVisitedLinkColor_ = value;
    for (THTMLViewer* v : Viewers())
        v->DefVisitedLinkColor = value;
}

void TFVBase::SetDefOverLinkColor(TColor value) {
    defOverLinkColor_ = value;
    for (THTMLViewer* v : Viewers())
        v->DefOverLinkColor = value;
}

void TFVBase::SetVisitedMaxCount(int32_t value) {
    value = value < 0 ? 0 : value;
    if (value == visitedMaxCount_)
        return;
    visitedMaxCount_ = value;
    for (THTMLViewer* v : Viewers())
        v->SetVisitedMaxCount(value);
    VisitedMaxCountChanged();
}

void TFVBase::SetHistoryMaxCount(int32_t value) {
    historyMaxCount_ = value < 0 ? 0 : value;
    for (THTMLViewer* v : Viewers())
        v->SetHistoryMaxCount(historyMaxCount_);
}

void TFVBase::SetMarginWidth(int32_t value) {
    marginWidth_ = value;
    for (THTMLViewer* v : Viewers())
        v->MarginWidth = value;
}

void TFVBase::SetMarginHeight(int32_t value) {
    marginHeight_ = value;
    for (THTMLViewer* v : Viewers())
        v->MarginHeight = value;
}

void TFVBase::SetCharSet(uint8_t value) {
    charSet_ = value;
    for (THTMLViewer* v : Viewers())
        v->CharSet = value;
}

void TFVBase::SetServerRoot(const std::string& value) {
    serverRoot_ = value;
    for (THTMLViewer* v : Viewers())
        v->SetServerRoot(value);
}

void TFVBase::SetViewerCursor(TCursor value) {
    cursor_ = value;
    for (THTMLViewer* v : Viewers())
        v->Cursor = value;
}

void TFVBase::SetfvOptions(TFrameViewerOptions value) {
    options_ = value;
    for (THTMLViewer* v : Viewers())
        v->SethtOptions(InnerOptions());
    OptionsChanged();
}
