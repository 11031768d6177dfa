#pragma once
// TSection: one run of flowing text inside a block or table cell, with its font runs, inline
// and floating images, panels and form controls. The reader fills it in document order; layout
// breaks it into lines against the indents of the enclosing cell.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "html/doc/section_base.h"
#include "html/reader/Attributes.h"
#include "html/reader/Symbols.h"
#include "html/reader/TokenObj.h"
#include "html/reader/UrlTarget.h"

class TProperties;
class TFontList;
class TImageObj;
class TPanelObj;
class TFormControlObj;
class ThtmlForm;
class TImageObjList;
class TFormControlList;

class TSection : public TSectionBase {
public:
    // link: the open anchor (its address empty when none); attrs: the attributes of the tag
    // that opened the section (a BR's CLEAR, an ID), may be null.
    TSection(TSectionList* document, const TUrlTarget& link, const TProperties& props,
             TAttributeList* attrs);
    ~TSection() override;

    // Building, in document order.
    virtual void AddText(const TokenObj& token, bool noBreak);
    virtual void AddChar(char code, int32_t sourcePos, bool noBreak);
    void EnsureNotEmpty();
    // scriptKind: the reader's sub/superscript state (0 none, 1 sub, 2 super).
    void ChangeFont(const TProperties& props, int scriptKind);
    void StartLinkRun(bool anchorStart, const TProperties& props, const TUrlTarget& link,
                      int scriptKind);
    TImageObj* AddImage(TAttributeList& attrs, const TProperties& props, int32_t sourcePos,
                        bool noBreak);
    TPanelObj* AddPanel(TAttributeList& attrs, int32_t sourcePos, bool noBreak);
    // INPUT (type from its TYPE attribute), SELECT or TEXTAREA; the control belongs to its
    // form. currentForm is the reader's open form (made here when there is none).
    TFormControlObj* AddFormControl(Symbol which, ThtmlForm*& currentForm, TAttributeList& attrs,
                                    const TProperties& props, int32_t sourcePos, bool noBreak);
    void FinishSection();
    bool FinishForAdd() override;
    int32_t TextLen() const;
    const std::string& Text() const;

    bool HasAnchor = false; // a NAME anchor points into the section
};

// PRE: keeps every character as it comes and never wraps.
class TPreFormated : public TSection {
public:
    using TSection::TSection;
};
