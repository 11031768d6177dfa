// Construction, sizing, placing and focus of form controls.
#include <gtest/gtest.h>

#include "html/doc/image_obj.h"
#include "html/style/properties.h"
#include "platform/graphics/canvas.h"
#include "platform/gui/access_key.h"
#include "platform/gui/buttons.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/edit.h"
#include "platform/gui/list_box.h"
#include "platform/gui/memo.h"
#include "platform/gui/panel.h"
#include "platform/gui/window.h"
#include "tests/html/doc/form_test_util.h"
#include "tests/support/fonts_env.h"

namespace {
// Width and height of "A" in a font.
TSize LetterA(const std::string& name, int size) {
    TCanvas c(10, 10);
    c.Font.Name = name;
    c.Font.Size = size;
    return c.TextExtent("A");
}

// Sizes every control of the page as the document layout does.
void FitAll(TFormPage& p) {
    TCanvas canvas(10, 10);
    for (int i = 0; i < p.Doc.Forms.Count(); ++i)
        p.Doc.Forms[i]->FitAll(canvas);
}
} // namespace

TEST(FormKinds, MadeFromTypeIgnoringCase) {
    TFormPage p;
    p.Read(R"(<input name=a><input type=TEXT name=b><input type=Password name=c>
              <input type=SUBMIT name=d><input type=reset name=e><input type=button name=f>
              <input type=CheckBox name=g><input type=radio name=h><input type=hidden name=i>
              <input type=image name=j><input type=FILE name=k><input type=colour name=q>
              <select name=l multiple></select><select name=m size=2></select>
              <select name=n size=1></select><select name=o></select><textarea name=p></textarea>)");
    EXPECT_TRUE(p.Get<TEditFormControlObj>("a"));
    EXPECT_TRUE(p.Get<TEditFormControlObj>("b"));
    ASSERT_TRUE(p.Get<TEditFormControlObj>("c"));
    EXPECT_EQ(p.Get<TEditFormControlObj>("c")->Edit().PasswordChar(), '*');
    EXPECT_EQ(p.Get<TEditFormControlObj>("b")->Edit().PasswordChar(), 0);
    EXPECT_EQ(p.Get<TButtonFormControlObj>("d")->Role, 0);
    EXPECT_EQ(p.Get<TButtonFormControlObj>("e")->Role, 1);
    EXPECT_EQ(p.Get<TButtonFormControlObj>("f")->Role, 2);
    EXPECT_TRUE(p.Get<TCheckBoxFormControlObj>("g"));
    EXPECT_TRUE(p.Get<TRadioButtonFormControlObj>("h"));
    EXPECT_TRUE(p.Get<THiddenFormControlObj>("i"));
    EXPECT_TRUE(p.Get<TImageFormControlObj>("j"));
    EXPECT_TRUE(p.Get<TFileFormControlObj>("k"));
    EXPECT_TRUE(p.Get<TEditFormControlObj>("q")); // an unknown type is an edit box
    EXPECT_FALSE(p.Get<TFileFormControlObj>("q"));
    EXPECT_FALSE(p.Get<TComboFormControlObj>("l"));
    EXPECT_TRUE(p.Get<TListBoxFormControlObj>("l"));
    EXPECT_TRUE(p.Get<TListBoxFormControlObj>("l")->ListBox().MultiSelect());
    EXPECT_FALSE(p.Get<TComboFormControlObj>("m"));
    EXPECT_FALSE(p.Get<TListBoxFormControlObj>("m")->ListBox().MultiSelect());
    EXPECT_TRUE(p.Get<TComboFormControlObj>("n")); // SIZE 1 is a drop-down list
    EXPECT_TRUE(p.Get<TComboFormControlObj>("o"));
    EXPECT_TRUE(p.Get<TTextAreaFormControlObj>("p"));
    // Hidden fields are not visible controls; everything else is.
    EXPECT_EQ(p.All[0]->Form->VisibleCount, 16);
    EXPECT_EQ(p.All[0]->Form->Members.Count(), 17);
}

