// The first line's style: which characters stand on a block's first line is known only at
// layout, so the section keeps the text's first-line version beside the text as written and
// shows the first line's characters in it, measured and drawn in their own runs. The version
// is made once the text is complete; every layout (a resize) decides again where it ends.
#include <algorithm>
#include <cstdlib>

#include "html/doc/section_list.h"
#include "html/doc/text_section.h"
#include "html/style/properties.h"
#include "platform/base/case_mapping.h"
#include "platform/base/strings.h"

namespace {
// Small capitals are drawn at this share of the font's size, as in the runs as written.
constexpr double kSmallCapsScale = 0.7;

bool StartsWord(char32_t before) {
    return !IsUnicodeAlnum(before) && before != U'\'' && before != U'\u2019' && before != U'-';
}
} // namespace

bool TSection::HasFirstLineStyle() const {
    return pseudo_ != nullptr && pseudo_->FirstLine != nullptr;
}

void TSection::PrepareFirstLine() {
    if (lineBuiltLen_ == TextLen() && lineRuns_)
        return;
    // Back to the text as written before it is read again.
    FontRuns.ShowFirstLine(nullptr, 0);
    if (lineBuiltLen_ >= 0)
        std::copy(plainText_.begin(), plainText_.begin() + lineLimit_, TextBuf.begin());
    for (const auto& run : FontRuns)
        run->Followers.clear();
    plainText_ = TextBuf;
    lineText_ = TextBuf;
    lineBuiltLen_ = TextLen();
    const size_t brk = TextBuf.find(BreakCode);
    lineLimit_ = brk == std::u32string::npos ? TextLen() : static_cast<int32_t>(brk) + 1;
    lineRuns_ = std::make_unique<TFontList>();

    const TProperties& block = *pseudo_->Block;
    const TProperties& line = *pseudo_->FirstLine;
    for (int r = 0; r < FontRuns.Count(); ++r) {
        TFontObj* origin = FontRuns[r];
        const int32_t a = std::max(0, origin->RunStart);
        const int32_t b =
            std::min(lineLimit_, r + 1 < FontRuns.Count() ? FontRuns[r + 1]->RunStart : TextLen());
        if (a >= lineLimit_)
            break;
        if (b <= a && r + 1 < FontRuns.Count())
            continue; // an empty run
        const TProperties& own = origin->Style ? *origin->Style : block;
        const std::unique_ptr<TProperties> v =
            PseudoVariant(own, block, line, false,
                          Document != nullptr ? Document->StyleSheet.DefaultPointSize : 0);
        std::unique_ptr<TMyFont> font = origin->IsLink() ? v->MakeLinkFont() : v->MakeFont();
        // The characters in the line's transform (the run's own was applied as they came).
        const TextTransformKind transform = v->GetTextTransform();
        if (transform != static_cast<TextTransformKind>(origin->Transform)) {
            char32_t before = a > 0 ? plainText_[static_cast<size_t>(a - 1)] : U' ';
            for (int32_t i = a; i < b; ++i) {
                char32_t& c = lineText_[static_cast<size_t>(i)];
                const char32_t original = c;
                if (transform == ttUppercase)
                    c = UpperChar(c);
                else if (transform == ttLowercase)
                    c = LowerChar(c);
                else if (transform == ttCapitalize && StartsWord(before))
                    c = TitleChar(c);
                before = original;
            }
        }
        // Pieces: small capitals split a run where lower case starts and ends.
        const bool smallCaps = v->IsSmallCaps();
        int32_t i = a;
        do {
            bool small = false;
            int32_t j = b;
            if (smallCaps && origin->SmallPart) {
                small = true; // capitals already, made small by the run as written
            } else if (smallCaps && i < b) {
                auto lower = [&](int32_t k) {
                    const char32_t c = lineText_[static_cast<size_t>(k)];
                    return UpperChar(c) != c;
                };
                small = lower(i);
                j = i + 1;
                while (j < b && lower(j) == small)
                    ++j;
                if (small)
                    for (int32_t k = i; k < j; ++k)
                        lineText_[static_cast<size_t>(k)] =
                            UpperChar(lineText_[static_cast<size_t>(k)]);
            }
            auto run = std::make_unique<TFontObj>(this, i, std::make_unique<TMyFont>(*font));
            run->Target.Copy(origin->Target);
            run->ScriptKind = origin->ScriptKind;
            ApplyTextStyle(*run, *v);
            if (run->IsLink()) {
                run->OverFont = v->MakeHoverFont(*run->PlainFont);
                run->SeenFont = v->MakeVisitedFont(*run->PlainFont);
            }
            if (small) {
                run->SmallPart = true;
                const int full = run->FullSize > 0 ? run->FullSize : 12;
                run->Resize(std::max(1, static_cast<int>(full * kSmallCapsScale + 0.5)));
            }
            run->SetVisited(origin->Visited);
            run->SetHover(origin->Hover);
            run->Origin = origin;
            origin->Followers.push_back(run.get());
            lineRuns_->Add(std::move(run));
            i = j;
        } while (i < b);
    }
    if (lineRuns_->Empty()) {
        lineRuns_.reset();
        return;
    }
    const TFontObj* first = (*lineRuns_)[0];
    lineHeightPx_ = line.GetLineHeight(std::abs(first->PlainFont->Height()));
}

void TSection::ShowFirstLine(int32_t end) {
    if (!lineRuns_) {
        FontRuns.ShowFirstLine(nullptr, 0);
        return;
    }
    end = std::clamp(end, 0, lineLimit_);
    std::copy(lineText_.begin(), lineText_.begin() + end, TextBuf.begin());
    std::copy(plainText_.begin() + end, plainText_.begin() + lineLimit_, TextBuf.begin() + end);
    FontRuns.ShowFirstLine(lineRuns_.get(), end);
}
