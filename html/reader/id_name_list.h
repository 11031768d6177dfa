#pragma once
// The named positions of one document (ID attributes and NAME anchors).
#include <cstdint>
#include <string>

#include "platform/base/string_list.h"

// Anything that can stand in the name list: it knows its vertical position in the document.
class TIDObject : public TObject {
public:
    virtual int32_t YPosition() = 0;
};

// What the name list needs from the document's section list: the y coordinate of the character
// at a source position, false when no block holds that position.
class TCharPosLocator {
public:
    virtual ~TCharPosLocator() = default;
    virtual bool CharPosY(int32_t charPos, int32_t& y) = 0;
};

// A named position given by a source character position.
class TChPosObj : public TIDObject {
public:
    TChPosObj(TCharPosLocator* list, int32_t charPos) : List(list), ChPos(charPos) {}
    int32_t YPosition() override; // 0 when the position is not found
    TCharPosLocator* List;
    int32_t ChPos;
};

class TIDNameList {
public:
    explicit TIDNameList(TCharPosLocator* list = nullptr);
    ~TIDNameList();
    TIDNameList(const TIDNameList&) = delete;
    TIDNameList& operator=(const TIDNameList&) = delete;

    // Replaces an entry of the same name (freeing it when it is a TChPosObj), then adds this
    // one. Objects other than TChPosObj stay owned by whoever made them.
    void AddObject(const std::string& name, TIDObject* obj);
    void AddChPosObject(const std::string& name, int32_t charPos);
    // Frees the TChPosObj entries and empties the list.
    void Clear();

    int Count() const { return names_.Count(); }
    const std::string& Names(int i) const { return names_.Strings(i); }
    TIDObject* Objects(int i) const;
    // The object of a name (ignoring case), or nullptr.
    TIDObject* Find(const std::string& name) const;
    int IndexOf(const std::string& name) const { return names_.IndexOf(name); }

private:
    TStringList names_; // sorted, case-insensitive
    TCharPosLocator* list_;
};
