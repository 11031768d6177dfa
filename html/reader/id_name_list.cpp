#include "html/reader/id_name_list.h"

int32_t TChPosObj::YPosition() {
    int32_t y = 0;
    if (List && List->CharPosY(ChPos, y))
        return y;
    return 0;
}

TIDNameList::TIDNameList(TCharPosLocator* list) : list_(list) {
    names_.SetSorted(true);
    names_.Duplicates = dupAccept; // Add replaces by hand, so the list itself never sees one
}

TIDNameList::~TIDNameList() {
    Clear();
}

void TIDNameList::AddObject(const std::string& name, TIDObject* obj) {
    int i = 0;
    if (names_.Find(name, i)) {
        TObject* old = names_.Objects(i);
        names_.Delete(i);
        if (old != obj)
            delete dynamic_cast<TChPosObj*>(old);
    }
    names_.AddObject(name, obj);
}

void TIDNameList::AddChPosObject(const std::string& name, int32_t charPos) {
    AddObject(name, new TChPosObj(list_, charPos));
}

void TIDNameList::Clear() {
    for (int i = 0; i < names_.Count(); ++i)
        delete dynamic_cast<TChPosObj*>(names_.Objects(i));
    names_.Clear();
}

TIDObject* TIDNameList::Objects(int i) const {
    return static_cast<TIDObject*>(names_.Objects(i));
}

TIDObject* TIDNameList::Find(const std::string& name) const {
    int i = 0;
    return names_.Find(name, i) ? Objects(i) : nullptr;
}
