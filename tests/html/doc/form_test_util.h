#pragma once
// A page of form controls for the form tests: the tags of a fragment (FORM, INPUT, SELECT
// with its OPTIONs, TEXTAREA with its lines) are read with the lexer and made into controls
// as the document reader makes them, without text, layout or style. It records the events.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "html/doc/form_control.h"
#include "html/doc/form_kinds.h"
#include "html/doc/html_form.h"
#include "html/doc/section_list.h"
#include "html/reader/html_lexer.h"
#include "platform/base/strings.h"

struct TSubmitted {
    std::string Action, Target, EncType, Method;
    std::vector<std::string> Results;
};

inline std::vector<std::string> ToLines(const TStringList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(list.Strings(i));
    return out;
}

class TFormPage {
public:
    explicit TFormPage(TWinControl* paintPanel = nullptr) : Doc(nullptr, paintPanel) {}

    TSectionList Doc;
    ThtmlForm* Current = nullptr;
    std::vector<TFormControlObj*> All; // in the order read
    std::vector<std::string> Clicks;   // the onclick texts of object clicks
    std::vector<TSubmitted> Submits;

    // Records object clicks and submissions.
    void Listen() {
        Doc.OnObjectClick = [this](TObject*, TFormControlObj*, const std::string& text) {
            Clicks.push_back(text);
        };
        Doc.OnFormSubmit = [this](TObject*, const std::string& action, const std::string& target,
                                  const std::string& encType, const std::string& method,
                                  std::unique_ptr<TStringList> results) {
            Submits.push_back({action, target, encType, method, ToLines(*results)});
        };
    }

    void Read(std::string_view html) {
        THtmlLexer lx;
        lx.LoadString(std::string(html));
        lx.Start();
        lx.ReadSymbol();
        while (lx.Sy != EofSym) {
            switch (lx.Sy) {
            case FormSym:
                Current = new ThtmlForm(&Doc, &lx.Attributes);
                lx.ReadSymbol();
                break;
            case FormEndSym:
                Current = nullptr;
                lx.ReadSymbol();
                break;
            case InputSym:
                All.push_back(MakeFormControl(&Doc, Current, InputSym, lx.Attributes, pos_++));
                lx.ReadSymbol();
                break;
            case SelectSym:
                ReadSelect(lx);
                break;
            case TextAreaSym:
                ReadTextArea(lx);
                break;
            default:
                lx.ReadSymbol();
                break;
            }
        }
    }

    // The control named so (the first one).
    TFormControlObj* Named(std::string_view name) const {
        for (TFormControlObj* c : All)
            if (c->Name == name)
                return c;
        return nullptr;
    }
    template <class T> T* Get(std::string_view name) const { return dynamic_cast<T*>(Named(name)); }
    // The pairs the form of the first control would submit.
    std::vector<std::string> Pairs() const { return ToLines(*All.at(0)->Form->Results("")); }

private:
    void ReadSelect(THtmlLexer& lx) {
        auto* list = dynamic_cast<TListBoxFormControlObj*>(
            MakeFormControl(&Doc, Current, SelectSym, lx.Attributes, pos_++));
        All.push_back(list);
        bool open = false, selected = false;
        std::string value, text;
        auto flush = [&] {
            std::string t = Trim(text);
            if (open && !t.empty())
                list->AddOption(t, value, selected);
            open = false;
            text.clear();
        };
        for (lx.ReadSymbol(); lx.Sy != EofSym && lx.Sy != SelectEndSym; lx.ReadSymbol()) {
            if (lx.Sy == OptionSym) {
                flush();
                open = true;
                selected = lx.Attributes.Find(SelectedSym) != nullptr;
                const TAttribute* v = lx.Attributes.Find(ValueSym);
                value = v ? v->Str : std::string();
            } else if (lx.Sy == OptionEndSym) {
                flush();
            } else if (lx.Sy == TextSym) {
                text += lx.Token.Text();
            }
        }
        flush();
        if (lx.Sy == SelectEndSym)
            lx.ReadSymbol();
    }

    void ReadTextArea(THtmlLexer& lx) {
        auto* memo = dynamic_cast<TTextAreaFormControlObj*>(
            MakeFormControl(&Doc, Current, TextAreaSym, lx.Attributes, pos_++));
        All.push_back(memo);
        std::string line;
        for (lx.ReadTextAreaSymbol(); lx.Sy != EofSym && lx.Sy != TextAreaEndSym;
             lx.ReadTextAreaSymbol()) {
            if (lx.Sy == EolSym) {
                memo->AddLine(line);
                line.clear();
            } else {
                line += lx.Token.Text();
            }
        }
        if (!line.empty())
            memo->AddLine(line);
        if (lx.Sy == TextAreaEndSym) {
            while (lx.LCh != '>' && lx.LCh != EofChar)
                lx.Advance();
            lx.Advance();
            lx.ReadSymbol();
        }
    }

    int32_t pos_ = 0;
};
