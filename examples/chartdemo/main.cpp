// Two charts on 100,000 marks for trying the mouse by hand. The upper chart owns the marks, the
// lower one displays the same item list with its own scales; their x ranges follow each other.
// The combo box sets the mouse mode of both; the axes pan when dragged and switch between
// panning and zooming on a double click. The status line shows the pointer and the last event.
#include "ZEV_kurvex.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include <array>
#include <cmath>

namespace {
constexpr int Marks = 100000;

constexpr std::array<const char*, 19> ModeNames = {
    "maNone",       "maPan",        "maPanHoriz",   "maPanVert",      "maPanGrid",
    "maRubberBand", "maZoom",       "maZoomWind",   "maZoomWindPos",  "maZoomDrag",
    "maDragCrossH", "maDragLabel",  "maRotate",     "maRotAndZoom",   "maRotXOnly",
    "maRotZOnly",   "maSelectRect", "maDrawMTrace", "maZoomPanColors"};

// Three noisy classes along a spiral, coloured like the score plot's classes.
void AddSpiral(TKurvex& K)
{
    const TColor colours[] = {clRed, clGreen, clBlue};
    std::uint32_t seed = 1234;
    auto noise = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) / double(1 << 24) - 0.5;
    };
    for (int i = 0; i < Marks; ++i) {
        const int cls = i % 3;
        const double t = 0.3 + 6.0 * i / Marks;
        const double a = t + cls * 2.0944;
        K.SetDataColor(colours[cls]);
        K.SetClassDefault(std::uint8_t(cls + 1));
        K.AddMark(t * std::cos(a) + noise(), t * std::sin(a) + noise(), 6);
    }
}

void PrepareChart(TKurvex& K, const QString& Caption)
{
    K.SetCaption(Caption);
    K.SetMouseCursorFixed(false);
    K.ScalePropsX(1)->SetMouseAction(maPan);
    K.ScalePropsY(1)->SetMouseAction(maPan);
    K.ScalePropsX(1)->SetCaption(QStringLiteral("x"));
    K.ScalePropsY(1)->SetCaption(QStringLiteral("y"));
    K.CrossHair1()->SetMode(chBoth);
    K.CrossHair1()->SetLayer(1);
    TTextLabel* label = K.TextLabel(1);
    label->SetCaption(QStringLiteral("drag me (maDragLabel)"));
    label->SetMode(tlBox);
    label->SetVisible(true);
    label->SetPosX(2), label->SetPosY(5);
}

// Copies the x range of From to To when it differs, so each chart can lead.
void FollowX(TKurvex& From, TKurvex& To)
{
    const double lo = From.ScalePropsX(1)->RangeLow(), hi = From.ScalePropsX(1)->RangeHigh();
    if (lo == To.ScalePropsX(1)->RangeLow() && hi == To.ScalePropsX(1)->RangeHigh()) return;
    To.SetLayerRange(1, lo, To.ScalePropsY(1)->RangeLow(), hi, To.ScalePropsY(1)->RangeHigh());
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Chart mouse demonstration"));
    auto* layout = new QVBoxLayout(&window);
    auto* controls = new QHBoxLayout;
    auto* modes = new QComboBox;
    for (const char* name : ModeNames) modes->addItem(QString::fromLatin1(name));
    auto* reset = new QPushButton(QStringLiteral("Fit"));
    auto* status = new QLabel;
    controls->addWidget(new QLabel(QStringLiteral("MouseAction")));
    controls->addWidget(modes);
    controls->addWidget(reset);
    controls->addWidget(status, 1);
    layout->addLayout(controls);

    auto* owner = new TKurvex;
    auto* sharer = new TKurvex;
    for (TKurvex* k : {owner, sharer}) {
        k->setMinimumSize(640, 300);
        layout->addWidget(k, 1);
    }
    PrepareChart(*owner, QStringLiteral("owner of 100,000 marks"));
    PrepareChart(*sharer, QStringLiteral("sharing the owner's items"));
    AddSpiral(*owner);
    sharer->SetUseDataOf(owner);
    sharer->SetIsometric(true);

    auto fit = [=] {
        owner->AutoRange(1, 3);
        sharer->AutoRange(1, 3);
        owner->ShowItems();
    };
    QObject::connect(reset, &QPushButton::clicked, fit);
    QObject::connect(modes, &QComboBox::currentIndexChanged, [=](int Index) {
        owner->SetMouseAction(TMouseActMode(Index));
        sharer->SetMouseAction(TMouseActMode(Index));
    });
    for (auto [a, b] : {std::pair{owner, sharer}, std::pair{sharer, owner}}) {
        TKurvex *from = a, *to = b;
        from->OnZoomPan = [=](TObject*) { FollowX(*from, *to); };
        from->OnMouseMoveInChart = [=](TObject*, bool InChart, TShiftState, double X, double Y) {
            status->setText(QStringLiteral("%1 x %2  y %3")
                                .arg(InChart ? "in plot" : "outside")
                                .arg(X, 0, 'g', 5)
                                .arg(Y, 0, 'g', 5));
        };
        auto report = [=](const char* What) {
            return [=](TObject*, int Layer, double LoX, double LoY, double HiX, double HiY) {
                status->setText(QStringLiteral("%1 on layer %2: (%3, %4) to (%5, %6)")
                                    .arg(What)
                                    .arg(Layer)
                                    .arg(LoX, 0, 'g', 4)
                                    .arg(LoY, 0, 'g', 4)
                                    .arg(HiX, 0, 'g', 4)
                                    .arg(HiY, 0, 'g', 4));
            };
        };
        from->OnRubberBand = report("rubber band");
        from->OnSelectRect = report("selection");
    }
    window.resize(900, 760);
    window.show();
    fit();
    return app.exec();
}
