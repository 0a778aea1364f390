// Storage of the item lists. The records sit in one anonymous mapping per list: growing remaps
// its pages instead of copying them, so appends stay cheap at any list size.
#include "Memory.h"
#include "ZEV_kurvex_items.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace {
std::size_t PageSize()
{
    static const std::size_t size = std::size_t(sysconf(_SC_PAGESIZE));
    return size;
}

std::size_t RoundUpToPages(std::size_t Bytes)
{
    const std::size_t page = PageSize();
    return (Bytes + page - 1) / page * page;
}

// Room kept beyond the capacity, as a fraction of it: enough that remapping happens only a few
// dozen times on the way to a million records, little enough that the block stays within a few
// per cent of the records it holds.
constexpr std::size_t HeadroomDivisor = 16;
} // namespace

void TkxShortText::Assign(const QString& Text)
{
    Length = std::uint8_t(std::min<qsizetype>(Text.size(), kxShortTextLength));
    std::memset(Chars, 0, sizeof Chars);
    std::memcpy(Chars, Text.utf16(), Length * sizeof(char16_t));
}

TkxMappedBlock::~TkxMappedBlock()
{
    if (FData) munmap(FData, FBytes);
}

void TkxMappedBlock::Reserve(std::size_t Bytes)
{
    const std::size_t bytes = RoundUpToPages(Bytes);
    if (bytes <= FBytes) return;
    if (!CanAllocateBytes(bytes - FBytes)) throw std::bad_alloc();
    void* p =
        FData ? mremap(FData, FBytes, bytes, MREMAP_MAYMOVE)
              : mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    FData = p;
    FBytes = bytes;
}

void TkxMappedBlock::Discard()
{
    if (FData) madvise(FData, FBytes, MADV_FREE);
}

void TkxItemList::Reserve(std::size_t Records)
{
    FItemBlock.Reserve(Records * sizeof(TkxChartItem));
    FItems = static_cast<TkxChartItem*>(FItemBlock.Data());
    FPackedBlock.Reserve(Records * sizeof(TkxPackedMark));
    FPacked = static_cast<TkxPackedMark*>(FPackedBlock.Data());
}

void TkxItemList::Grow(int AllocSize)
{
    const std::size_t capacity = std::size_t(FCapacity) + std::size_t(AllocSize);
    if (capacity * sizeof(TkxChartItem) > FItemBlock.Bytes() ||
        capacity * sizeof(TkxPackedMark) > FPackedBlock.Bytes())
        Reserve(capacity + capacity / HeadroomDivisor);
    FCapacity = int(capacity);
}

void TkxItemList::Clear()
{
    FItemBlock.Discard();
    FPackedBlock.Discard();
    FCount = 0;
    FCapacity = 0;
}

void TkxItemList::CopyFrom(const TkxItemList& Source, int AllocSize)
{
    if (&Source == this) return;
    const std::size_t step = std::size_t(std::max(1, AllocSize));
    const std::size_t capacity = (std::size_t(Source.FCount) + step - 1) / step * step;
    Reserve(capacity);
    const auto count = std::size_t(Source.FCount);
    if (count > 0) {
        std::memcpy(FItems, Source.FItems, count * sizeof(TkxChartItem));
        std::memcpy(FPacked, Source.FPacked, count * sizeof(TkxPackedMark));
    }
    FCount = Source.FCount;
    FCapacity = int(capacity);
    FLongTexts = Source.FLongTexts;
    FLongTextCount = Source.FLongTextCount;
}

QString TkxItemList::LongText(int Entry) const
{
    if (Entry < 1 || Entry > FLongTextCount) return QString();
    return FLongTexts[std::size_t(Entry - 1)];
}

void TkxItemList::StoreText(TkxChartItem& Item, const QString& Text)
{
    Item.Text.Assign(Text);
    if (Text.size() <= kxShortTextLength || FLongTextCount >= kxMaxLongTexts) return;
    FLongTexts[std::size_t(FLongTextCount++)] = Text;
    Item.LineWidth = FLongTextCount;
}
