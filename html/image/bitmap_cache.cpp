#include "html/image/bitmap_cache.h"

TBitmapItem::TBitmapItem(std::unique_ptr<TBitmap> bitmap, std::unique_ptr<TBitmap> mask,
                         TTransparency transp)
    : Transp(transp), Bitmap(std::move(bitmap)), Mask(std::move(mask)) {}

TBitmapItem::TBitmapItem(std::unique_ptr<TGIFImage> gif, TTransparency transp)
    : Transp(transp), Gif(std::move(gif)) {}

int64_t TBitmapItem::DecodedBytes() const {
    auto bytes = [](const std::unique_ptr<TBitmap>& b) {
        return b ? static_cast<int64_t>(b->RowBytes()) * b->Height() : 0;
    };
    int64_t n = bytes(Bitmap) + bytes(Mask);
    if (Gif)
        n += Gif->FrameBytes() + Gif->OwnBytes();
    return n;
}

TStringBitmapList::TStringBitmapList() {
    SetSorted(true);
    OwnsObjects = true;
    Duplicates = dupAccept; // the list owns every item handed to it
}

TStringBitmapList::~TStringBitmapList() = default;

int TStringBitmapList::AddObject(const std::string& name, TBitmapItem* item) {
    int index = TStringList::AddObject(name, item);
    if (item)
        ++item->UsageCount;
    return index;
}

TBitmapItem* TStringBitmapList::GetImage(int index) {
    TBitmapItem* item = Item(index);
    if (item) {
        item->AccessCount = 0;
        ++item->UsageCount;
    }
    return item;
}

void TStringBitmapList::DecUsage(const std::string& name) {
    int i = IndexOf(name);
    if (i >= 0 && Item(i))
        --Item(i)->UsageCount;
}

void TStringBitmapList::IncUsage(const std::string& name) {
    int i = IndexOf(name);
    if (i >= 0 && Item(i))
        ++Item(i)->UsageCount;
}

void TStringBitmapList::PurgeCache() {
    for (int i = Count() - 1; i >= 0; --i) {
        TBitmapItem* item = Item(i);
        if (!item)
            continue;
        ++item->AccessCount;
        if (item->AccessCount > maxCache_ && item->UsageCount <= 0)
            Delete(i);
    }
}

void TStringBitmapList::SetCacheCount(int n) {
    for (int i = Count() - 1; i >= 0; --i) {
        TBitmapItem* item = Item(i);
        if (item && item->AccessCount > n && item->UsageCount <= 0)
            Delete(i);
    }
    maxCache_ = n;
}
