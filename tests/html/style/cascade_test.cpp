// The cascade: inheritance, specificity order, contextual rules, link states, the style
// attribute, and the values HTML attributes add afterwards.
#include <gtest/gtest.h>

#include "html/style/value_convert.h"
#include "tests/html/style/style_test_util.h"

namespace {

TEST(InheritTest, InheritableSlotsAreCopiedAndLengthsReset) {
    TStyleFixture f("body { color: green; background-color: yellow; margin-left: 3px; "
                    "border-style: solid; line-height: 2; list-style-type: square; "
                    "float: left }");
    TProperties& body = f.Push("body");
    body.TextBackground = RGB(1, 2, 3);
    body.Charset = 161;
    TProperties& span = f.Push("span");
    EXPECT_EQ(span.Values[piColor], Color(RGB(0, 128, 0)));
    EXPECT_EQ(span.Values[piLineHeight], TPropValue("2"));
    EXPECT_EQ(span.Values[piListStyleType], TPropValue("square"));
    EXPECT_FALSE(span.Values[piBackgroundColor].IsAssigned());
    EXPECT_FALSE(span.Values[piBorderStyle].IsAssigned());
    EXPECT_FALSE(span.Values[piFloat].IsAssigned());
    EXPECT_EQ(span.Values[piMarginLeft], TPropValue(NullLength));
    EXPECT_EQ(span.TextBackground, RGB(1, 2, 3));
    EXPECT_EQ(span.Charset, 161);
    EXPECT_FALSE(span.SetByRule[piColor]) << "inherited, not written by a rule";
    EXPECT_EQ(span.ElemTag, "span");
}

TEST(InheritTest, EmAndExHeightsComeFromTheFont) {
    TStyleFixture f;
    TProperties& p = f.Push("p");
    // 12 points at 96 pixels per inch: a 16-pixel em.
    EXPECT_EQ(p.EmHeight, 16);
    EXPECT_EQ(p.ExHeight, 8);
    TProperties& h1 = f.Push("h1");
    EXPECT_EQ(h1.EmHeight, 16) << "metrics are those of the parent's font";
    TProperties& inner = f.Push("span");
    EXPECT_EQ(inner.EmHeight, 32);
}

TEST(CascadeTest, LaterKeysAreMoreSpecific) {
    TStyleFixture f("p { color: red } .x { color: green } p.x { color: blue } "
                    "#i { color: navy } p#i { color: teal } .x#i { color: olive } "
                    "p.x#i { color: silver }");
    EXPECT_EQ(f.Push("p").Values[piColor], Color(0x0000FF));
    f.Stack.Pop();
    EXPECT_EQ(f.Push("div", "x").Values[piColor], Color(RGB(0, 128, 0)));
    f.Stack.Pop();
    EXPECT_EQ(f.Push("p", "x").Values[piColor], Color(RGB(0, 0, 255)));
    f.Stack.Pop();
    EXPECT_EQ(f.Push("div", "", "i").Values[piColor], Color(RGB(0, 0, 128)));
    f.Stack.Pop();
    EXPECT_EQ(f.Push("p", "", "i").Values[piColor], Color(RGB(0, 128, 128)));
    f.Stack.Pop();
    EXPECT_EQ(f.Push("div", "x", "i").Values[piColor], Color(RGB(128, 128, 0)));
    f.Stack.Pop();
    EXPECT_EQ(f.Push("p", "x", "i").Values[piColor], Color(RGB(192, 192, 192)));
}

TEST(CascadeTest, RulesLeaveOtherSlotsAndMarkTheirOwn) {
    TStyleFixture f("p { margin-left: 2em } .x { margin-right: 1px }");
    TProperties& p = f.Push("p", "x");
    EXPECT_EQ(p.Values[piMarginLeft], TPropValue("2em"));
    EXPECT_EQ(p.Values[piMarginRight], TPropValue("1px"));
    EXPECT_EQ(p.Values[piMarginTop], TPropValue(ParaAutoLength)) << "built-in p rule";
    EXPECT_TRUE(p.SetByRule[piMarginLeft]);
    EXPECT_TRUE(p.SetByRule[piMarginTop]);
    EXPECT_FALSE(p.SetByRule[piPaddingTop]);
    EXPECT_FALSE(p.SetByRule[piColor]);
    EXPECT_EQ(p.ElemClass, "x");
}

TEST(CascadeTest, FontSizeTextBecomesPointsAgainstTheParent) {
    TStyleFixture f("div { font-size: 20pt } p { font-size: 120% }");
    f.Push("div");
    TProperties& p = f.Push("p");
    EXPECT_EQ(p.Values[piFontSize], TPropValue(24.0));
    TProperties& big = f.Push("big");
    EXPECT_EQ(big.Values[piFontSize], TPropValue(30.0));
    TProperties& h1 = f.Push("h1");
    EXPECT_EQ(h1.Values[piFontSize], TPropValue(24.0)) << "a real stays as it is";
}

TEST(CascadeTest, StyleAttributeWinsOverEveryRule) {
    TStyleFixture f("#i { color: navy }");
    TProperties attr;
    ParseStyleAttribute("color: lime; font-size: 2em", attr);
    TProperties& p = f.Push("p", "", "i", "", &attr);
    EXPECT_EQ(p.Values[piColor], Color(RGB(0, 255, 0)));
    EXPECT_EQ(p.Values[piFontSize], TPropValue(24.0));
}

TEST(CascadeTest, SelectorStarNeverMatches) {
    TStyleFixture f("* { color: red }");
    EXPECT_EQ(f.Sheet.IndexOf("") >= 0, true);
    EXPECT_FALSE(f.Push("p").SetByRule[piColor]);
}

TEST(ContextTest, DescendantAtAnyDepth) {
    TStyleFixture f("ul li { color: red }");
    f.Push("ul");
    f.Push("div");
    EXPECT_EQ(f.Push("li").Values[piColor], Color(0x0000FF));
    TStyleFixture g("ul li { color: red }");
    g.Push("ol");
    EXPECT_FALSE(g.Push("li").SetByRule[piColor]);
}

TEST(ContextTest, AncestorClassMustMatchAndTaglessAncestorsNeverDo) {
    TStyleFixture f("div.x li { color: red } .x li { color: blue }");
    f.Push("div");
    EXPECT_FALSE(f.Push("li").SetByRule[piColor]);
    TStyleFixture g("div.x li { color: red } .x li { color: blue }");
    g.Push("div", "x");
    EXPECT_EQ(g.Push("li").Values[piColor], Color(0x0000FF));
}

TEST(ContextTest, SubjectClassIdAndAncestorIdMustFit) {
    TStyleFixture f("div li.c { color: red } div#d li { margin-left: 1px }");
    f.Push("div", "", "e");
    TProperties& li = f.Push("li", "c");
    EXPECT_EQ(li.Values[piColor], Color(0x0000FF));
    EXPECT_FALSE(li.SetByRule[piMarginLeft]);
    f.Stack.Pop();
    EXPECT_FALSE(f.Push("li").SetByRule[piColor]);
}

TEST(ContextTest, AncestorsMatchDistinctLevelsNearestFirst) {
    TStyleFixture f("div div p { color: red }");
    f.Push("div");
    EXPECT_FALSE(f.Push("p").SetByRule[piColor]) << "one div cannot stand for two";
    f.Stack.Pop();
    f.Push("div");
    EXPECT_TRUE(f.Push("p").SetByRule[piColor]);
}

TEST(ContextTest, TheRootLevelIsNeverAnAncestor) {
    TStyleFixture f("default p { color: red }");
    EXPECT_FALSE(f.Push("p").SetByRule[piColor]);
}

TEST(ContextTest, MoreAncestorsWinThenLaterRules) {
    TStyleFixture f("ol ul li { color: red } ul li { color: blue } ul li { color: green }");
    f.Push("ol");
    f.Push("ul");
    EXPECT_EQ(f.Push("li").Values[piColor], Color(0x0000FF));
    f.Stack.Pop();
    f.Stack.Pop();
    f.Stack.Pop();
    f.Push("ul");
    EXPECT_EQ(f.Push("li").Values[piColor], Color(RGB(0, 128, 0)));
}

TEST(ContextTest, RulesOfEverySubjectFormMergeInSheetOrder) {
    // Rules whose subjects name the class, the id, both or neither are kept apart for speed
    // but must still merge as the sheet orders them: by subject (bare, then with an id, then
    // with a class), then fewer ancestors first, then as read.
    TStyleFixture f("body div p.c { margin-left: 4px }"
                    "div p#i { color: red; margin-left: 1px } div p { color: blue }"
                    "div p.c#i { margin-left: 2px } div p.c { margin-left: 3px }"
                    "div p.d { color: yellow } div p#j { color: yellow } div q { color: yellow }");
    f.Push("body");
    f.Push("div");
    TProperties& p = f.Push("p", "c", "i");
    EXPECT_EQ(p.Values[piColor], Color(RGB(255, 0, 0))) << "a subject with an id sorts later";
    EXPECT_EQ(p.Values[piMarginLeft], TPropValue("2px"));
    f.Stack.Pop();
    TProperties& c = f.Push("p", "c");
    EXPECT_EQ(c.Values[piColor], Color(RGB(0, 0, 255)));
    EXPECT_EQ(c.Values[piMarginLeft], TPropValue("4px")) << "more ancestors come last";
    f.Stack.Pop();
    // Rules read after the sheet was first used are met too.
    ParseStyleText(f.Sheet, "div p { color: green } div p.c { margin-left: 5px }");
    EXPECT_EQ(f.Push("p", "c").Values[piColor], Color(RGB(0, 128, 0)));
    while (f.Stack.Count() > 1)
        f.Stack.Pop();
    f.Push("div");
    EXPECT_EQ(f.Push("p", "c").Values[piMarginLeft], TPropValue("5px"));
}

TEST(ContextTest, AuthorRulesFollowTheBuiltInOnes) {
    TStyleFixture builtIn;
    builtIn.Push("ul");
    EXPECT_EQ(builtIn.Push("ul").GetListStyleType(), lsCircle);
    EXPECT_EQ(builtIn.Push("ul").GetListStyleType(), lsSquare);

    // The sheet's own "ul ul" is read after the built-in one and must win over it, even
    // though its sequence number (10 and up) is written with more digits.
    TStyleFixture f("ul ul { list-style-type: disc }");
    f.Push("ul");
    EXPECT_EQ(f.Push("ul").GetListStyleType(), lsDisc);
}

TEST(ContextTest, ParagraphInsidePreHasNoTopMargin) {
    TStyleFixture f;
    f.Push("pre");
    EXPECT_EQ(f.Push("p").Values[piMarginTop], TPropValue(0));
}

TEST(LinkStateTest, DefaultsWithoutRules) {
    TStyleFixture f;
    TProperties& v = f.PushLink();
    EXPECT_EQ(v.Values[piLinkColor], Color(0x02FF0000));
    EXPECT_EQ(v.Values[piHoverColor], Color(0x020000FF));
    EXPECT_EQ(v.Values[piVisitedColor], Color(0x02800080));
    EXPECT_EQ(v.Values[piLinkDecoration], TPropValue("underline"));
}

TEST(LinkStateTest, ATagColourColoursEveryState) {
    TStyleFixture f("a { color: green; text-decoration: none }");
    TProperties& v = f.PushLink();
    for (int i : {piLinkColor, piHoverColor, piVisitedColor})
        EXPECT_EQ(v.Values[i], Color(RGB(0, 128, 0))) << i;
    for (int i : {piLinkDecoration, piHoverDecoration, piVisitedDecoration})
        EXPECT_EQ(v.Values[i], TPropValue("none")) << i;
    EXPECT_FALSE(v.SetByRule[piColor]) << "link-state runs write only link-state slots";
}

TEST(LinkStateTest, PseudoClassRulesOverrideTheirStateOnly) {
    TStyleFixture f("a { color: green } a:hover { color: red } :visited { color: purple }");
    TProperties& v = f.PushLink();
    EXPECT_EQ(v.Values[piLinkColor], Color(RGB(0, 128, 0)));
    EXPECT_EQ(v.Values[piHoverColor], Color(0x0000FF));
    EXPECT_EQ(v.Values[piVisitedColor], Color(RGB(128, 0, 128)));
}

TEST(LinkStateTest, BackgroundsAndDecorationsCarryIntoLaterStates) {
    TStyleFixture f("a:link { text-decoration: none } a:hover { background-color: yellow }");
    TProperties& v = f.PushLink();
    EXPECT_EQ(v.Values[piLinkDecoration], TPropValue("none"));
    EXPECT_EQ(v.Values[piHoverDecoration], TPropValue("none"));
    EXPECT_EQ(v.Values[piVisitedDecoration], TPropValue("none"));
    EXPECT_FALSE(v.Values[piLinkBackgroundColor].IsAssigned());
    EXPECT_EQ(v.Values[piHoverBackgroundColor], Color(RGB(255, 255, 0)));
    EXPECT_EQ(v.Values[piVisitedBackgroundColor], Color(RGB(255, 255, 0)));

    TStyleFixture g("a:hover { background-color: yellow } a:visited { background-color: white }");
    TProperties& w = g.PushLink();
    EXPECT_EQ(w.Values[piHoverBackgroundColor], Color(RGB(255, 255, 0)));
    EXPECT_EQ(w.Values[piVisitedBackgroundColor], Color(RGB(255, 255, 255)));
}

TEST(LinkStateTest, ClassRulesRouteToo) {
    TStyleFixture f("a.nav { color: white } .nav:hover { color: black }");
    TProperties& v = f.PushLink("nav");
    EXPECT_EQ(v.Values[piLinkColor], Color(RGB(255, 255, 255)));
    EXPECT_EQ(v.Values[piHoverColor], Color(0));
    EXPECT_EQ(v.Values[piVisitedColor], Color(RGB(255, 255, 255)));
}

TEST(AttributeValuesTest, SetIfUnsetLosesToRules) {
    TStyleFixture f("p { text-align: right }");
    TProperties& p = f.Push("p");
    p.SetIfUnset(TPropValue("center"), piTextAlign);
    EXPECT_EQ(p.Values[piTextAlign], TPropValue("right"));
    p.SetIfUnset(Color(RGB(1, 2, 3)), piColor);
    EXPECT_EQ(p.Values[piColor], Color(RGB(1, 2, 3)));
    p.SetIfUnset(Color(RGB(4, 5, 6)), piColor);
    EXPECT_EQ(p.Values[piColor], Color(RGB(1, 2, 3))) << "the first value marks the slot";
    p.SetIfUnset(TPropValue("x"), PropCount); // out of range: ignored
}

TEST(AttributeValuesTest, RefreshUnsetKeepsRuleValues) {
    TStyleFixture f("p { color: red }");
    TProperties& p = f.Push("p");
    TProperties other;
    other.Values[piColor] = Color(5);
    other.Values[piFontFamily] = "x";
    p.RefreshUnset(other);
    EXPECT_EQ(p.Values[piColor], Color(0x0000FF));
    EXPECT_EQ(p.Values[piFontFamily], TPropValue("x"));
}

TEST(CopyTest, CopyAsDefaultNamesTheRootSet) {
    TStyleFixture f;
    TProperties root;
    root.CopyAsDefault(*f.Sheet.DefaultProps);
    EXPECT_EQ(root.ElemTag, "default");
    EXPECT_EQ(root.Values, f.Sheet.DefaultProps->Values);
    TProperties copy;
    copy.CopyValues(root);
    EXPECT_EQ(copy.Values, root.Values);
    EXPECT_EQ(copy.ElemTag, "");
}

} // namespace

