// Clicks, submission, radio groups and reset of form controls.
#include <gtest/gtest.h>

#include "platform/gui/buttons.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/edit.h"
#include "platform/gui/list_box.h"
#include "platform/gui/memo.h"
#include "platform/gui/scripted_dialogs.h"
#include "tests/html/doc/form_test_util.h"
#include "tests/support/fonts_env.h"

using Lines = std::vector<std::string>;

TEST(FormClick, ButtonReportsItsOnClickTextExactly) {
    TFormPage p;
    p.Listen();
    p.Read(R"(<input type=button value="&Create" onclick="create" name=a>
              <input type=button value=Plain name=b>)");
    p.Named("a")->FocusWidget()->Click();
    p.Named("b")->FocusWidget()->Click();
    EXPECT_EQ(p.Clicks, (Lines{"create", ""}));
    EXPECT_TRUE(p.Submits.empty()); // a plain button does nothing more
}

TEST(FormClick, EveryKindRaisesTheObjectClick) {
    TFormPage p;
    p.Listen();
    p.Read(R"(<input name=e onclick=edit><input type=checkbox name=c onclick=check>
              <input type=radio name=r onclick=radio>
              <select name=l multiple onclick=list><option>x<option>y</select>
              <select name=d onclick=drop><option>x<option>y</select>
              <textarea name=m onclick=memo></textarea>)");
    p.Named("e")->FocusWidget()->Click();
    p.Named("c")->FocusWidget()->Click();
    p.Named("r")->FocusWidget()->Click();
    p.Get<TListBoxFormControlObj>("l")->ListBox().ClickItem(1);
    // A drop-down list reports the click and the change of its item.
    p.Get<TComboFormControlObj>("d")->ComboBox().SelectItem(1);
    p.Get<TComboFormControlObj>("d")->ComboBox().SelectItem(1); // no change: the click only
    p.Named("m")->FocusWidget()->Click();
    EXPECT_EQ(p.Clicks, (Lines{"edit", "check", "radio", "list", "drop", "drop", "drop", "memo"}));
    EXPECT_TRUE(p.Get<TCheckBoxFormControlObj>("c")->Checked());
    EXPECT_TRUE(p.Get<TRadioButtonFormControlObj>("r")->Checked());
}

TEST(FormClick, NoHandlersMeansNothingHappens) {
    TFormPage p;
    p.Read(R"(<form><input name=q value=1><input type=submit name=go></form>)");
    p.Named("go")->FocusWidget()->Click();
    p.Named("q")->FocusWidget()->KeyDown(VK_RETURN, 0);
    EXPECT_TRUE(p.Clicks.empty());
    EXPECT_TRUE(p.Submits.empty());
}

TEST(FormSubmit, SubmitButtonPairComesLast) {
    TFormPage p;
    p.Listen();
    p.Read(R"(<form action="/find" method=post target=main enctype="text/plain">
                <input type=submit name=go value=Search>
                <input name=q value="two words"><input type=hidden name=h value=x>
              </form>)");
    p.Named("go")->FocusWidget()->Click();
    ASSERT_EQ(p.Submits.size(), 1u);
    const TSubmitted& s = p.Submits[0];
    EXPECT_EQ(s.Results, (Lines{"q=two words", "h=x", "go=Search"}));
    EXPECT_EQ(s.Action, "/find");
    EXPECT_EQ(s.Method, "post");
    EXPECT_EQ(s.Target, "main");
    EXPECT_EQ(s.EncType, "text/plain");
}

TEST(FormSubmit, UnnamedSubmitGivesNoPairOfItsOwn) {
    TFormPage p;
    p.Listen();
    p.Read(R"(<form><input name=q value=1><input type=submit value=Go></form>)");
    p.All[1]->FocusWidget()->Click();
    ASSERT_EQ(p.Submits.size(), 1u);
    EXPECT_EQ(p.Submits[0].Results, (Lines{"q=1"}));
}

TEST(FormSubmit, CheckBoxGivesItsPairOnlyWhenChecked) {
    TFormPage p;
    p.Listen();
    p.Read(R"(<form><input type=checkbox name=off><input type=checkbox name=on checked>
              <input type=checkbox name=v value=yes checked><input type=submit></form>)");
    p.All.back()->FocusWidget()->Click();
    ASSERT_EQ(p.Submits.size(), 1u);
    EXPECT_EQ(p.Submits[0].Results, (Lines{"on=on", "v=yes"}));
}

