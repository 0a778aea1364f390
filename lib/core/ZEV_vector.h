// TVector: a resizable, 1-based array of doubles that reports every change.
#pragma once

#include "ZEV_zevbase.h"

#include <vector>

class EZEVVectorError : public EZEVError {
  public:
    using EZEVError::EZEVError;
};

class TVector : public TComponent {
  public:
    explicit TVector(TComponent* AOwner = nullptr);

    int NrOfElem() const { return static_cast<int>(FElems.size()); }
    // Below 1 or equal to the current count: ignored.
    void SetNrOfElem(int Value);
    // True when the count is Value afterwards (also when it already was); false below 1.
    bool Resize(int Value);

    double Elem(int Index) const
    {
        return Index >= 1 && Index <= NrOfElem() ? FElems[static_cast<std::size_t>(Index - 1)]
                                                 : 0.0;
    }
    void SetElem(int Index, double Value);
    void Fill(double Value);

    // Contiguous elements for numerical code; writing through it fires nothing (see Changed).
    double* Data() { return FElems.data(); }
    const double* Data() const { return FElems.data(); }
    // Fires OnChange after bulk writes through Data().
    void Changed() { FireEvent(OnChange, this); }

    void Assign(TPersistent* Source) override;

    TNotifyEvent OnChange;
    TNotifyEvent OnResize;
    TSortExchgEvent OnSortExchange;

  protected:
    void AssignTo(TPersistent* Dest) override;

  private:
    std::vector<double> FElems;
};
