// Work arrays of the engine that start on a cache line, so that columns whose length is a whole
// number of vectors never split a vector load or store across two lines.
#pragma once

#include <cstddef>
#include <new>
#include <vector>

template <class T> struct TCacheLineAllocator {
    using value_type = T;
    static constexpr std::align_val_t kAlign{64};
    TCacheLineAllocator() = default;
    template <class U> TCacheLineAllocator(const TCacheLineAllocator<U>&) {}
    T* allocate(std::size_t Count)
    {
        if (Count > std::size_t(-1) / sizeof(T)) throw std::bad_alloc();
        return static_cast<T*>(::operator new(Count * sizeof(T), kAlign));
    }
    void deallocate(T* p, std::size_t) { ::operator delete(p, kAlign); }
    template <class U> bool operator==(const TCacheLineAllocator<U>&) const { return true; }
};
using TAlignedDoubles = std::vector<double, TCacheLineAllocator<double>>;