TEST(FormKinds, CommonFieldsAndDefaults) {
    TFormPage p;
    p.Read(R"(<input name=n value="v" onclick="go" id=Field>
              <input type=checkbox name=c><input type=radio name=r checked>
              <input type=submit name=s><input type=reset name=x value="Undo">
              <input type=button name=b>)");
    TFormControlObj* n = p.Named("n");
    EXPECT_EQ(n->Value, "v");
    EXPECT_EQ(n->ClickText, "go");
    EXPECT_EQ(n->VAlign, oaBottom);
    EXPECT_EQ(n->CharPos, 0);
    EXPECT_EQ(p.Doc.NamedPositions.Find("FIELD"), n);
    EXPECT_EQ(p.Get<TEditFormControlObj>("n")->Edit().Text(), "v");
    auto* c = p.Get<TCheckBoxFormControlObj>("c");
    EXPECT_EQ(c->Value, "on");
    EXPECT_EQ(c->VAlign, oaBaseline);
    EXPECT_FALSE(c->InitiallyChecked);
    EXPECT_EQ(c->Width(), 13);
    EXPECT_EQ(c->Height(), 13);
    auto* r = p.Get<TRadioButtonFormControlObj>("r");
    EXPECT_TRUE(r->InitiallyChecked);
    EXPECT_TRUE(r->Checked());
    EXPECT_EQ(r->VAlign, oaBaseline);
    EXPECT_EQ(r->Width(), 13);
    EXPECT_EQ(r->Height(), 14);
    EXPECT_EQ(r->Frame().BevelOuter(), TBevelCut::bvNone);
    EXPECT_EQ(r->Frame().BevelInner(), TBevelCut::bvNone);
    EXPECT_EQ(r->FocusWidget(), &r->Radio());
    EXPECT_EQ(r->Radio().Parent(), &r->Frame());
    EXPECT_EQ(p.Get<TButtonFormControlObj>("s")->Button().Caption(), "Submit");
    EXPECT_EQ(p.Get<TButtonFormControlObj>("x")->Button().Caption(), "Undo");
    EXPECT_EQ(p.Get<TButtonFormControlObj>("b")->Button().Caption(), "Button");
    // Widgets wait out of sight until a paint places them.
    for (TFormControlObj* ctl : p.All)
        EXPECT_EQ(ctl->Widget()->Top(), -400) << ctl->Name;
}

TEST(FormKinds, EditSizeAndMaxLength) {
    struct Case {
        const char* Size;
        int Chars;
    } cases[] = {{"30", 30},      {"\"30,2\"", 30}, {"\"7 x\"", 7}, {"\",5\"", 20},     {"abc", 20},
                 {"\"a,5\"", 20}, {"0", 20},        {"-3", 20},     {"999999999", 4096}};
    for (const Case& k : cases) {
        TFormPage p;
        p.Read(std::string("<input size=") + k.Size + ">");
        EXPECT_EQ(dynamic_cast<TEditFormControlObj*>(p.All[0])->Chars, k.Chars) << k.Size;
    }
    TFormPage p;
    p.Read("<input name=m maxlength=3><input name=z maxlength=0>");
    TEdit& e = p.Get<TEditFormControlObj>("m")->Edit();
    EXPECT_EQ(e.MaxLength(), 3);
    e.TypeText("abcdef");
    EXPECT_EQ(e.Text(), "abc");
    EXPECT_EQ(p.Get<TEditFormControlObj>("z")->Edit().MaxLength(), 0);
}

TEST(FormSizing, EditBox) {
    TFormPage p;
    p.Read("<input name=a size=10><input name=b><input name=c><input name=d>");
    p.Get<TEditFormControlObj>("c")->StyleWidth = 77;
    p.Get<TEditFormControlObj>("c")->StyleHeight = 31;
    p.Get<TEditFormControlObj>("d")->StyleWidth = 9; // too small to count
    p.Get<TEditFormControlObj>("d")->StyleHeight = 5;
    EXPECT_EQ(p.Named("a")->Width(), 120);
    EXPECT_EQ(p.Named("a")->Height(), 20);
    FitAll(p);
    TSize a = LetterA("Courier New", 10);
    EXPECT_EQ(p.Named("a")->Width(), a.cx * 10 + 5);
    EXPECT_EQ(p.Named("b")->Width(), a.cx * 20 + 5);
    EXPECT_EQ(p.Named("c")->Width(), 77);
    EXPECT_EQ(p.Named("c")->Height(), 31);
    EXPECT_EQ(p.Named("d")->Width(), a.cx * 20 + 5);
    EXPECT_EQ(p.Named("d")->Height(), 20);
    EXPECT_EQ(p.Get<TEditFormControlObj>("a")->Edit().Font.Name, "Courier New");
    EXPECT_EQ(p.Get<TEditFormControlObj>("a")->Edit().Font.Size, 10);
}

