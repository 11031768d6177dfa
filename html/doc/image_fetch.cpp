// The image request road of a document: the shared cache first, then the host's bitmap event,
// the host's stream event, and finally the name as a file. A picture got anew goes into the
// cache under its upper-cased, trimmed name.
#include <memory>

#include "html/doc/section_list.h"
#include "html/image/bitmap_cache.h"
#include "html/image/gif_image.h"
#include "html/image/image_kind.h"
#include "html/image/image_loader.h"
#include "platform/base/exceptions.h"
#include "platform/base/files.h"
#include "platform/base/strings.h"

TMemoryStream* WaitStream() {
    static TMemoryStream stream;
    return &stream;
}

namespace {

// A still GIF becomes its first frame with a mask of its transparent colour; an animated one
// stays a GIF.
std::unique_ptr<TBitmapItem> ItemFromGif(std::unique_ptr<TGIFImage> gif, bool nonAnimated) {
    if (!gif || gif->Empty())
        return nullptr;
    if (!nonAnimated && gif->Animated())
        return std::make_unique<TBitmapItem>(std::move(gif), NotTransp);
    std::unique_ptr<TBitmap> bitmap = gif->StillBitmap();
    if (!bitmap)
        return nullptr;
    std::unique_ptr<TBitmap> mask;
    TTransparency transp = NotTransp;
    if (gif->IsTransparent() && gif->NumFrames() >= 1 && gif->Frame(1).Transparent) {
        mask = GetImageMask(bitmap.get(), true, gif->Frame(1).TransparentColor);
        if (mask)
            transp = TGif;
    }
    return std::make_unique<TBitmapItem>(std::move(bitmap), std::move(mask), transp);
}

std::unique_ptr<TBitmapItem> ItemFromBitmap(std::unique_ptr<TBitmap> bitmap,
                                            std::unique_ptr<TBitmap> mask, TTransparency transp) {
    if (!bitmap || bitmap->Empty())
        return nullptr;
    if (!mask)
        transp = NotTransp;
    return std::make_unique<TBitmapItem>(std::move(bitmap), std::move(mask), transp);
}

} // namespace

bool TSectionList::ChargePicture(const std::string& key, const TBitmapItem& item) {
    // Every use of an animation composes its frames in a picture of its own.
    int64_t cost = item.Gif && item.Gif->Animated() ? item.Gif->OwnBytes() : 0;
    // Without a cache every use holds a decoded picture of its own.
    const bool first = BitmapList == nullptr || chargedPictures_.count(key) == 0;
    if (first)
        cost += item.DecodedBytes();
    if (cost > PictureBudget - pictureBytes_)
        return false;
    pictureBytes_ += cost;
    if (first)
        chargedPictures_.insert(key);
    return true;
}

TBitmapItem* TSectionList::FetchImage(const std::string& name, TTransparency& transparency,
                                      bool& wait, bool& fromCache) {
    wait = false;
    fromCache = false;
    const std::string key = UpperCase(Trim(name));
    if (key.empty())
        return nullptr;

    if (BitmapList != nullptr) {
        int index = -1;
        if (BitmapList->Find(key, index)) {
            TBitmapItem* item = BitmapList->Item(index);
            BitmapList->GetImage(index); // one more use; young again
            fromCache = true;
            if (item->Bitmap) {
                if (item->Transp == TGif || item->Transp == TPng) {
                    transparency = item->Transp;
                } else if (transparency == LLCorner) {
                    if (!item->Mask)
                        item->Mask = GetImageMask(item->Bitmap.get(), false, 0);
                    item->Transp = LLCorner;
                }
            }
            if (!ChargePicture(key, *item)) {
                BitmapList->DecUsage(key);
                fromCache = false;
                return nullptr;
            }
            return item;
        }
    }

    std::unique_ptr<TBitmapItem> item;
    if (OnBitmapRequest) {
        std::unique_ptr<TBitmap> bitmap;
        TColor color = static_cast<TColor>(-1);
        // A host that cannot serve the name (the builder's resource loader raises for a
        // picture it does not hold) gives no picture: the page shows the error image
        // instead of losing the rest of its layout.
        try {
            OnBitmapRequest(Viewer, name, bitmap, color);
        } catch (const Exception&) {
            bitmap.reset();
        }
        if (bitmap && !bitmap->Empty()) {
            std::unique_ptr<TBitmap> mask;
            TTransparency transp = NotTransp;
            if (color != static_cast<TColor>(-1)) {
                mask = GetImageMask(bitmap.get(), true, color);
                transp = TGif;
            } else if (transparency == LLCorner) {
                mask = GetImageMask(bitmap.get(), false, 0);
                transp = LLCorner;
            }
            if (mask)
                transparency = transp;
            item = ItemFromBitmap(std::move(bitmap), std::move(mask), transp);
        }
    } else if (OnImageRequest) {
        TMemoryStream* stream = nullptr;
        try {
            OnImageRequest(Viewer, name, stream);
        } catch (const Exception&) {
            stream = nullptr;
        }
        if (stream == WaitStream()) {
            wait = true; // the host supplies the picture later
        } else if (stream != nullptr && stream->Size() > 0) {
            // The stream stays the host's.
            const TImageKind kind =
                KindOfImage(stream->Memory(), static_cast<size_t>(stream->Size()));
            if (kind == ikGIF87 || kind == ikGIF89) {
                bool nonAnimated = false;
                item = ItemFromGif(CreateAGifFromMemory(stream->Memory(),
                                                        static_cast<size_t>(stream->Size()),
                                                        nonAnimated),
                                   nonAnimated);
                if (item && item->Transp != NotTransp)
                    transparency = item->Transp;
            }
            if (!item) {
                stream->Seek(0, soBeginning);
                TTransparency transp = transparency;
                std::unique_ptr<TBitmap> mask;
                std::unique_ptr<TBitmap> bitmap = GetImageAndMaskFromStream(stream, transp, mask);
                if (mask)
                    transparency = transp;
                item = ItemFromBitmap(std::move(bitmap), std::move(mask), transp);
            }
        }
    } else {
        const std::string ext = LowerCase(ExtractFileExt(name).substr(0, 10));
        if (ext == ".gif") {
            bool nonAnimated = false;
            item = ItemFromGif(CreateAGif(name, nonAnimated), nonAnimated);
            if (item && item->Transp != NotTransp)
                transparency = item->Transp;
        }
        if (!item) {
            TTransparency transp = transparency;
            std::unique_ptr<TBitmap> mask;
            std::unique_ptr<TBitmap> bitmap = GetImageAndMaskFromFile(name, transp, mask);
            if (mask)
                transparency = transp;
            item = ItemFromBitmap(std::move(bitmap), std::move(mask), transp);
        }
    }

    if (!item || !ChargePicture(key, *item))
        return nullptr;
    // Without a cache (or when it refuses the name) the picture is the caller's: it checks
    // whether the cache holds the item.
    if (BitmapList != nullptr)
        BitmapList->AddObject(key, item.get());
    return item.release();
}
