// The quicksort shared by SContainer and PArrayAsVector: median of three as
// pivot, the elements equal to it gathered into one run in the middle, the
// smaller part recursed into and the larger one looped on (bounded depth).
#include "framework/base/parray.h"

#include <cstdint>

namespace {

class Elements {
public:
    Elements(void* base, uint32_t size, PRecordCompare compare)
        : base_(static_cast<uint8_t*>(base)), size_(size), compare_(compare) {}

    int Compare(uint32_t a, uint32_t b) const { return compare_(At(a), At(b)); }
    void Swap(uint32_t a, uint32_t b) const
    {
        if (a == b)
            return;
        uint8_t* x = At(a);
        uint8_t* y = At(b);
        for (uint32_t k = 0; k < size_; ++k) {
            uint8_t t = x[k];
            x[k] = y[k];
            y[k] = t;
        }
    }
    Elements Sub(uint32_t first) const { return Elements(At(first), size_, compare_); }

private:
    uint8_t* At(uint32_t i) const { return base_ + static_cast<size_t>(i) * size_; }

    uint8_t* base_;
    uint32_t size_;
    PRecordCompare compare_;
};

void Sort(Elements e, uint32_t n)
{
    while (n > 2) {
        uint32_t mid = n / 2;
        uint32_t last = n - 1;
        if (e.Compare(mid, last) > 0)
            e.Swap(mid, last);
        if (e.Compare(mid, 0) > 0)
            e.Swap(mid, 0);
        else if (e.Compare(0, last) > 0)
            e.Swap(0, last);
        if (n == 3) {
            // Median first, the other two in order: one swap sorts them.
            e.Swap(0, 1);
            return;
        }
        // Partition behind the pivot at 0: [1, eq) equal to it, [eq, i)
        // lesser, above j greater.
        uint32_t eq = 1;
        uint32_t i = 1;
        uint32_t j = last;
        while (i <= j) {
            int c = e.Compare(i, 0);
            if (c < 0) {
                ++i;
                continue;
            }
            if (c == 0) {
                e.Swap(i, eq);
                ++eq;
                ++i;
                continue;
            }
            while (j > i && e.Compare(j, 0) > 0)
                --j;
            if (j == i)
                break;
            e.Swap(i, j);
            --j;
        }
        uint32_t greater = i;
        uint32_t lesser = greater - eq;
        // The equal run moves between the lesser and the greater part.
        uint32_t m = eq < lesser ? eq : lesser;
        for (uint32_t k = 0; k < m; ++k)
            e.Swap(k, greater - m + k);
        uint32_t upper = n - greater;
        if (lesser < upper) {
            Sort(e, lesser);
            e = e.Sub(greater);
            n = upper;
        } else {
            Sort(e.Sub(greater), upper);
            n = lesser;
        }
    }
    if (n == 2 && e.Compare(0, 1) > 0)
        e.Swap(0, 1);
}

}  // namespace

void QuickSortRecords(void* base, uint32_t n, uint32_t elementSize, PRecordCompare compare)
{
    if (base == nullptr || n < 2 || elementSize == 0 || compare == nullptr)
        return;
    Sort(Elements(base, elementSize, compare), n);
}
