#include "html/doc/section_base.h"

#include "html/doc/dump.h"
#include "html/doc/indent_manager.h"
#include "html/doc/section_list.h"

int32_t TSectionBase::LayOut(TCanvas& /*canvas*/, int32_t x, int32_t y, int32_t /*refX*/,
                             int32_t /*refY*/, int32_t /*availWidth*/, int32_t /*availHeight*/,
                             IndentManager& indents, int32_t& neededWidth, int32_t& charIndex) {
    FirstChar = charIndex;
    PaintHeight = FlowHeight;
    neededWidth = indents.Width;
    ContentY = y;
    ContentLeft = x; // for the dump
    PaintTop = y;
    LayoutY = y;
    FlowBottom = y + FlowHeight;
    PaintBottom = y + PaintHeight;
    return FlowHeight;
}

int32_t TSectionBase::DrawSection(TCanvas& /*canvas*/, const TRect& /*clip*/,
                                  IndentManager& /*indents*/, int32_t /*x*/, int32_t /*refX*/,
                                  int32_t /*refY*/) {
    return LayoutY + FlowHeight;
}

bool TSectionBase::FindLink(TCanvas& /*canvas*/, int32_t /*x*/, int32_t /*y*/,
                            TUrlTarget& /*target*/, TImageFormControlObj*& /*formControl*/) {
    return false;
}

bool TSectionBase::ObjectAt(int32_t /*x*/, int32_t /*y*/, TObject*& /*obj*/, int32_t& /*xInside*/,
                            int32_t& /*yInside*/) {
    return false;
}

int32_t TSectionBase::FindCursor(TCanvas& /*canvas*/, int32_t /*x*/, int32_t /*y*/,
                                 int32_t& /*caretX*/, int32_t& /*caretY*/, int32_t& /*caretHeight*/,
                                 bool& /*inText*/) {
    return -1;
}

int32_t TSectionBase::FindText(int32_t /*from*/, const std::string& /*text*/, bool /*matchCase*/) {
    return -1;
}

int32_t TSectionBase::ToSourcePos(int32_t /*docIndex*/) {
    return -1;
}

int32_t TSectionBase::FromSourcePos(int32_t /*sourcePos*/, bool /*backwards*/) {
    return -1;
}

bool TSectionBase::CaretPoint(TCanvas& /*canvas*/, int32_t /*index*/, int32_t& /*x*/,
                              int32_t& /*y*/) {
    return false;
}

bool TSectionBase::CharAt(int32_t /*index*/, char32_t& /*ch*/, TSectionBase*& /*section*/) {
    return false;
}

void TSectionBase::MinMaxWidths(TCanvas& /*canvas*/, int32_t& minWidth, int32_t& maxWidth) {
    minWidth = 0;
    maxWidth = 0;
}

void TSectionBase::RegisterPosition() {
    if (Document != nullptr)
        Document->SectionIndex.push_back(this);
}

void TSectionBase::Dump(TDumpWriter& out, int depth) const {
    out.Box(depth, KindName(), ContentLeft, LayoutY, 0, FlowHeight);
}
