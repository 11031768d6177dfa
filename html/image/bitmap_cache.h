#pragma once
// The image cache: decoded pictures kept by name so that a picture used on several pages, or
// several times on one page, is decoded once. Unused entries age with every purge and are
// dropped when older than the maximum age.
#include <cstdint>
#include <memory>
#include <string>

#include "html/image/gif_image.h"
#include "html/image/image_kind.h"
#include "platform/base/string_list.h"
#include "platform/graphics/bitmap.h"

// One cached picture: a bitmap or an animated GIF, with its mask.
class TBitmapItem : public TObject {
public:
    TBitmapItem(std::unique_ptr<TBitmap> bitmap, std::unique_ptr<TBitmap> mask,
                TTransparency transp);
    TBitmapItem(std::unique_ptr<TGIFImage> gif, TTransparency transp);

    int32_t AccessCount = 0; // purges since the entry was last taken
    int32_t UsageCount = 0;  // current users; an entry with users is never purged
    TTransparency Transp = NotTransp;
    std::unique_ptr<TBitmap> Bitmap;
    std::unique_ptr<TGIFImage> Gif;
    std::unique_ptr<TBitmap> Mask;

    // Bytes of the decoded pictures the entry holds.
    int64_t DecodedBytes() const;
};

class TStringBitmapList : public TStringList {
public:
    TStringBitmapList();
    ~TStringBitmapList();

    // Adds an entry under a name (one more user); returns its index.
    int AddObject(const std::string& name, TBitmapItem* item);
    TBitmapItem* Item(int index) const { return static_cast<TBitmapItem*>(Objects(index)); }
    // Takes an entry for one more use: it becomes young again.
    TBitmapItem* GetImage(int index);
    void DecUsage(const std::string& name);
    void IncUsage(const std::string& name);
    // Ages every entry by one and drops the unused ones older than the maximum age.
    void PurgeCache();
    int MaxCache() const { return maxCache_; }
    // Stores a new maximum age and drops at once the unused entries older than it.
    void SetCacheCount(int n);
    void Clear() { TStringList::Clear(); }

private:
    int maxCache_ = 4;
};