TEST(FormRadio, SameNameIgnoringCaseExcludesInOneFormOnly) {
    TFormPage p;
    p.Read(R"(<form><input type=radio name=a value=1 checked><input type=radio name=A value=2>
              </form><form><input type=radio name=a value=3 checked></form>)");
    auto* r1 = dynamic_cast<TRadioButtonFormControlObj*>(p.All[0]);
    auto* r2 = dynamic_cast<TRadioButtonFormControlObj*>(p.All[1]);
    auto* r3 = dynamic_cast<TRadioButtonFormControlObj*>(p.All[2]);
    ASSERT_TRUE(r1 && r2 && r3);
    EXPECT_TRUE(r1->Checked());
    r2->FocusWidget()->Click();
    EXPECT_TRUE(r2->Checked());
    EXPECT_FALSE(r1->Checked());
    EXPECT_TRUE(r3->Checked()); // the other form's button stays
    r1->FocusWidget()->Click();
    EXPECT_FALSE(r2->Checked());
    EXPECT_TRUE(r3->Checked());
}

TEST(FormRadio, UnnamedRadioButtonsDoNotGroup) {
    TFormPage p;
    p.Read(R"(<input type=radio checked><input type=radio>)");
    auto* r1 = dynamic_cast<TRadioButtonFormControlObj*>(p.All[0]);
    auto* r2 = dynamic_cast<TRadioButtonFormControlObj*>(p.All[1]);
    r2->FocusWidget()->Click();
    EXPECT_TRUE(r1->Checked());
    EXPECT_TRUE(r2->Checked());
}

TEST(FormKeys, EnterInTextBoxSubmitsButNotInMemo) {
    TFormPage p;
    p.Listen();
    p.Read(R"(<form><input name=q value=x><input type=password name=pw value=s>
              <textarea name=m>line</textarea></form>)");
    p.Named("m")->FocusWidget()->KeyDown(VK_RETURN, 0);
    EXPECT_TRUE(p.Submits.empty());
    p.Named("q")->FocusWidget()->KeyDown('A', 0);
    EXPECT_TRUE(p.Submits.empty());
    p.Named("pw")->FocusWidget()->KeyDown(VK_RETURN, 0);
    ASSERT_EQ(p.Submits.size(), 1u);
    EXPECT_EQ(p.Submits[0].Results, (Lines{"q=x", "pw=s", "m=line"}));
}

TEST(FormFile, SubmittedResetAndEnteredLikeATextFieldBrowseFillsTheBox) {
    TScriptedDialogs dialogs;
    TDialogProviderScope scope(dialogs);
    TFormPage p;
    p.Listen();
    p.Read(R"(<form><input type=file name=up value="old.txt" onclick="browse"></form>)");
    auto* f = p.Get<TFileFormControlObj>("up");
    ASSERT_TRUE(f);
    dialogs.AnswerOpen("/home/ann/report.txt");
    f->BrowseButton().Click();
    EXPECT_EQ(f->Edit().Text(), "/home/ann/report.txt");
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_EQ(dialogs.Asked()[0].Kind, TDialogKind::OpenFile);
    EXPECT_EQ(dialogs.Asked()[0].FileName, "old.txt");
    EXPECT_EQ(dialogs.Asked()[0].InitialDir, "");
    EXPECT_EQ(p.Clicks, (Lines{"browse"}));
    // The next dialog starts where the last choice lies; cancelling keeps the box.
    dialogs.CancelOpen();
    f->BrowseButton().KeyDown(VK_SPACE, 0);
    ASSERT_EQ(dialogs.Asked().size(), 2u);
    EXPECT_EQ(dialogs.Asked()[1].InitialDir, "/home/ann/");
    EXPECT_EQ(dialogs.Asked()[1].FileName, "report.txt");
    EXPECT_EQ(f->Edit().Text(), "/home/ann/report.txt");
    EXPECT_TRUE(dialogs.AllAnswered());
    // Enter in the box submits the form with the chosen name.
    f->FocusWidget()->KeyDown(VK_RETURN, 0);
    ASSERT_EQ(p.Submits.size(), 1u);
    EXPECT_EQ(p.Submits[0].Results, (Lines{"up=/home/ann/report.txt"}));
    f->Form->RestoreAll();
    EXPECT_EQ(f->Edit().Text(), "old.txt");
    // A click handler that frees the page stops the dialog from opening.
    TFormPage q;
    q.Read(R"(<input type=file name=up>)");
    auto* g = q.Get<TFileFormControlObj>("up");
    q.Doc.OnObjectClick = [&](TObject*, TFormControlObj*, const std::string&) {
        q.Doc.Controls.clear();
        q.Doc.Forms.Clear();
    };
    g->Browse();
    EXPECT_EQ(dialogs.Asked().size(), 2u);
    EXPECT_EQ(q.Doc.Forms.Count(), 0);
}

