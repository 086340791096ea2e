#pragma once
// Sorting of array ranges. compare(a, b) is a strict "a before b" test; equal elements keep their
// order. A range reaching past the array is an Out of Range error, never a silent clamp.
#include <algorithm>
#include <cstdint>
#include <numeric>
#include <optional>

#include "OrvFramework/ObjectBase/Exception.h"
#include "OrvFramework/Utilities/Storage/Array.h"

namespace Orv::ArrayUtils {

namespace Detail {
inline bool RangeFits(int start, int count, int size) {
    return start >= 0 && count >= 0 && static_cast<std::int64_t>(start) + count <= static_cast<std::int64_t>(size);
}
}  // namespace Detail

// Sorts elements start .. start + count - 1 in place. Fewer than two elements: nothing at all.
template <class T, class Compare>
void Sort(IArray<T>& array, int start, int count, Compare compare) {
    if (count < 2) return;
    if (!Detail::RangeFits(start, count, array.GetCount())) ORV_THROW_NO_TEXT(OutOfRange, "Orv::ArrayUtils::Sort", 254);
    T* data = array.GetData();
    std::stable_sort(data + start, data + start + count, compare);
}

// Fills indexes with start, start + 1, ... (count entries) and orders them by the elements they
// name; the array itself is left as it is. The range is checked whatever the count.
template <class T, class Compare>
void SortIndecies(IArray<int>& indexes, const IArray<T>& array, int start, int count, Compare compare) {
    if (!Detail::RangeFits(start, count, array.GetCount()))
        ORV_THROW_NO_TEXT(OutOfRange, "Orv::ArrayUtils::SortIndecies", 266);
    indexes.SetCount(count);
    if (count == 0) return;
    int* first = indexes.GetData();
    std::iota(first, first + count, start);
    if (count < 2) return;
    std::stable_sort(first, first + count, [&](int a, int b) { return compare(array.GetAt(a), array.GetAt(b)); });
}

}  // namespace Orv::ArrayUtils
