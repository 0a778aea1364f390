#include "mainfrm.h"

#include "ZEV_texttable.h"
#include "application.h"
#include "plotcontroller.h"

#include <QFileInfo>
#include <QIcon>
#include <QTabBar>
#include <QVBoxLayout>

namespace {
const QStringList ScalingItems = {QStringLiteral("Scatter Matrix"),
                                  QStringLiteral("Covariance Matrix"),
                                  QStringLiteral("Correlation Matrix")};

QPushButton* MakeButton(QWidget* Parent, const QString& Caption, const QString& Glyph,
                        const QRect& Bounds)
{
    auto* button = new QPushButton(QIcon(Glyph), Caption, Parent);
    button->setGeometry(Bounds);
    return button;
}

// What a load's result code means for the user, empty on success. After a row error the table
// ends with the failing row (Rows), kept as far as it was read.
QString AscLoadProblem(int Code, int Rows)
{
    const QString unchanged = QStringLiteral(" The table is unchanged.");
    const QString before = Rows == 2  ? QStringLiteral("the row before it and ")
                           : Rows > 2 ? QStringLiteral("the %1 rows before it and ").arg(Rows - 1)
                                      : QString();
    switch (Code) {
    case ascOK:
        return {};
    case ascBadColumnCount:
        return QStringLiteral("Line 2: the number of columns is not a positive whole number.") +
               unchanged;
    case ascBadRowCount:
        return QStringLiteral("Line 3: the number of rows is not a positive whole number.") +
               unchanged;
    case ascBadSwitch:
        return QStringLiteral("Line 4: each of the first three switches must be TRUE or FALSE.") +
               unchanged;
    case ascLineFeedEnding:
        return QStringLiteral("Line 1 runs on past a line feed: the lines of the file must end "
                              "with CR LF.") +
               unchanged;
    case ascBadClassNumber:
        return QStringLiteral("Row %1: the class number is not a number. The table holds %2"
                              "row %1 without values.")
            .arg(Rows)
            .arg(before);
    case ascBadCell:
        return QStringLiteral("Row %1: a cell is missing or not a number. The table holds %2"
                              "row %1 up to that cell.")
            .arg(Rows)
            .arg(before);
    case ascFileNotFound:
        return QStringLiteral("The file does not exist.") + unchanged;
    default:
        return QStringLiteral("The file could not be read (code %1).").arg(Code);
    }
}

// The same for a text table: where the file went wrong; its reader leaves the table as it was.
QString TextLoadProblem(const TTextTableResult& Result)
{
    if (Result.Ok()) return {};
    QString text = Result.Text();
    text[0] = text[0].toUpper();
    return text + QStringLiteral(". The table is unchanged.");
}

// Runs a command; an exception it raises is shown as the application's default handler does.
template <typename Command> void Guarded(Command&& command)
{
    try {
        command();
    } catch (const std::exception& error) {
        TApplication::HandleException(error);
    }
}

} // namespace

TForm1::TForm1(QWidget* Parent) : QWidget(Parent)
{
    setWindowTitle(QStringLiteral("Principal Component Analysis"));
    move(345, 259);
    resize(855, 637);
    FFont.SetName(QStringLiteral("MS Sans Serif"));
    // 13 pixels of cell height, the classic 8-point face: with characters that tall, ten-digit
    // numbers no longer fit the table's 64-pixel columns.
    FFont.SetHeight(13);
    setFont(FFont.ToQFont());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ToQColor(clBtnFace));
    setPalette(palette);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    CreateToolBar();
    CreatePages();
    layout->addWidget(Panel1);
    layout->addWidget(PageControl1, 1);
    // The tool bar's controls sit at fixed places: the window is never narrower than they reach,
    // nor so low that a plot's tick labels and caption run into each other.
    const int plotHeight = 260;
    setMinimumSize(RGScaling->geometry().right() + 1 + BButNewData->x(),
                   Panel1->height() + PageControl1->tabBar()->sizeHint().height() + plotHeight);

    FODiag1 = std::make_unique<TOpenDialog>();
    ODiag1 = FODiag1.get();
    ODiag1->SetName(QStringLiteral("ODiag1"));
    ODiag1->ParentWidget = this;
    ODiag1->Filter =
        QStringLiteral("ASC data files (*.asc);;Text tables (*.csv *.tsv *.txt);;All files (*)");
    FMean = std::make_unique<TVector>();
    FStdDev = std::make_unique<TVector>();
    Mean = FMean.get(), StdDev = FStdDev.get();
    Mean->SetName(QStringLiteral("Mean"));
    StdDev->SetName(QStringLiteral("StdDev"));
    Mean->SetNrOfElem(1);
    StdDev->SetNrOfElem(1);
    FDataSet = std::make_unique<TDataTableDataSet>(*ValedData->DataTable());
    FRunner = std::make_unique<TAnalysisRunner>(this);
    SetTabOrder();
    SetDialogOwner(this);
    FPlots = std::make_unique<TPlotController>(*this);
}

TForm1::~TForm1()
{
    SetDialogOwner(nullptr);
}

