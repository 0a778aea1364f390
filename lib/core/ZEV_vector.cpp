#include "ZEV_vector.h"

#include "Memory.h"

#include <algorithm>
#include <new>

TVector::TVector(TComponent* AOwner) : TComponent(AOwner)
{
    try {
        FElems.assign(1, 0.0);
    } catch (const std::bad_alloc&) {
        throw EZEVVectorError(NotEnoughMemoryMessage(Name()));
    }
}

void TVector::SetNrOfElem(int Value)
{
    if (Value < 1 || Value == NrOfElem()) return;
    Resize(Value);
}

bool TVector::Resize(int Value)
{
    if (Value == NrOfElem()) return true;
    if (Value < 1) return false;
    // A resize that fails says "not enough memory" without "on heap", unlike construction.
    const QString failure = QStringLiteral("Component \"%1\": not enough memory").arg(Name());
    if (Value > NrOfElem() && !CanAllocate(static_cast<std::uint64_t>(Value), sizeof(double)))
        throw EZEVVectorError(failure);
    try {
        // Built aside and swapped in, so a failure leaves the old elements as they were.
        std::vector<double> elems(static_cast<std::size_t>(Value), 0.0);
        std::copy_n(FElems.begin(), std::min(FElems.size(), elems.size()), elems.begin());
        FElems.swap(elems);
    } catch (const std::bad_alloc&) {
        throw EZEVVectorError(failure);
    }
    FireEvent(OnChange, this);
    FireEvent(OnResize, this);
    return true;
}

void TVector::SetElem(int Index, double Value)
{
    if (Index < 1 || Index > NrOfElem()) return;
    FElems[static_cast<std::size_t>(Index - 1)] = Value;
    FireEvent(OnChange, this);
}

void TVector::Fill(double Value)
{
    std::fill(FElems.begin(), FElems.end(), Value);
    FireEvent(OnChange, this);
}

void TVector::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TVector*>(Source);
    if (!src) {
        TComponent::Assign(Source);
        return;
    }
    if (src == this) return;
    if (src->FElems.size() > FElems.size() && !CanAllocate(src->FElems.size(), sizeof(double)))
        throw EZEVVectorError(NotEnoughMemoryMessage(Name()));
    try {
        std::vector<double> elems(src->FElems);
        FElems.swap(elems);
    } catch (const std::bad_alloc&) {
        throw EZEVVectorError(NotEnoughMemoryMessage(Name()));
    }
    OnChange = src->OnChange;
    OnResize = src->OnResize;
    OnSortExchange = src->OnSortExchange;
}

void TVector::AssignTo(TPersistent* Dest)
{
    if (!AssignToOwnKind(this, Dest)) TComponent::AssignTo(Dest);
}
