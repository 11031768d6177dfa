#pragma once
// TTableBlock: the block around a table: its margins, float, alignment, background and the
// width and height it hands the table.
#include "html/doc/block.h"
#include "html/doc/html_table.h"

class TTableBlock : public TBlock {
public:
    TTableBlock(TSectionList* document, TCellBasic* owner, const TProperties& props,
                std::unique_ptr<ThtmlTable> table, TAttributeList& attrs);
    ThtmlTable* Table; // also the block's only child
    bool Centered = false;
    bool RightAligned = false; // placed at the right, as inside DIV ALIGN=right

    int32_t WidthAttr = 0; // pixels, or tenths of a percent with WidthPercent
    bool WidthPercent = false;
    int32_t HeightAttr = 0; // pixels, or tenths of a percent with HeightPercent
    bool HeightPercent = false;
    TColor BgColor = NoColor; // the BGCOLOR attribute
    bool BgColorGiven = false;
    int32_t HSpace = 3; // margins of a floating table
    int32_t VSpace = 0;

    int32_t ContentWidthFor(TCanvas& canvas, int32_t availWidth, int32_t availHeight,
                            int autoCount) override;
    int32_t LayOut(TCanvas& canvas, int32_t x, int32_t y, int32_t refX, int32_t refY,
                   int32_t availWidth, int32_t availHeight, IndentManager& indents,
                   int32_t& neededWidth, int32_t& charIndex) override;
    int32_t DrawSection(TCanvas& canvas, const TRect& clip, IndentManager& indents, int32_t x,
                        int32_t refX, int32_t refY) override;
    void MinMaxWidths(TCanvas& canvas, int32_t& minWidth, int32_t& maxWidth) override;
    void RegisterPosition() override;

    const char* KindName() const override { return "tableblock"; }

private:
    // The table, while it is still the block's child (a cell drops a child whose layout
    // failed); null otherwise.
    ThtmlTable* LiveTable() const;
    // Tells the table the plain colour the block paints behind it, before the table first
    // hands its colour to its cells.
    void TellBackground();
};