TEST(FormSizing, FileInputIsItsBoxAndItsBrowseButton) {
    TFormPage p;
    p.Read("<input type=file name=f><input type=file name=s size=8 maxlength=40>"
           "<input type=file name=w>");
    auto* f = p.Get<TFileFormControlObj>("f");
    auto* s = p.Get<TFileFormControlObj>("s");
    auto* w = p.Get<TFileFormControlObj>("w");
    w->StyleWidth = 300;
    FitAll(p);
    TSize a = LetterA("Courier New", 10);
    TCanvas c(10, 10);
    c.Font = f->BrowseButton().Font;
    const int buttonW = c.TextWidth("Browse...") + 20;
    const int h = std::max(20, c.TextHeight("A") + 8);
    // The box is as wide as a text field of the same SIZE; the button stands beside it.
    EXPECT_EQ(f->Edit().Width(), a.cx * 20 + 5);
    EXPECT_EQ(s->Edit().Width(), a.cx * 8 + 5);
    EXPECT_EQ(s->Edit().MaxLength(), 40);
    for (auto* ctl : {f, s, w}) {
        EXPECT_EQ(ctl->BrowseButton().Width(), buttonW);
        EXPECT_EQ(ctl->BrowseButton().Left(), ctl->Edit().Width() + TFileFormControlObj::Gap);
        EXPECT_EQ(ctl->Width(), ctl->Edit().Width() + TFileFormControlObj::Gap + buttonW);
        EXPECT_EQ(ctl->Height(), h);
        EXPECT_EQ(ctl->Edit().Height(), h);
        EXPECT_EQ(ctl->BrowseButton().Height(), h);
        // Both stand inside the control's own widget, which is what text layout places.
        EXPECT_EQ(ctl->Edit().Parent(), ctl->Widget());
        EXPECT_EQ(ctl->BrowseButton().Parent(), ctl->Widget());
        EXPECT_EQ(ctl->FocusWidget(), &ctl->Edit());
    }
    // A style width is the whole control's.
    EXPECT_EQ(w->Width(), 300);
    EXPECT_EQ(w->Edit().Width(), 300 - TFileFormControlObj::Gap - buttonW);
    EXPECT_EQ(f->DumpKind(), "file chars=20 box=" + std::to_string(a.cx * 20 + 5) +
                                 " button=" + std::to_string(buttonW));
}

TEST(FormSizing, Button) {
    TFormPage p;
    p.Read(R"(<input type=button name=a value="&1 Directory"><input type=submit name=b>)");
    auto* b = p.Get<TButtonFormControlObj>("b");
    b->StyleWidth = 90;
    b->StyleHeight = 40;
    FitAll(p);
    TCanvas c(10, 10);
    c.Font = p.Get<TButtonFormControlObj>("a")->Button().Font;
    // The access-key mark takes no room in the caption.
    EXPECT_EQ(p.Named("a")->Width(), c.TextWidth("1 Directory") + 20);
    EXPECT_EQ(p.Named("a")->Height(), c.TextHeight("A") + 8);
    EXPECT_EQ(b->Width(), 90);
    EXPECT_EQ(b->Height(), 40);
}

