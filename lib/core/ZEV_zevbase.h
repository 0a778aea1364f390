// Common ground of the component library: shared enumerations, array and event types, the base
// exception class and the date-label settings object. The drawing side (cross-hairs, text labels,
// marks and frames) is in ZEV_zevbase_draw.h.
#pragma once

#include "Classes.h"

#include <cstdint>
#include <functional>
#include <vector>

class EZEVError : public Exception {
  public:
    using Exception::Exception;
};

// The message every component raises when memory runs out.
QString NotEnoughMemoryMessage(const QString& ComponentName);

enum TBkgFill : std::uint8_t { bfSimple, bfStretch, bfTile };
enum TColorScheme : std::uint8_t { csBWG, csSystem };
enum TFigType : std::uint8_t { ftNoFigs, ftNum, ftTime, ftDateTime, ftUserText };
enum TScaleType : std::uint8_t { sctXB, sctXT, sctYL, sctYR };
enum TVerticalAlignment : std::uint8_t { vaTop, vaCenter, vaBottom };
enum TYearLength : std::uint8_t { ylNone, ylYY, ylYYYY };
enum TDateOrder : std::uint8_t { doMMDDYY, doDDMMYY, doYYMMDD };
enum TDateForTime : std::uint8_t { dtNone, dtOnePerChart, dtOnePerDay, dtAllTicks };
enum TShadowStyle : std::uint8_t { ssFlying, ssBox };
enum TFrameStyle : std::uint8_t { fsNone, fsSimple, fsLowered, fsRaised, fsEmbossed, fsEngraved };
enum TTimeFormat : std::uint8_t { tfHHMMSS, tfHHhMM, tfAMPM };
enum TOrientation : std::uint8_t { orVert, orHoriz };
enum TCrossHMode : std::uint8_t { chOff, chHoriz, chVert, chBoth, chCrossBox, chBox };
enum TTxtLblAttachMode : std::uint8_t { tlamNone, tlamXOnly, tlamYOnly, tlamBoth };
enum TTxtLblMode : std::uint8_t { tlOff, tlsimple, tlBox, tlUnderline, tlShadow };
enum TMouseActMode : std::uint8_t {
    maNone,
    maPan,
    maPanHoriz,
    maPanVert,
    maPanGrid,
    maRubberBand,
    maZoom,
    maZoomWind,
    maZoomWindPos,
    maZoomDrag,
    maDragCrossH,
    maDragLabel,
    maRotate,
    maRotAndZoom,
    maRotXOnly,
    maRotZOnly,
    maSelectRect,
    maDrawMTrace,
    maZoomPanColors
};

using TDouble2DArray = std::vector<std::vector<double>>;
using TStr2DArray = std::vector<std::vector<QString>>;

using TSortExchgEvent = std::function<void(TObject* Sender, std::uint8_t ExchgWhat, int index1,
                                           int index2, int first, int last)>;
using TExportTextEvent =
    std::function<void(TObject* Sender, int mode, int index, QString& OutText)>;
using TZoomPanEvent = std::function<void(TObject* Sender)>;
using TSelectRectEvent =
    std::function<void(TObject* Sender, int Layer, double LoX, double LoY, double HiX, double HiY)>;
using TOnPercentDoneEvent = std::function<void(TObject* Sender, int PercentDone)>;

// Date and time label settings of a scale. A fresh object is all zero; the scale sets its own
// defaults.
class TDTLabel : public TPersistent {
  public:
    ~TDTLabel() override;
    TTimeFormat TimeFormat() const { return FTimeFormat; }
    void SetTimeFormat(TTimeFormat Value);
    QChar DateSeparator() const { return FDateSeparator; }
    void SetDateSeparator(QChar Value);
    QChar TimeSeparator() const { return FTimeSeparator; }
    void SetTimeSeparator(QChar Value);
    TYearLength YearLength() const { return FYearLength; }
    void SetYearLength(TYearLength Value);
    bool MonthName() const { return FMonthName; }
    void SetMonthName(bool Value);
    TDateOrder DateOrder() const { return FDateOrder; }
    void SetDateOrder(TDateOrder Value);
    TDateForTime DateForTime() const { return FDateForTime; }
    void SetDateForTime(TDateForTime Value);
    TNotifyEvent OnChange;

    // Copies every field, the handler included, without notifying.
    void Assign(TPersistent* Source) override;

  protected:
    void AssignTo(TPersistent* Dest) override;

  private:
    void Changed() { FireEvent(OnChange, this); }
    TTimeFormat FTimeFormat = tfHHMMSS;
    QChar FDateSeparator;
    QChar FTimeSeparator;
    TYearLength FYearLength = ylNone;
    bool FMonthName = false;
    TDateOrder FDateOrder = doMMDDYY;
    TDateForTime FDateForTime = dtNone;
};