TEST(FormMemo, LinesJoinWithLineBreaksOnlyWithoutWrap) {
    TFormPage p;
    p.Read("<textarea name=h wrap=HARD>one\rtwo\rthree</textarea>"
           "<textarea name=s wrap=soft>a\rb</textarea>"
           "<textarea name=n>one\rtwo</textarea>"
           "<textarea name=o wrap=off>x\ry</textarea>");
    EXPECT_EQ(p.Pairs(), (Lines{"h=onetwothree", "s=ab", "n=one\r\ntwo", "o=x\r\ny"}));
    auto* h = p.Get<TTextAreaFormControlObj>("h");
    EXPECT_TRUE(h->Memo().WordWrap());
    EXPECT_EQ(h->Memo().ScrollBars(), TScrollStyle::ssVertical);
    EXPECT_EQ(p.Get<TTextAreaFormControlObj>("n")->Memo().ScrollBars(), TScrollStyle::ssBoth);
}

TEST(FormImplicit, ControlsOutsideFormShareOneGetForm) {
    TFormPage p;
    p.Read(R"(<input name=a><input name=b><form method=postal><input name=c></form>
              <input name=d>)");
    ASSERT_EQ(p.Doc.Forms.Count(), 3);
    ThtmlForm* implicit = p.Named("a")->Form;
    EXPECT_EQ(implicit->Method, "Get");
    EXPECT_TRUE(implicit->Action.empty());
    EXPECT_EQ(p.Named("b")->Form, implicit);
    EXPECT_EQ(p.Named("c")->Form->Method, "post"); // cut to four characters
    ThtmlForm* after = p.Named("d")->Form;
    EXPECT_NE(after, implicit);
    EXPECT_EQ(after->Method, "Get");
    EXPECT_EQ(p.Doc.Controls.size(), 4u);
    EXPECT_EQ(implicit->Members.Count(), 2);
}

TEST(FormReset, RestoresEveryInitialValue) {
    TFormPage p;
    p.Listen();
    p.Read(R"(<form><input name=t value=start><input type=checkbox name=c checked>
              <input type=radio name=r value=1 checked><input type=radio name=r value=2>
              <select name=l multiple><option selected>a<option>b<option selected>c</select>
              <select name=s size=3><option>a<option selected>b</select>
              <select name=d><option>a<option selected>b<option>c</select>
              <textarea name=m>first
second</textarea>
              <input type=reset name=undo onclick=reset></form>)");
    auto* t = p.Get<TEditFormControlObj>("t");
    auto* c = p.Get<TCheckBoxFormControlObj>("c");
    auto* l = p.Get<TListBoxFormControlObj>("l");
    auto* s = p.Get<TListBoxFormControlObj>("s");
    auto* d = p.Get<TComboFormControlObj>("d");
    auto* m = p.Get<TTextAreaFormControlObj>("m");
    Lines before = p.Pairs();
    EXPECT_EQ(before,
              (Lines{"t=start", "c=on", "r=1", "l=a", "l=c", "s=b", "d=b", "m=first\r\nsecond"}));
    t->Edit().TypeText(" more");
    c->FocusWidget()->Click();
    p.All[3]->FocusWidget()->Click();
    l->ListBox().ClickItem(1);
    s->ListBox().ClickItem(0);
    d->ComboBox().SelectItem(2);
    m->Memo().UserSetText("changed");
    m->Memo().SetSelection(3, 2);
    EXPECT_EQ(p.Pairs(), (Lines{"t=start more", "r=2", "l=b", "s=a", "d=c", "m=changed"}));
    p.Clicks.clear();
    p.Named("undo")->FocusWidget()->Click();
    EXPECT_EQ(p.Clicks, (Lines{"reset"})); // restoring raises no clicks of its own
    EXPECT_TRUE(p.Submits.empty());
    EXPECT_EQ(p.Pairs(), before);
    EXPECT_EQ(m->Memo().SelStart(), 0);
    EXPECT_EQ(m->Memo().SelLength(), 0);
}

TEST(FormReset, SelectWithoutSelectedOptionTakesTheFirst) {
    TFormPage p;
    p.Read(R"(<select name=s size=2><option>a<option>b</select>
              <select name=d><option value=1>a<option>b</select>
              <select name=m multiple><option>a<option>b</select>)");
    EXPECT_EQ(p.Pairs(), (Lines{"s=a", "d=1"})); // the multiple box only has its focus on a
    for (TFormControlObj* c : p.All)
        c->Restore();
    EXPECT_EQ(p.Pairs(), (Lines{"s=a", "d=1"}));
    EXPECT_EQ(p.Get<TListBoxFormControlObj>("m")->ListBox().ItemIndex(), 0);
}

// Every kind's pairs in document order: input fragment and the expected lines.
struct TPairsCase {
    const char* Html;
    Lines Expected;
};

class FormPairs : public testing::TestWithParam<TPairsCase> {};