TEST(FormSizing, ListBoxShowsFourRowsUnlessSizeSaysAndScrollsTheRest) {
    std::string twelve = "<select name=t multiple>";
    for (int i = 0; i < 12; ++i)
        twelve += "<option>item" + std::to_string(i);
    twelve += "</select><select name=none multiple></select>"
              "<select name=three size=3><option>a<option>b</select>"
              "<select name=four multiple><option>a<option>b<option>c<option>d</select>"
              "<select name=few multiple><option>a<option>a much longer one</select>";
    TFormPage p;
    p.Read(twelve);
    auto* t = p.Get<TListBoxFormControlObj>("t");
    auto* none = p.Get<TListBoxFormControlObj>("none");
    auto* four = p.Get<TListBoxFormControlObj>("four");
    EXPECT_EQ(t->VisibleRows, -1);
    FitAll(p);
    EXPECT_EQ(t->VisibleRows, 4);
    EXPECT_EQ(none->VisibleRows, 4);
    EXPECT_EQ(p.Get<TListBoxFormControlObj>("three")->VisibleRows, 3);
    EXPECT_EQ(p.Get<TListBoxFormControlObj>("few")->VisibleRows, 4);
    EXPECT_EQ(none->WidestOption, 3);
    EXPECT_EQ(t->WidestOption, 6);
    EXPECT_EQ(p.Get<TListBoxFormControlObj>("few")->WidestOption, 17);
    TSize a = LetterA("Courier New", 10);
    // The client area plus the two-pixel sunken frame on each side.
    EXPECT_EQ(t->Height(), a.cy * 4 + 4);
    EXPECT_EQ(t->Width(), a.cx * 6 + 15 + 4);
    EXPECT_EQ(none->Height(), a.cy * 4 + 4);
    EXPECT_EQ(t->ListBox().ItemHeight, a.cy);
    // The scroll bar shows only when the options outnumber the rows.
    EXPECT_EQ(t->ListBox().VisibleItems(), 4);
    EXPECT_TRUE(t->ListBox().NeedsScrollBar());
    EXPECT_FALSE(four->ListBox().NeedsScrollBar());
    EXPECT_FALSE(none->ListBox().NeedsScrollBar());
    EXPECT_FALSE(p.Get<TListBoxFormControlObj>("three")->ListBox().NeedsScrollBar());
    EXPECT_EQ(t->DumpKind(), "listbox rows=4 options=12 scroll=vertical");
    EXPECT_EQ(four->DumpKind(), "listbox rows=4 options=4 scroll=none");
}

TEST(FormSizing, DropDownAndMemo) {
    TFormPage p;
    p.Read("<select name=d><option>short<option>a longer option</select>"
           "<textarea name=m rows=3 cols=12></textarea><textarea name=w wrap=soft></textarea>"
           "<textarea name=s></textarea>");
    auto* s = p.Get<TTextAreaFormControlObj>("s");
    s->StyleWidth = 200;
    s->StyleHeight = 50;
    FitAll(p);
    TSize gui = LetterA("Liberation Sans", 8);
    TSize pre = LetterA("Courier New", 10);
    auto* d = p.Get<TComboFormControlObj>("d");
    EXPECT_EQ(d->WidestOption, 15);
    EXPECT_EQ(d->Width(), gui.cx * 15 + 30);
    EXPECT_EQ(d->Height(), pre.cy + 8);
    auto* m = p.Get<TTextAreaFormControlObj>("m");
    EXPECT_EQ(m->Rows, 3);
    EXPECT_EQ(m->Cols, 12);
    // Client area, frame and both scroll bars of a memo that does not wrap.
    EXPECT_EQ(m->Width(), pre.cx * 12 + 5 + 4 + 16);
    EXPECT_EQ(m->Height(), pre.cy * 3 + 5 + 4 + 16);
    auto* w = p.Get<TTextAreaFormControlObj>("w");
    EXPECT_EQ(w->Rows, 5);
    EXPECT_EQ(w->Cols, 30);
    EXPECT_EQ(w->Width(), pre.cx * 30 + 5 + 4 + 16);
    EXPECT_EQ(w->Height(), pre.cy * 5 + 5 + 4); // no horizontal bar
    EXPECT_EQ(s->Width(), 200);
    EXPECT_EQ(s->Height(), 50);
}

