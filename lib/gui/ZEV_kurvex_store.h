// The chart's item store: the data list and the annotation list with their long texts, the
// attributes new items are created with, which classes are shown, and the data side of
// AutoRange (extents, margins, minimum spans). The data list is held by reference count, so
// charts that share data hold the same list. Knows nothing of widgets or pixels.
#pragma once

#include "ZEV_kurvex_items.h"
#include "ZEV_kurvex_layers.h"

#include <memory>

// The attributes copied into every new item, and where it goes.
struct TkxItemStyle {
    TColor DataColor = clBlack;
    TColor FillColor = clSilver;
    TPenStyle PenStyle = psSolid;
    std::uint8_t LineWidth = 1;
    std::uint8_t ClassDefault = 0;
    int ItemTag = 0;
    int ActiveLayer = 1;
    TAlignment TextAlignment = taCenter;
    TTextBkg TextBkStyle = tbClear;
    bool AnnotationMode = false;
    int AllocSize = 1000;

    // Items carry classes 0..254.
    static bool ClassAccepted(std::uint8_t Value) { return Value != 255; }
    static bool LayerAccepted(int Value) { return Value >= 1 && Value <= kxMaxLayer; }
    static bool AllocSizeAccepted(int Value) { return Value >= 1 && Value <= 1000000; }
};

// How AutoRange of all layers treats one layer: shown or not, which layers control its axes,
// and which of its axes are logarithmic.
struct TkxFitRule {
    bool Shown = true;
    int XController = 1, YController = 1;
    bool LogX = false, LogY = false;
};
using TkxFitRules = std::array<TkxFitRule, kxMaxLayer>;
using TkxLayerRanges = std::array<TkxLayerRange, kxMaxLayer>;

class TkxItemStore {
  public:
    TkxItemStore();
    TkxItemStore(const TkxItemStore&) = delete;
    TkxItemStore& operator=(const TkxItemStore&) = delete;

    TkxItemStyle Style;

    const TkxItemList& Data() const { return *FData; }
    const TkxItemList& Annotations() const { return *FAnnotations; }

    // ---- commands: append to the annotation list in annotation mode, else to the data list
    void AddMark(double X, double Y, std::uint8_t MarkType);
    // CoordMode counts in the annotation list only; data items are always in world units.
    void AddLine(double X1, double Y1, double X2, double Y2, std::uint8_t CoordMode);
    void MoveTo(double X, double Y);
    void AddText(double X, double Y, int Dx, int Dy, TAlignment Alignment, std::uint8_t CoordMode,
                 int FontSize, const QString& Text);
    // Empties the data list; annotations and long texts stay.
    void ClearData() { OwnData().Clear(); }
    // Copies of Source's two lists (capacity rounded to Source's AllocSize) and its style.
    void Assign(const TkxItemStore& Source);

    // ---- sharing
    // Shows Owner's data list from now on.
    void ShowDataOf(const TkxItemStore& Owner);
    // Lets Other show the data list this store shows.
    void HandDataTo(TkxItemStore& Other) const { Other.FData = FData; }
    bool SameData(const TkxItemStore& Other) const { return FData == Other.FData; }
    // After sharing ended, the next command starts a list of this store's own.
    void EndShowingForeignData() { FStopShowing = true; }

    // ---- class visibility: 0..255, a table for each list
    bool ClassShown(int ClassNo, bool IsAnnotation) const
    {
        if (ClassNo < 0 || ClassNo > 255) return false;
        return (IsAnnotation ? FAnnotationClassShown : FDataClassShown)[std::size_t(ClassNo)];
    }
    // False when nothing changed.
    bool SetClassShown(int ClassNo, bool IsAnnotation, bool Value);
    const std::array<bool, 256>& ClassTable(bool IsAnnotation) const
    {
        return IsAnnotation ? FAnnotationClassShown : FDataClassShown;
    }

    // ---- the data side of AutoRange
    // The data list's extent of Layer widened by MarginPercent and MinSpanPercent, each axis
    // opened to a span of 2 when its ends meet; -1..1 on an axis without items.
    TkxLayerRange Fit(int Layer, double MarginPercent, double MinSpanPercent, bool LogX,
                      bool LogY) const;
    // The same for every shown layer at once, where a controlling layer's axis also covers the
    // data of the layers it controls and each layer gets its controllers' ranges; hidden layers
    // keep an empty entry.
    TkxLayerRanges FitAll(double MarginPercent, double MinSpanPercent,
                          const TkxFitRules& Rules) const;

  private:
    TkxItemList& OwnData();
    TkxItemList& Target() { return Style.AnnotationMode ? *FAnnotations : OwnData(); }
    // A record of Kind with the attributes every command records.
    TkxChartItem NewItem(TkxItemKind Kind) const;

    std::shared_ptr<TkxItemList> FData;
    std::shared_ptr<TkxItemList> FAnnotations;
    bool FForeign = false;     // FData came from another store
    bool FStopShowing = false; // and that sharing has ended
    std::array<bool, 256> FDataClassShown;
    std::array<bool, 256> FAnnotationClassShown;
};
