#include "bookreader/reader_menu.h"

#include <algorithm>

#include "bookreader/reader_window.h"
#include "html/doc/image_obj.h"
#include "platform/gui/clipboard.h"

TReaderMenu::TReaderMenu(TReaderWindow& window) : window_(window) {
    window_.Viewer().OnRightClick = [this](TObject* sender, const TRightClickParameters& p) {
        if (auto* viewer = dynamic_cast<THTMLViewer*>(sender))
            Open(*viewer, p);
    };
}

THTMLViewer* TReaderMenu::OpenedViewer() const {
    const std::vector<THTMLViewer*> viewers = window_.Viewer().Viewers();
    return std::find(viewers.begin(), viewers.end(), viewer_) != viewers.end() ? viewer_ : nullptr;
}

void TReaderMenu::Open(THTMLViewer& viewer, const TRightClickParameters& p) {
    viewer_ = &viewer;
    link_ = p.URL;
    picture_ = p.Image ? p.Image->Source : std::string();
    TFrameViewer& fv = window_.Viewer();
    Menu.Clear();
    Menu.Add(
        "&Back", [this] { window_.GoBack(); }, fv.BackButtonEnabled());
    Menu.Add(
        "&Forward", [this] { window_.GoForward(); }, fv.FwdButtonEnabled());
    Menu.Add("&Reload", [this] { window_.ReloadPage(); });
    Menu.AddSeparator();
    Menu.Add(
        "&Copy",
        [this] {
            if (THTMLViewer* v = OpenedViewer())
                v->CopyToClipboard();
        },
        viewer.SelLength() > 0);
    Menu.Add("Select &all", [this] {
        if (THTMLViewer* v = OpenedViewer())
            v->SelectAll();
    });
    Menu.Add("&Find on this page...", [this] {
        if (THTMLViewer* v = OpenedViewer())
            v->FindDialog();
    });
    if (!link_.empty() || !picture_.empty())
        Menu.AddSeparator();
    if (!link_.empty())
        Menu.Add("Copy &link address", [this] { SetClipboardText(link_); });
    if (!picture_.empty())
        Menu.Add("Open &picture", [this] {
            // As a link to the picture followed in the frame it lies in.
            window_.Viewer().HotSpotClick(OpenedViewer(), picture_, {});
        });
    Menu.Popup(viewer.PaintPanel(), p.X, p.Y);
}