namespace {

TEST(ContextTest, ASetNotYetPushedSeesTheWholeStackAsAncestors) {
    TStyleFixture f("ul li { color: red }");
    f.Push("ul");
    TProperties loose;
    loose.InheritFrom(f.Stack.Last());
    loose.ApplyStyles(f.Sheet, &f.Stack, "li", "", "", "", nullptr);
    EXPECT_EQ(loose.Values[piColor], Color(0x0000FF));
}

} // namespace

TEST(PseudoElementTest, RulesReachOnlyTheFirstLineAndLetter) {
    TStyleFixture f("p { color: black } p:first-line { color: red; font-size: 150%; "
                    "font-weight: bold } p.x:first-letter { font-size: 200%; float: left; "
                    "margin-right: 3px } div p:first-line { text-transform: uppercase }");
    EXPECT_TRUE(f.Sheet.HasPseudoElements);
    f.Push("div");
    TProperties& p = f.Push("p", "x");
    // The element itself never takes a pseudo-element's rules.
    EXPECT_EQ(p.Values[piColor], Color(RGB(0, 0, 0)));
    EXPECT_FALSE(p.Values[piFloat].IsAssigned());

    TProperties line;
    line.InheritFrom(p);
    ASSERT_TRUE(line.ApplyPseudoElement(f.Sheet, &f.Stack, "p", "x", "", "first-line", true));
    EXPECT_EQ(line.Values[piColor], Color(RGB(255, 0, 0)));
    EXPECT_EQ(line.Values[piFontSize], TPropValue(18.0)) << "150% of the paragraph's 12pt";
    EXPECT_EQ(line.Values[piTextTransform], TPropValue("uppercase")) << "contextual rule";

    TProperties letter;
    ASSERT_TRUE(letter.ApplyPseudoElement(f.Sheet, &f.Stack, "p", "x", "", "first-letter", false));
    EXPECT_EQ(letter.Values[piFontSize], TPropValue("200%")) << "resolved against the text";
    TProperties none;
    EXPECT_FALSE(none.ApplyPseudoElement(f.Sheet, &f.Stack, "p", "y", "", "first-letter", false));

    // Text in a B inside the first line keeps its weight and takes the line's colour; text
    // in a SMALL keeps its share of the line's larger size.
    TProperties& b = f.Push("b");
    b.Values[piFontWeight] = TPropValue("900");
    const auto inB = PseudoVariant(b, p, line, false, f.Sheet.DefaultPointSize);
    EXPECT_EQ(inB->Values[piFontWeight], TPropValue("900"));
    EXPECT_EQ(inB->Values[piColor], Color(RGB(255, 0, 0)));
    f.Stack.Pop();
    TProperties& small = f.Push("small");
    const auto inSmall = PseudoVariant(small, p, line, false, f.Sheet.DefaultPointSize);
    EXPECT_DOUBLE_EQ(inSmall->Values[piFontSize].Real(), 9.0 * 1.5);

    // The first letter takes its own box and wins over the text's element.
    const auto l = PseudoVariant(small, p, letter, true, f.Sheet.DefaultPointSize);
    EXPECT_DOUBLE_EQ(l->Values[piFontSize].Real(), 18.0) << "200% of the SMALL's 9pt";
    AlignKind side = akNone;
    EXPECT_TRUE(l->GetFloat(side));
    EXPECT_EQ(side, akLeft);
    EXPECT_EQ(l->Values[piMarginRight], TPropValue("3px"));
    EXPECT_EQ(inSmall->Values[piMarginRight], TPropValue(NullLength));
}