TEST(FormSizing, MemoScrollBarsOnlyWhereTheTextOverflows) {
    TFormPage p;
    p.Read("<textarea name=soft rows=3 cols=20 wrap=soft>short\nfits</textarea>"
           "<textarea name=softlong rows=3 cols=20 wrap=soft>" +
           std::string(200, 'x').replace(10, 1, " ") +
           "</textarea>"
           "<textarea name=plain rows=3 cols=20>one\ntwo</textarea>"
           "<textarea name=wide rows=3 cols=20>" +
           std::string(40, 'w') +
           "</textarea>"
           "<textarea name=tall rows=3 cols=20>1\n2\n3\n4\n5\n6\n7\n8</textarea>"
           "<textarea name=both rows=3 cols=20 wrap=off>1\n2\n3\n4\n5\n" +
           std::string(40, 'b') + "</textarea>");
    FitAll(p);
    auto kind = [&](const char* name) { return p.Named(name)->DumpKind(); };
    EXPECT_EQ(kind("soft"), "textarea rows=3 cols=20 wrap scroll=none");
    EXPECT_EQ(kind("softlong"), "textarea rows=3 cols=20 wrap scroll=vertical");
    EXPECT_EQ(kind("plain"), "textarea rows=3 cols=20 nowrap scroll=none");
    EXPECT_EQ(kind("wide"), "textarea rows=3 cols=20 nowrap scroll=horizontal");
    EXPECT_EQ(kind("tall"), "textarea rows=3 cols=20 nowrap scroll=vertical");
    EXPECT_EQ(kind("both"), "textarea rows=3 cols=20 nowrap scroll=both");
    // The text typed later decides what the memo shows, not the initial text.
    TMemo& m = p.Get<TTextAreaFormControlObj>("plain")->Memo();
    TCanvas c(10, 10);
    EXPECT_EQ(m.NeededScrollBars(c), TMemoBars{});
    m.UserSetText(std::string(60, 'y'));
    EXPECT_EQ(m.NeededScrollBars(c), (TMemoBars{false, true}));
}

TEST(FormSizing, HostileSizesStayBounded) {
    TFormPage p;
    p.Read("<select name=l size=2000000000><option>x</select>"
           "<textarea name=m rows=2000000000 cols=2000000000></textarea>");
    FitAll(p);
    EXPECT_EQ(p.Get<TListBoxFormControlObj>("l")->VisibleRows, 1000);
    EXPECT_EQ(p.Get<TTextAreaFormControlObj>("m")->Rows, 1000);
    EXPECT_GT(p.Named("l")->Height(), 0);
    EXPECT_GT(p.Named("m")->Width(), 0);
    EXPECT_GT(p.Named("m")->Height(), 0);
}

TEST(FormStyle, MarginsSizesAndAlignment) {
    TFormPage p;
    p.Read("<input name=e><input type=image name=i>");
    TProperties props;
    props.AddPropertyByName("margin-left", "6px");
    props.AddPropertyByName("margin-right", "50%"); // of 200 pixels
    props.AddPropertyByName("width", "150px");
    props.AddPropertyByName("height", "30px");
    props.AddPropertyByName("vertical-align", "middle");
    TFormControlObj* e = p.Named("e");
    e->ApplyStyle(props);
    EXPECT_EQ(e->SpaceLeft, 6);
    EXPECT_EQ(e->SpaceRight, 100);
    EXPECT_EQ(e->StyleWidth, 150);
    EXPECT_EQ(e->StyleHeight, 30);
    EXPECT_EQ(e->VAlign, oaMiddle);
    // Nothing given keeps the defaults; absurd lengths are held to a window's size.
    TProperties none;
    TFormControlObj* i = p.Named("i");
    i->ApplyStyle(none);
    EXPECT_EQ(i->SpaceLeft, 0);
    EXPECT_EQ(i->StyleWidth, 0);
    EXPECT_EQ(i->VAlign, oaBottom);
    TProperties huge;
    huge.AddPropertyByName("width", "900000000px");
    huge.AddPropertyByName("margin-left", "-20px");
    huge.AddPropertyByName("margin-right", "-900000000px");
    e->ApplyStyle(huge);
    EXPECT_EQ(e->SpaceRight, -32767);
    EXPECT_EQ(e->StyleWidth, 32767);
    EXPECT_EQ(e->SpaceLeft, -20); // a negative margin pulls the control left, as in a block
}

TEST(FormList, QueriesByCharacterPosition) {
    TFormPage p;
    p.Read("<input name=a><input type=checkbox name=b><input type=submit name=c>");
    TFormControlList list;
    TFormControlObj* a = p.Named("a");
    TFormControlObj* b = p.Named("b");
    a->CharPos = 3;
    b->CharPos = 10;
    b->SpaceLeft = 2;
    b->SpaceRight = 5;
    list.push_back(a);
    list.push_back(b);
    EXPECT_EQ(list.ControlAt(3), a);
    EXPECT_EQ(list.ControlAt(10), b);
    EXPECT_EQ(list.ControlAt(4), nullptr);
    ObjAlignKind align = oaNone;
    EXPECT_EQ(list.HeightAt(10, align), 13);
    EXPECT_EQ(align, oaBaseline);
    EXPECT_EQ(list.HeightAt(11, align), -1);
    int32_t l = 0, r = 0;
    EXPECT_EQ(list.WidthAt(10, l, r), 13);
    EXPECT_EQ(l, 2);
    EXPECT_EQ(r, 5);
    EXPECT_EQ(list.WidthAt(0, l, r), -1);
    EXPECT_EQ(list.CharsToNextControl(0), 3);
    EXPECT_EQ(list.CharsToNextControl(3), 0);
    EXPECT_EQ(list.CharsToNextControl(4), 6);
    EXPECT_EQ(list.CharsToNextControl(11), 9999);
    EXPECT_EQ(TFormControlList().CharsToNextControl(0), 9999);
}

