// The per-column and per-row lists of the data table: Size entries, of which only those up to
// the last one written are stored; the rest read as the default value. A header that promises
// millions of columns costs nothing until names, attributes or setups arrive, and a list grows
// as rows do.
#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

template <typename T> class TSparseList {
  public:
    std::size_t size() const { return FSize; }
    const T& operator[](std::size_t Index) const
    {
        return Index < FItems.size() ? FItems[Index] : Index >= FTailFrom ? FTail : Default();
    }
    // The entry, stored from now on (with every one before it).
    T& At(std::size_t Index)
    {
        if (Index >= FItems.size()) {
            const std::size_t stored = FItems.size();
            FItems.resize(Index + 1);
            for (std::size_t i = std::max(stored, FTailFrom); i < FItems.size(); ++i)
                FItems[i] = FTail;
        }
        return FItems[Index];
    }
    // Value is taken before the list grows, so it may come from the list itself.
    void Set(std::size_t Index, T Value) { At(Index) = std::move(Value); }
    void Exchange(std::size_t Index1, std::size_t Index2)
    {
        if (Index1 >= FItems.size() && Index2 >= FItems.size()) return;
        At(std::max(Index1, Index2));
        std::swap(FItems[Index1], FItems[Index2]);
    }
    // A cut frees nothing: it must not fail for memory.
    void resize(std::size_t Size)
    {
        FSize = Size;
        if (FItems.size() > Size) FItems.erase(FItems.begin() + std::ptrdiff_t(Size), FItems.end());
    }
    // The entries from Index on, none of them stored yet, read as Value from now on.
    void FillFrom(std::size_t Index, T Value)
    {
        FTailFrom = Index;
        FTail = std::move(Value);
    }
    // Every entry back to the default, the size kept.
    void Reset()
    {
        std::vector<T>().swap(FItems);
        FTailFrom = std::size_t(-1);
        FTail = T{};
    }
    void swap(TSparseList& Other) noexcept
    {
        FItems.swap(Other.FItems);
        std::swap(FSize, Other.FSize);
        std::swap(FTailFrom, Other.FTailFrom);
        std::swap(FTail, Other.FTail);
    }

  private:
    static const T& Default()
    {
        static const T value{};
        return value;
    }

    std::vector<T> FItems;
    std::size_t FSize = 0;
    std::size_t FTailFrom = std::size_t(-1);
    T FTail{};
};
