// StringItem<ListElement>: a String that is also a list element, so that texts
// can live in a List<StringItem<ListElement>> (see Split in text_utils.h).
// Items compare by text honouring the process-wide case setting (string.h),
// which makes such a list sortable (AddSorted), searchable by text (Find) and
// copyable (Assign). The list that holds an item owns it.
#pragma once

#include "base/list_element.h"
#include "base/string.h"

template <class Link>
class StringItem : public String, public Link {
public:
    StringItem() = default;
    explicit StringItem(const char* text) : String(text) {}
    explicit StringItem(const String& text) : String(text) {}

    // Orders by text; `other` must be a StringItem of the same kind. The
    // comparison argument is ignored.
    int Compare(const Element* other, int32_t) const override {
        const StringItem* item = static_cast<const StringItem*>(other);
        return CompareText(c_str(), item->c_str());
    }

    // A new item holding a copy of the text; the argument is ignored.
    Element* Clone(int32_t) const override {
        return new StringItem(static_cast<const String&>(*this));
    }

    ~StringItem() override {}
};
