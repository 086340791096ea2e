#pragma once
// An array of framework strings.
#include "OrvFramework/Utilities/Storage/Array.h"
#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv {

template <class C1, class C2>
class StringArrayT : public Array<StringT<C1, C2>> {
public:
    using Item = StringT<C1, C2>;
    using Array<Item>::Array;

    // The elements joined by the separator.
    Item Join(const Item& separator) const {
        Item out;
        for (int i = 0; i < this->GetCount(); ++i) {
            if (i) out += separator;
            out += this->GetAt(i);
        }
        return out;
    }
};

using StringArray = StringArrayT<char16_t, char>;
using StringArrayA = StringArrayT<char, char16_t>;

}  // namespace Orv