// Load, Perform PCA, the scaling's checked item, New Data, then the pages.
void TForm1::SetTabOrder()
{
    std::vector<QWidget*> chain = {BButLoadData, BButPerformPCA};
    for (int i = 0; i < RGScaling->Items().size(); ++i) chain.push_back(RGScaling->Button(i));
    chain.push_back(BButNewData);
    chain.push_back(PageControl1);
    for (std::size_t i = 0; i + 1 < chain.size(); ++i) setTabOrder(chain[i], chain[i + 1]);
}

void TForm1::CreateToolBar()
{
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(49);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    BButNewData = MakeButton(Panel1, QStringLiteral("New Data"),
                             QStringLiteral(":/glyphs/newdata.png"), QRect(8, 8, 113, 33));
    BButLoadData = MakeButton(Panel1, QStringLiteral("Load Data From Disk"),
                              QStringLiteral(":/glyphs/loaddata.png"), QRect(128, 8, 185, 33));
    BButPerformPCA = MakeButton(Panel1, QStringLiteral("Perform PCA"),
                                QStringLiteral(":/glyphs/performpca.png"), QRect(320, 8, 113, 33));
    RGScaling = new TRadioGroup(Panel1);
    RGScaling->SetName(QStringLiteral("RGScaling"));
    RGScaling->setTitle(QStringLiteral(" Scaling "));
    RGScaling->setGeometry(440, 1, 401, 41);
    RGScaling->SetColumns(3);
    RGScaling->SetItems(ScalingItems);
    RGScaling->SetItemIndex(1);

    connect(BButNewData, &QPushButton::clicked, this,
            [this] { Guarded([this] { BButNewDataClick(); }); });
    connect(BButLoadData, &QPushButton::clicked, this,
            [this] { Guarded([this] { BButLoadDataClick(); }); });
    connect(BButPerformPCA, &QPushButton::clicked, this,
            [this] { Guarded([this] { BButPerformPCAClick(); }); });
    RGScaling->OnClick = [this](TObject*) { Guarded([this] { BButPerformPCAClick(); }); };
}

void TForm1::CreatePages()
{
    PageControl1 = new QTabWidget(this);
    auto addPage = [this](QWidget* content, const QString& caption) {
        auto* page = new QWidget;
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(content);
        PageControl1->addTab(page, caption);
        return page;
    };
    ValedData = new TValgrid;
    ValedData->SetName(QStringLiteral("ValedData"));
    SetUpEditor();
    KXScores = new TKurvex;
    KXScores->SetName(QStringLiteral("KXScores"));
    SetUpPlot(KXScores);
    KXLoadings = new TKurvex;
    KXLoadings->SetName(QStringLiteral("KXLoadings"));
    SetUpPlot(KXLoadings);
    TSData = addPage(ValedData, QStringLiteral("Data"));
    TSScores = addPage(KXScores, QStringLiteral("PCA Scores"));
    TSLoadings = addPage(KXLoadings, QStringLiteral("PCA Loadings"));
    PageControl1->setCurrentWidget(TSData);
}

void TForm1::SetUpEditor()
{
    ValedData->Font()->Assign(&FFont); // the editor takes the window's font
    ValedData->SetAutoAdvance(false);
    ValedData->SetAttribRowVisible(true);
    ValedData->SetAttribColVisible(false);
    ValedData->SetColorBackground(clWindow);
    ValedData->SetColorFixed(clBtnFace);
    ValedData->SetColorNormal(8192);
    ValedData->SetColorSelected(clWhite);
    ValedData->SetColorMarkedA(clRed);
    ValedData->SetColorMarkedB(clBlue);
    ValedData->SetColorMarkedBoth(13369531);
    ValedData->SetDefaultColWidth(64);
    ValedData->SetNrOfColumns(3);
    ValedData->SetNrOfRows(4);
    ValedData->SetNumWidth(1);
    const int widths[] = {80, 32, 64, 64, 64};
    for (int col = 0; col < 5; ++col) ValedData->SetColWidths(col, widths[col]);
    for (int row = 0; row < ValedData->RowCount(); ++row) ValedData->SetRowHeights(row, 24);
}

void TForm1::BButNewDataClick()
{
    // The grid paints again on every way out, an exception included.
    struct TPaintHold {
        TValgrid* Grid;
        ~TPaintHold() { Grid->SetSuppressPaint(false); }
    } hold{ValedData};
    ValedData->SetSuppressPaint(true);
    NewData(*FDataSet);
}

void TForm1::BButLoadDataClick()
{
    PageControl1->setCurrentWidget(TSData);
    ODiag1->FileName = QStringLiteral("*.asc");
    if (ODiag1->Execute()) LoadDataFile(ODiag1->FileName);
}

