#pragma once
// A top-level window: caption, placement, maximised state, icon, the focused control, Alt+key
// access keys, closing and modal showing. Showing a window makes the toolkit peers of it and
// of all its controls (when a peer factory is installed); hiding it destroys them.
#include <functional>
#include <memory>
#include <string>

#include "platform/graphics/bitmap.h"
#include "platform/gui/control.h"

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TCloseAction { caNone, caHide, caFree };

// Modal results.
constexpr int mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7;

class TWindow : public TWinControl {
public:
    TWindow();
    ~TWindow() override;

    // 8-bit text.
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);

    // Left/Top/Width/Height hold the normal (restored) placement also while maximised, so the
    // placement can be saved and restored.
    TWindowState WindowState() const { return state_; }
    void SetWindowState(TWindowState state);
    // The placement the window returns to from maximised (its bounds while normal).
    TRect NormalBounds() const { return normal_; }
    void SetNormalBounds(const TRect& r);
    std::shared_ptr<const TBitmap> Icon() const { return icon_; }
    void SetIcon(std::shared_ptr<const TBitmap> icon);
    // A window the user may resize and maximise, down to this size; (0, 0), the default, keeps
    // the window at the size the program gives it (dialogs).
    void SetMinimumSize(int width, int height);
    int MinimumWidth() const { return minWidth_; }
    int MinimumHeight() const { return minHeight_; }
    bool Resizable() const { return minWidth_ > 0 && minHeight_ > 0; }

    std::function<void(TControl& sender)> OnShow;
    std::function<void(TControl& sender)> OnHide;
    std::function<void(TControl& sender)> OnResize;
    // Asked before closing; set canClose false to keep the window open.
    std::function<void(TControl& sender, bool& canClose)> OnCloseQuery;
    // What closing does; caHide by default.
    std::function<void(TControl& sender, TCloseAction& action)> OnClose;

    void Show();
    void Hide();
    bool Shown() const { return shown_; }
    // Asks OnCloseQuery and OnClose, then hides the window. Closing the application's main
    // window ends the application's loop. A modal window that closes without a result gets
    // mrCancel.
    void Close();
    // Shows the window and runs the loop until ModalResult is set or the window closes; hides
    // it again and answers the result.
    int ShowModal();
    int ModalResult = mrNone;
    bool Modal() const { return modal_; }

    TControl* ActiveControl() const { return active_; }
    // Moves the focus: OnExit of the old control, then OnEnter of the new one.
    void SetActiveControl(TControl* control);

    // Keys of the whole window (a reader's Ctrl+Q, F5, Alt+Left): sees every key pressed in the
    // window before the focused control does. A handler that acts on a key sets it to 0, and
    // the key goes no further.
    std::function<void(TWindow& sender, int& key, TShiftState shift)> OnShortcut;
    // Runs OnShortcut; true when it took the key.
    bool PreviewKey(int key, TShiftState shift);

    // A key the window receives: OnShortcut first; then Alt+key presses the control whose
    // caption marks that access key; other keys go to the focused control. Returns true when
    // something handled it.
    bool DispatchKey(int key, TShiftState shift);
    // The first showing, enabled control whose access key is ch (any case), or nullptr.
    TControl* FindAccessKey(char ch) const;

    // Reported by the peer: the user closed the window from its title bar or the window
    // manager, or resized/maximised it.
    void PeerCloseRequest() { Close(); }
    // Reported by the peer: the window manager maximised the window (normal: the placement it
    // had before, since the manager's resize may arrive before its word that it maximised) or
    // gave it back its normal size. Only the state changes; the manager moves the window itself.
    void PeerWindowState(TWindowState state, const TRect& normal);
    // A control that is going away: it no longer holds the focus, and no events fire.
    void ForgetControl(const TControl* control) {
        if (active_ == control)
            active_ = nullptr;
    }

    std::unique_ptr<TControlPeer> MakePeer(TPeerFactory& factory) override;

protected:
    void BoundsChanged() override;
    void PaintSelf(TCanvas& canvas, int x, int y) const override;

private:
    std::string caption_;
    TWindowState state_ = TWindowState::wsNormal;
    TRect normal_;
    std::shared_ptr<const TBitmap> icon_;
    int minWidth_ = 0, minHeight_ = 0;
    bool shown_ = false;
    bool modal_ = false;
    TControl* active_ = nullptr;
};
