// Common ground of the component library: shared enumerations, array and event types, the base
// exception class, the cross-hair, date-label and text-label settings objects, and the mark and
// frame drawing routines.
#pragma once

#include "Classes.h"
#include "Graphics.h"

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
    maNone, maPan, maPanHoriz, maPanVert, maPanGrid, maRubberBand, maZoom, maZoomWind,
    maZoomWindPos, maZoomDrag, maDragCrossH, maDragLabel, maRotate, maRotAndZoom, maRotXOnly,
    maRotZOnly, maSelectRect, maDrawMTrace, maZoomPanColors
};

using TDouble2DArray = std::vector<std::vector<double>>;
using TStr2DArray = std::vector<std::vector<QString>>;

using TSortExchgEvent = std::function<void(TObject* Sender, std::uint8_t ExchgWhat, int index1,
                                           int index2, int first, int last)>;
using TExportTextEvent = std::function<void(TObject* Sender, int mode, int index, QString& OutText)>;
using TZoomPanEvent = std::function<void(TObject* Sender)>;
using TSelectRectEvent =
    std::function<void(TObject* Sender, int Layer, double LoX, double LoY, double HiX, double HiY)>;
using TOnPercentDoneEvent = std::function<void(TObject* Sender, int PercentDone)>;