void TForm1::LoadDataFile(const QString& FileName)
{
    ODiag1->InitialDir = QFileInfo(FileName).absolutePath(); // the next load starts there
    // The table shows whatever the reader left; the user learns what went wrong and where.
    const TTableFileResult result = LoadTableFile(*ValedData->DataTable(), FileName);
    const TDataTable* table = ValedData->DataTable();
    const QString problem =
        result.Kind == tfAsc
            ? AscLoadProblem(table->ExplainAscCode(result.AscCode), table->NrOfRows())
            : TextLoadProblem(result.Text);
    if (!problem.isEmpty())
        MessageDlg(QStringLiteral("%1\n\n%2").arg(QFileInfo(FileName).fileName(), problem),
                   mtWarning, mbOK, 0);
}

void TForm1::BButPerformPCAClick()
{
    if (PageControl1->currentWidget() == TSData) PageControl1->setCurrentWidget(TSScores);
    TPCAResult pca = FRunner->Run(*FDataSet, RGScaling->ItemIndex());
    if (pca.Status == pcaCancelled) return;
    TPCAPoints result;
    if (!AcceptComponents(*FDataSet, RGScaling->ItemIndex(), std::move(pca), *Mean, *StdDev,
                          result)) {
        MessageDlg(PCAFailureMessage, mtInformation, mbOK, 0);
        return;
    }
    const QString scaling = RGScaling->SelectedText();
    ShowScorePlot(result, scaling);
    ShowLoadingPlot(result, scaling);
    FPlots->AnalysisDone(*FDataSet, scaling);
}

void TForm1::SetUpPlot(TKurvex* Chart)
{
    Chart->SetAllocSize(1000);
    Chart->SetMarginRight(20);
    Chart->SetMarginTop(20);
    Chart->SetMarginBottom(40);
    Chart->SetClassDefault(0);
    Chart->SetGridStyle(gsNone);
    Chart->SetIsometric(false);
    Chart->SetMouseAction(maNone);
    Chart->SetMouseCursorFixed(false);
    Chart->SetCaptionPosX(0);
    Chart->SetCaptionPosY(-16);
    Chart->SetCaptionAlignment(taRightJustify);
    Chart->SetCaptionAnchorHoriz(cahChartRight);
    Chart->SetCaptionAnchorVert(cavChartTop);
    Chart->SetShadowStyle(ssFlying);
    Chart->SetTextBkStyle(tbClear);
    Chart->SetTextAlignment(taCenter);
    auto axis = [](TScaleProps* Props, int CaptionY, TAlignment Alignment,
                   TScaleUnitAnchor Anchor) {
        Props->SetCaptionPosX(0);
        Props->SetCaptionPosY(CaptionY);
        Props->SetCaptionAlignment(Alignment);
        Props->SetCaptionAnchor(Anchor);
        Props->SetDecPlaces(-2);
        Props->SetMinTicks(3);
        Props->SetMinRange(1e-10);
        Props->SetRangeHigh(10);
        Props->SetShortTicks(true);
        Props->SetVisible(true);
    };
    Chart->Scale1X()->SetScaleLocation(slBottom);
    axis(Chart->Scale1X(), 22, taCenter, uaSclCenter);
    Chart->Scale1Y()->SetScaleLocation(slLeft);
    axis(Chart->Scale1Y(), -16, taLeftJustify, uaSclTopLft);
    Chart->Scale2X()->SetVisible(false);
    Chart->Scale2Y()->SetVisible(false);
    Chart->SetAutoRedraw(true);
}

namespace {
void SetAxisCaptions(TKurvex* Chart)
{
    Chart->Scale1X()->SetCaption(QStringLiteral("PC ") + QString::number(1));
    Chart->Scale1Y()->SetCaption(QStringLiteral("PC ") + QString::number(2));
}
} // namespace

// The score plot is complete and shown before the loading plot is cleared.
void TForm1::ShowScorePlot(const TPCAPoints& Result, const QString& Scaling)
{
    KXScores->ClearItems();
    SetAxisCaptions(KXScores);
    KXScores->SetCaption(QStringLiteral("Score/Score Plot - ") + Scaling);
    for (const TScorePoint& s : Result.Scores) {
        KXScores->SetDataColor(s.Color);
        KXScores->AddMark(s.X, s.Y, 6);
    }
    KXScores->AutoRange(1, 3);
    KXScores->ShowItems();
}

void TForm1::ShowLoadingPlot(const TPCAPoints& Result, const QString& Scaling)
{
    KXLoadings->ClearItems();
    SetAxisCaptions(KXLoadings);
    KXLoadings->SetCaption(QStringLiteral("Loading/Loading Plot - ") + Scaling);
    KXLoadings->SetDataColor(8421504); // grey axes through the origin
    KXLoadings->AddLine(-1, 0, 1, 0);
    KXLoadings->AddLine(0, -1, 0, 1);
    KXLoadings->SetDataColor(8388608); // navy
    if (!Result.Loadings.empty())
        KXLoadings->MoveTo(Result.Loadings.front().X, Result.Loadings.front().Y);
    for (const TLoadingPoint& l : Result.Loadings) {
        KXLoadings->SetItemTag(0);
        KXLoadings->AddText(l.X, l.Y, 8, l.Label);
    }
    KXLoadings->AutoRange(1, 3);
    KXLoadings->ShowItems();
}
