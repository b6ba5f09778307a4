// A stack of HObject pointers built on an HObjectList; the top is the list's
// head. Like the list, it never owns what it holds.
#pragma once

#include "engine/core/HObjectList.h"

class HObjectStack : public HObject {
    H_DECLARE_CLASS(HObjectStack)
public:
    explicit HObjectStack(const HClassInfo* filter);
    ~HObjectStack() override;

    HObjectStack(const HObjectStack&) = delete;
    HObjectStack& operator=(const HObjectStack&) = delete;

    // 1 for a null object or one the filter refuses; 0 when pushed.
    int pushObject(HObject* obj);
    // Null when empty.
    HObject* popObject();
    // The object i places below the top (0 or less: the top); null when i is
    // at or past the bottom.
    HObject* getObjectAt(int i);
    virtual int getNumItems() const;

private:
    HObjectList* m_pList;
};
