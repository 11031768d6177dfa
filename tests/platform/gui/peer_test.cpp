// The peer protocol without a toolkit: a recording factory stands in for FLTK.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gui/buttons.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/edit.h"
#include "platform/gui/list_box.h"
#include "platform/gui/memo.h"
#include "platform/gui/paint_box.h"
#include "platform/gui/panel.h"
#include "platform/gui/peer.h"
#include "platform/gui/scroll_bar.h"
#include "platform/gui/window.h"

namespace {

struct TLog {
    std::vector<std::string> Events;
    int Syncs = 0;
};

class TFakePeer : public TControlPeer {
public:
    TFakePeer(TLog& log, std::string name) : log_(log), name_(std::move(name)) {
        log_.Events.push_back("make " + name_);
    }
    ~TFakePeer() override { log_.Events.push_back("free " + name_); }
    void Sync() override { ++log_.Syncs; }

private:
    TLog& log_;
    std::string name_;
};

class TFakeFactory : public TPeerFactory {
public:
    TLog Log;
    std::unique_ptr<TControlPeer> Make(TControl& c) {
        return std::make_unique<TFakePeer>(Log, c.Name);
    }
    std::unique_ptr<TControlPeer> CreateWindow(TWindow& c) override { return Make(c); }
    std::unique_ptr<TControlPeer> CreatePanel(TPanel& c) override { return Make(c); }
    std::unique_ptr<TControlPeer> CreatePaintBox(TPaintBox& c) override { return Make(c); }
    std::unique_ptr<TControlPeer> CreateScrollBar(TScrollBar& c) override { return Make(c); }
    std::unique_ptr<TControlPeer> CreateEdit(TEdit& c) override { return Make(c); }
    std::unique_ptr<TControlPeer> CreateMemo(TMemo& c) override { return Make(c); }
    std::unique_ptr<TControlPeer> CreateButton(TButton& c) override { return Make(c); }
    std::unique_ptr<TControlPeer> CreateCheckBox(TCheckBox& c) override { return Make(c); }
    std::unique_ptr<TControlPeer> CreateRadioButton(TRadioButton& c) override { return Make(c); }
    std::unique_ptr<TControlPeer> CreateListBox(TListBox& c) override { return Make(c); }
    std::unique_ptr<TControlPeer> CreateComboBox(TComboBox& c) override { return Make(c); }
};

class Peers : public testing::Test {
protected:
    void SetUp() override {
        previous = SetPeerFactory(&factory);
        w.Name = "window";
        panel.Name = "panel";
        button.Name = "button";
        bar.Name = "bar";
        panel.SetParent(&w);
        button.SetParent(&panel);
        bar.SetParent(&w);
    }
    void TearDown() override {
        w.Hide();
        SetPeerFactory(previous);
    }
    TFakeFactory factory;
    TPeerFactory* previous = nullptr;
    TWindow w;
    TPanel panel;
    TButton button;
    TScrollBar bar;
};

TEST_F(Peers, ExistOnlyWhileTheWindowIsShownParentsFirst) {
    EXPECT_EQ(button.Peer(), nullptr);
    w.Show();
    EXPECT_EQ(factory.Log.Events,
              (std::vector<std::string>{"make window", "make panel", "make button", "make bar"}));
    EXPECT_NE(button.Peer(), nullptr);
    factory.Log.Events.clear();
    w.Hide();
    EXPECT_EQ(factory.Log.Events,
              (std::vector<std::string>{"free bar", "free button", "free panel", "free window"}));
    EXPECT_EQ(w.Peer(), nullptr);
    EXPECT_EQ(button.Peer(), nullptr);
}

TEST_F(Peers, FollowControlsAddedToOrTakenFromAShownWindow) {
    w.Show();
    factory.Log.Events.clear();
    TEdit late;
    late.Name = "late";
    late.SetParent(&panel);
    EXPECT_NE(late.Peer(), nullptr);
    late.SetParent(nullptr);
    EXPECT_EQ(late.Peer(), nullptr);
    TEdit detached;
    detached.Name = "detached";
    EXPECT_EQ(factory.Log.Events, (std::vector<std::string>{"make late", "free late"}));
}

TEST_F(Peers, StateChangesSyncAndUnchangedScrollParamsDoNot) {
    w.Show();
    bar.SetParams(10, 0, 1000, 100);
    int syncs = factory.Log.Syncs;
    bar.SetParams(10, 0, 1000, 100);
    bar.SetPosition(10);
    EXPECT_EQ(factory.Log.Syncs, syncs);
    bar.SetPosition(11);
    EXPECT_EQ(factory.Log.Syncs, syncs + 1);
    button.SetCaption("&Go");
    EXPECT_EQ(factory.Log.Syncs, syncs + 2);
}

} // namespace