TEST_P(FormPairs, SubmitsThePairsOfEveryKind) {
    TFormPage p;
    p.Read(GetParam().Html);
    ASSERT_FALSE(p.All.empty());
    EXPECT_EQ(p.Pairs(), GetParam().Expected) << GetParam().Html;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, FormPairs,
    testing::Values(
        TPairsCase{"<input name=t value='a b&amp;c'>", {"t=a b&c"}}, // no URL encoding
        TPairsCase{"<input name=e>", {"e="}},                        // empty text still counts
        TPairsCase{"<input type=password name=p value=s>", {"p=s"}},
        TPairsCase{"<input type=hidden name=h value=v>", {"h=v"}},
        TPairsCase{"<input type=unknown name=u value=v>", {"u=v"}}, // an edit box
        TPairsCase{"<input type=checkbox name=c value=v>", {}},
        TPairsCase{"<input type=radio name=r value=1><input type=radio name=r value=2 checked>",
                   {"r=2"}},
        TPairsCase{"<input type=submit name=s value=S><input type=reset name=r>"
                   "<input type=button name=b value=B>",
                   {}},
        TPairsCase{"<input type=image name=i src=x.gif>", {}}, // not clicked
        TPairsCase{"<select name=m multiple><option value=1 selected>one<option>two"
                   "<option selected>three</select>",
                   {"m=1", "m=three"}},
        TPairsCase{"<select name=s size=4><option>a<option selected>b<option selected>c</select>",
                   {"s=c"}}, // single selection: the last selected wins
        TPairsCase{"<select name=d><option value=x>a<option value=y selected>b</select>", {"d=y"}},
        TPairsCase{"<select name=empty></select>", {}},
        TPairsCase{"<textarea name=m>x</textarea>", {"m=x"}},
        TPairsCase{"<input name=a value=1><select name=b><option>o</select><textarea "
                   "name=c>t</textarea><input type=checkbox name=d checked><input type=hidden "
                   "name=e value=5>",
                   {"a=1", "b=o", "c=t", "d=on", "e=5"}}));

TEST(FormImage, ClickSubmitsThePositionOnce) {
    TFormPage p;
    p.Listen();
    p.Read(R"(<form><input name=q value=1><input type=image name=map onclick=img>
              <input type=image></form>)");
    auto* img = p.Get<TImageFormControlObj>("map");
    auto* anon = dynamic_cast<TImageFormControlObj*>(p.All[2]);
    ASSERT_TRUE(img && anon);
    EXPECT_EQ(img->ClickX, -1);
    EXPECT_EQ(img->FocusWidget(), nullptr);
    img->HoverX = 12;
    img->HoverY = 7;
    img->Click();
    ASSERT_EQ(p.Submits.size(), 1u);
    EXPECT_EQ(p.Clicks, (Lines{"img"}));
    EXPECT_EQ(p.Submits[0].Results, (Lines{"q=1", "map.x=12", "map.y=7"}));
    // The position was used up: the next submission has none.
    EXPECT_EQ(img->ClickX, -1);
    anon->HoverX = 3;
    anon->HoverY = 4;
    anon->Click();
    ASSERT_EQ(p.Submits.size(), 2u);
    EXPECT_EQ(p.Submits[1].Results, (Lines{"q=1", "x=3", "y=4"}));
}

TEST(FormClick, HandlerThatFreesTheFormStopsTheClick) {
    TFormPage p;
    p.Read(R"(<form><input type=submit name=go value=Go onclick=leave></form>)");
    int submits = 0;
    p.Doc.OnFormSubmit = [&](TObject*, const std::string&, const std::string&, const std::string&,
                             const std::string&, std::unique_ptr<TStringList>) { ++submits; };
    // The handler loads another page: the forms and their controls go.
    p.Doc.OnObjectClick = [&](TObject*, TFormControlObj*, const std::string&) {
        p.Doc.Controls.clear();
        p.Doc.Forms.Clear();
    };
    p.Named("go")->Click();
    EXPECT_EQ(submits, 0);
    EXPECT_EQ(p.Doc.Forms.Count(), 0);
}

TEST(FormMemo, LinesAddedAfterAUseStillReachTheWidget) {
    TFormPage p;
    p.Read("<textarea name=m></textarea>");
    auto* m = p.Get<TTextAreaFormControlObj>("m");
    m->AddLine("a");
    EXPECT_EQ(m->Memo().Lines(), (Lines{"a"}));
    m->AddLine("b");
    EXPECT_EQ(p.Pairs(), (Lines{"m=a\r\nb"}));
    EXPECT_EQ(m->Memo().Lines(), (Lines{"a", "b"}));
    EXPECT_EQ(m->InitialLines, (Lines{"a", "b"}));
}
