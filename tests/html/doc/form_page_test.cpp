// Forms read from pages by the document reader, laid out and painted headless.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "html/doc/form_control.h"
#include "html/doc/form_kinds.h"
#include "html/doc/html_form.h"
#include "html/load/headless_page.h"
#include "platform/graphics/canvas.h"
#include "platform/gui/buttons.h"
#include "platform/gui/control.h"
#include "tests/support/fonts_env.h"

using Lines = std::vector<std::string>;

namespace {
Lines Pairs(ThtmlForm* form) {
    Lines out;
    std::unique_ptr<TStringList> r = form->Results("");
    for (int i = 0; i < r->Count(); ++i)
        out.push_back(r->Strings(i));
    return out;
}

TFormControlObj* Named(TSectionList& doc, const std::string& name) {
    for (TFormControlObj* c : doc.Controls)
        if (c->Name == name)
            return c;
    return nullptr;
}
} // namespace

TEST(FormPage, ReaderBuildsFormsOptionsAndLines) {
    THeadlessPage page;
    page.LoadHtml(R"(<p>Outside: <input name=loose value=1>
<form action="/send" method=POST>
  <p>Name <input name=who value="A &amp; B" size=12>
  <select name=pick><option value=x>First<option selected> Second </option></select>
  <select name=many multiple size=3><option selected>a<option>b<option selected>c</select>
  <textarea name=note rows=2>line one
line two</textarea>
  <input type=checkbox name=ok checked><input type=hidden name=h value=5>
  <input type=submit name=go value=Send>
</form>
<input name=after>)",
                  "");
    TSectionList& doc = page.Document();
    ASSERT_EQ(doc.Forms.Count(), 3);
    EXPECT_EQ(doc.Controls.size(), 9u);
    ThtmlForm* loose = Named(doc, "loose")->Form;
    EXPECT_EQ(loose->Method, "Get");
    ThtmlForm* form = Named(doc, "who")->Form;
    EXPECT_EQ(form->Method, "POST");
    EXPECT_EQ(form->Action, "/send");
    EXPECT_EQ(form->Members.Count(), 7);
    EXPECT_EQ(form->VisibleCount, 6);
    EXPECT_NE(Named(doc, "after")->Form, form);
    EXPECT_NE(Named(doc, "after")->Form, loose);
    EXPECT_EQ(dynamic_cast<TEditFormControlObj*>(Named(doc, "who"))->Chars, 12);
    EXPECT_EQ(Pairs(form), (Lines{"who=A & B", "pick=Second", "many=a", "many=c",
                                  "note=line one\r\nline two", "ok=on", "h=5"}));
    auto* note = dynamic_cast<TTextAreaFormControlObj*>(Named(doc, "note"));
    ASSERT_TRUE(note);
    EXPECT_EQ(note->Rows, 2);
    auto* many = dynamic_cast<TListBoxFormControlObj*>(Named(doc, "many"));
    ASSERT_TRUE(many);
    EXPECT_EQ(many->VisibleRows, 3);
    std::vector<std::string> submitted;
    doc.OnFormSubmit = [&](TObject*, const std::string&, const std::string&, const std::string&,
                           const std::string&, std::unique_ptr<TStringList> results) {
        submitted.push_back(results->Strings(results->Count() - 1));
    };
    Named(doc, "go")->FocusWidget()->Click();
    EXPECT_EQ(submitted, (Lines{"go=Send"}));
}

TEST(FormPage, ControlsStandInTheTextAndArePlacedByThePaint) {
    THeadlessPage page;
    page.LoadHtml("<p>Search <input name=q size=10> now <input type=submit name=go></p>", "");
    page.LayOut(600);
    TSectionList& doc = page.Document();
    TFormControlObj* q = Named(doc, "q");
    TFormControlObj* go = Named(doc, "go");
    ASSERT_TRUE(q && go);
    EXPECT_GT(q->Width(), 0);
    EXPECT_GT(go->Width(), 0);
    EXPECT_GT(q->DocY, 0);
    EXPECT_EQ(q->DocY, go->DocY); // one line
    TCanvas canvas(600, 100);
    page.Paint(canvas, 0);
    EXPECT_TRUE(q->Shown);
    EXPECT_TRUE(go->Shown);
    // Left to right in the line, the text between them keeping its room.
    EXPECT_GT(q->Widget()->Left(), 10);
    EXPECT_GT(go->Widget()->Left(), q->Widget()->Left() + q->Width());
    // Headless, the controls' pictures are painted into the page: the edit box is white on
    // the grey page, the button grey with its frame.
    TControl* w = q->Widget();
    EXPECT_EQ(canvas.GetPixel(w->Left() + w->Width() / 2, w->Top() + w->Height() / 2), clWhite);
}

TEST(FormPage, ControlInsideATableCell) {
    THeadlessPage page;
    page.LoadHtml(R"(<table border=1 cellpadding=4><tr><td>Label</td>
<td><input type=checkbox name=c checked value=yes></td></tr>
<tr><td colspan=2><select name=s><option>one<option selected>two</select></td></tr></table>)",
                  "");
    page.LayOut(500);
    TSectionList& doc = page.Document();
    TFormControlObj* c = Named(doc, "c");
    TFormControlObj* s = Named(doc, "s");
    ASSERT_TRUE(c && s);
    EXPECT_EQ(c->Form, s->Form);
    EXPECT_EQ(Pairs(c->Form), (Lines{"c=yes", "s=two"}));
    TCanvas canvas(500, 200);
    page.Paint(canvas, 0);
    EXPECT_TRUE(c->Shown);
    EXPECT_TRUE(s->Shown);
    // The check box sits right of the label cell and above the second row's list.
    EXPECT_GT(c->Widget()->Left(), 30);
    EXPECT_LT(c->Widget()->Top() + c->Height(), s->Widget()->Top());
    EXPECT_LT(c->Widget()->Left() + c->Width(), page.DocWidth());
}

TEST(FormPage, BuilderHelpPageButtonsReportTheirCommands) {
    THeadlessPage page;
    std::string error;
    ASSERT_TRUE(page.LoadFile("resources/help.html", error)) << error;
    page.LayOut(800);
    TSectionList& doc = page.Document();
    Lines texts;
    doc.OnObjectClick = [&](TObject*, TFormControlObj*, const std::string& text) {
        texts.push_back(text);
    };
    Lines keys;
    for (TFormControlObj* c : doc.Controls) {
        auto* b = dynamic_cast<TButtonFormControlObj*>(c);
        ASSERT_TRUE(b);
        keys.push_back(std::string(1, b->Button().AccessKey()));
        c->FocusWidget()->Click();
    }
    EXPECT_EQ(texts, (Lines{"directory", "homepage", "title", "password", "icon", "create"}));
    EXPECT_EQ(keys, (Lines{"1", "2", "3", "4", "5", "6"}));
}