TEST(FormDraw, HeadlessPaintsThePicture) {
    TFormPage p;
    p.Read(R"(<input type=button name=b value=Go><input type=radio name=r checked>
              <input type=hidden name=h>)");
    FitAll(p);
    TCanvas canvas(200, 60);
    canvas.Brush.Color = clWhite;
    canvas.FillRect(Rect(0, 0, 200, 60));
    TFormControlObj* b = p.Named("b");
    b->DrawAt(canvas, 10, 20);
    EXPECT_TRUE(b->Shown);
    EXPECT_EQ(b->Widget()->Left(), 10);
    EXPECT_EQ(b->Widget()->Top(), 20);
    // The button's face is grey where the white page was.
    EXPECT_EQ(canvas.GetPixel(12, 22), clSilver);
    EXPECT_EQ(canvas.GetPixel(9, 19), clWhite);
    auto* r = p.Get<TRadioButtonFormControlObj>("r");
    r->DrawAt(canvas, 100, 20, clRed);
    EXPECT_EQ(r->Frame().Color, clRed);
    EXPECT_EQ(canvas.GetPixel(100, 20 + 13), clRed); // the frame's row below the circle
    EXPECT_EQ(canvas.GetPixel(102, 26), clWhite);    // inside the circle
    EXPECT_EQ(canvas.GetPixel(106, 26), clBlack);    // the checked mark
    r->DrawAt(canvas, 100, 20);
    EXPECT_EQ(r->Frame().Color, p.Doc.Background);
    TFormControlObj* h = p.Named("h");
    h->DrawAt(canvas, 0, 0);
    EXPECT_TRUE(h->Shown);
    EXPECT_EQ(h->Width(), 0);
}

TEST(FormDraw, HeadlessPicturesShowTheBrowseButtonAndScrollBarsOnlyWhenNeeded) {
    TFormPage p;
    std::string six;
    for (int i = 0; i < 6; ++i)
        six += "<option>o" + std::to_string(i);
    p.Read("<input type=file name=f><select name=few multiple><option>a<option>b</select>"
           "<select name=many multiple>" +
           six +
           "</select><textarea name=short rows=2 cols=10 wrap=soft>hi</textarea>"
           "<textarea name=long rows=2 cols=10 wrap=soft>1\n2\n3\n4</textarea>");
    FitAll(p);
    TCanvas canvas(700, 120);
    canvas.Brush.Color = clWhite;
    canvas.FillRect(Rect(0, 0, 700, 120));
    auto* f = p.Get<TFileFormControlObj>("f");
    f->DrawAt(canvas, 10, 10, clRed);
    const int boxW = f->Edit().Width();
    EXPECT_EQ(canvas.GetPixel(10 + boxW / 2, 10 + 4), clWhite);                  // the text box
    EXPECT_EQ(canvas.GetPixel(10 + boxW + 1, 10 + 4), clRed);                    // the gap
    EXPECT_EQ(canvas.GetPixel(10 + f->BrowseButton().Left() + 3, 14), clSilver); // the button
    // A scroll bar is grey at the right inside the frame; without one the items reach there.
    auto barShade = [&](TFormControlObj* c, int x, int y) {
        c->DrawAt(canvas, x, y);
        // The middle of the bar's breadth, half-way down its track.
        return canvas.GetPixel(x + c->Width() - 2 - 8, y + c->Height() / 2);
    };
    const TColor track = RGB(0xE0, 0xE0, 0xE0);
    auto grey = [&](TColor c) { return c == track || c == clSilver; };
    EXPECT_FALSE(grey(barShade(p.Named("few"), 10, 40)));
    EXPECT_TRUE(grey(barShade(p.Named("many"), 120, 40)));
    EXPECT_FALSE(grey(barShade(p.Named("short"), 230, 40)));
    EXPECT_TRUE(grey(barShade(p.Named("long"), 400, 40)));
}

TEST(FormDraw, PaintPanelParentsTheWidgets) {
    TPanel panel;
    {
        TFormPage p(&panel);
        p.Read("<input name=e><input type=radio name=r><input type=hidden name=h>");
        ASSERT_EQ(panel.Controls().size(), 2u);
        EXPECT_EQ(p.Named("e")->Widget()->Parent(), &panel);
        EXPECT_EQ(p.Get<TRadioButtonFormControlObj>("r")->Frame().Parent(), &panel);
        TCanvas canvas(300, 100);
        canvas.Brush.Color = clWhite;
        canvas.FillRect(Rect(0, 0, 300, 100));
        p.Named("e")->Widget()->Hide();
        p.Named("e")->DrawAt(canvas, 30, 40);
        EXPECT_TRUE(p.Named("e")->Widget()->Visible());
        EXPECT_EQ(p.Named("e")->Widget()->Left(), 30);
        // On a panel the widget shows itself; nothing is painted into the band.
        EXPECT_EQ(canvas.GetPixel(31, 41), clWhite);
    }
    // The widgets leave the panel with their controls.
    EXPECT_TRUE(panel.Controls().empty());
}

TEST(FormFocus, EnteringKeepsUnshownControlsReachable) {
    TWindow window;
    TPanel panel;
    panel.SetParent(&window);
    TFormPage p(&panel);
    p.Read("<input name=a><input name=b><input type=checkbox name=c>");
    std::vector<TFormControlObj*> entered;
    p.Doc.OnControlEnter = [&](TFormControlObj* c) { entered.push_back(c); };
    window.Show();
    TCanvas canvas(10, 10);
    TFormControlObj* a = p.Named("a");
    a->DrawAt(canvas, 5, 5);
    p.Named("b")->Widget()->Hide();
    p.Named("c")->Widget()->Hide();
    a->FocusWidget()->SetFocus();
    EXPECT_EQ(entered, (std::vector<TFormControlObj*>{a}));
    EXPECT_EQ(a->Widget()->Left(), 5);
    for (const char* n : {"b", "c"}) {
        EXPECT_TRUE(p.Named(n)->Widget()->Visible()) << n;
        EXPECT_EQ(p.Named(n)->Widget()->Left(), -4000) << n;
    }
    // Leaving for a control outside the document hides those not drawn in the last paint.
    TButton outside;
    outside.SetParent(&window);
    outside.SetFocus();
    EXPECT_TRUE(a->Widget()->Visible());
    EXPECT_FALSE(p.Named("b")->Widget()->Visible());
    EXPECT_FALSE(p.Named("c")->Widget()->Visible());
}

// A radio button scrolled out of view hides with its frame, not only the button inside it.
TEST(FormFocus, AnUnshownRadioButtonHidesItsFrame) {
    TWindow window;
    TPanel panel;
    panel.SetParent(&window);
    TFormPage p(&panel);
    p.Read("<input type=radio name=r>");
    window.Show();
    TCanvas canvas(10, 10);
    auto* radio = p.Get<TRadioButtonFormControlObj>("r");
    radio->DrawAt(canvas, 5, 5);
    EXPECT_TRUE(radio->Frame().Visible());
    p.Doc.ScrollTo(500); // nothing is drawn at the new place
    p.Doc.HideUnshownControls();
    EXPECT_FALSE(radio->Frame().Visible());
}

TEST(FormAccessKey, CaptionMarksTheKeyAndAltPressesTheButton) {
    TWindow window;
    TPanel panel;
    panel.SetParent(&window);
    TFormPage p(&panel);
    p.Listen();
    p.Read(R"(<input type=button value="&1 Directory" onclick="directory">
              <input type=button value="&Create" onclick="create">)");
    TButton& b = dynamic_cast<TButtonFormControlObj*>(p.All[0])->Button();
    EXPECT_EQ(b.Caption(), "&1 Directory");
    EXPECT_EQ(b.AccessKey(), '1');
    EXPECT_EQ(ParseAccessKey(b.Caption()).Text, "1 Directory");
    window.Show();
    EXPECT_TRUE(window.DispatchKey('1', ssAlt));
    EXPECT_TRUE(window.DispatchKey('C', ssAlt));
    EXPECT_EQ(p.Clicks, (std::vector<std::string>{"directory", "create"}));
}

TEST(FormStyle, ImageButtonHandsSizesAndOnlyAStyledAlignmentToItsPicture) {
    TFormPage p;
    THtmlLexer lx;
    lx.LoadString("<input type=image name=i align=left src=x.gif>");
    lx.Start();
    lx.ReadSymbol();
    auto* button = dynamic_cast<TImageFormControlObj*>(
        MakeFormControl(&p.Doc, p.Current, InputSym, lx.Attributes, 0));
    ASSERT_TRUE(button);
    TImageObj picture(&p.Doc, lx.Attributes, 0);
    button->Picture = &picture;
    ASSERT_EQ(picture.ObjAlign, oaLeft);
    TProperties sized;
    sized.AddPropertyByName("width", "40px");
    sized.AddPropertyByName("height", "30px");
    button->ApplyStyle(sized);
    EXPECT_EQ(picture.SpecWidth, 40);
    EXPECT_EQ(picture.SpecHeight, 30);
    EXPECT_EQ(picture.ObjAlign, oaLeft); // the ALIGN attribute stays
    TProperties middle;
    middle.AddPropertyByName("vertical-align", "middle");
    button->ApplyStyle(middle);
    EXPECT_EQ(picture.ObjAlign, oaMiddle);
    EXPECT_EQ(picture.SpecWidth, 40);
}

namespace {
// Whether any pixel of a rectangle differs from a colour.
bool HasInk(const TCanvas& c, const TRect& r, TColor background) {
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if (c.GetPixel(x, y) != background)
                return true;
    return false;
}
} // namespace

TEST(FormDraw, PicturesShowTheirTextAndLeaveTheCanvasAsFound) {
    TFormPage p;
    p.Read("<textarea name=m rows=3 cols=10>first\rsecond</textarea>"
           "<select name=d><option>one</select>");
    FitAll(p);
    TCanvas canvas(300, 200);
    canvas.Brush.Color = clSilver;
    canvas.FillRect(Rect(0, 0, 300, 200));
    canvas.Font.Name = "Times New Roman";
    canvas.TextAlign = taBaseline;
    canvas.Brush.Style = bsClear;
    canvas.Pen.Color = clRed;
    canvas.SetClipRect(Rect(0, 0, 250, 190));
    TFormControlObj* m = p.Named("m");
    m->DrawAt(canvas, 10, 10);
    // Both lines of the memo are there: the second does not wipe the first.
    TSize a = LetterA("Courier New", 10);
    EXPECT_TRUE(HasInk(canvas, Bounds(14, 12, 60, a.cy), clWhite));
    EXPECT_TRUE(HasInk(canvas, Bounds(14, 12 + a.cy, 60, a.cy), clWhite));
    TFormControlObj* d = p.Named("d");
    d->DrawAt(canvas, 10, 120);
    // The drop-down's field is white behind its text, not the arrow's black.
    EXPECT_EQ(canvas.GetPixel(13, 122), clWhite);
    EXPECT_EQ(canvas.Font.Name, "Times New Roman");
    EXPECT_EQ(canvas.TextAlign, taBaseline);
    EXPECT_EQ(canvas.Brush.Style, bsClear);
    EXPECT_EQ(canvas.Pen.Color, clRed);
    EXPECT_EQ(canvas.ClipRect(), Rect(0, 0, 250, 190));
}

TEST(FormDraw, RadioButtonFillsItsFrameWhateverMovedIt) {
    TFormPage p;
    p.Read("<input type=radio name=r>");
    auto* r = p.Get<TRadioButtonFormControlObj>("r");
    r->Radio().Hide();
    r->Radio().SetLeft(-4000);
    TCanvas canvas(40, 40);
    r->DrawAt(canvas, 5, 5);
    EXPECT_TRUE(r->Radio().Visible());
    EXPECT_EQ(r->Radio().BoundsRect(), Bounds(0, 0, 13, 14));
    EXPECT_EQ(canvas.GetPixel(7, 11), clWhite); // inside the circle
}
