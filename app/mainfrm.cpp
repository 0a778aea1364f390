#include "mainfrm.h"

#include "application.h"

#include <QIcon>
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

// Runs a command; an exception it raises is shown as the application's default handler does.
template <typename Command> void Guarded(Command&& command)
{
    try {
        command();
    } catch (const std::exception& error) {
        TApplication::HandleException(error);
    }
}

// The analysis data set is the editor's table: sizes and reads go through the editor (so category
// columns read rounded), writes into the table.
class TEditorDataSet : public TAnalysisDataSet {
  public:
    explicit TEditorDataSet(TValgrid* Editor) : FEditor(Editor) {}
    int NrOfColumns() const override { return FEditor->NrOfColumns(); }
    void SetNrOfColumns(int Value) override { FEditor->SetNrOfColumns(Value); }
    int NrOfRows() const override { return FEditor->NrOfRows(); }
    void SetNrOfRows(int Value) override { FEditor->SetNrOfRows(Value); }
    // Fetched afresh each time: a load replaces the table's matrix.
    const TMatrix& DataMat() const override { return *FEditor->DataTable()->DataMat(); }
    double Elem(int Col, int Row) const override { return FEditor->Elem(Col, Row); }
    void SetElem(int Col, int Row, double Value) override
    {
        FEditor->DataTable()->SetElem(Col, Row, Value);
    }
    int RowAttrib(int Row) const override { return FEditor->RowAttrib(Row); }
    void SetRowAttrib(int Row, int Value) override
    {
        FEditor->SetRowAttrib(Row, std::uint8_t(Value));
    }

  private:
    TValgrid* FEditor;
};
} // namespace

TForm1::TForm1(QWidget* Parent) : QWidget(Parent)
{
    setWindowTitle(QStringLiteral("Principal Component Analysis"));
    move(345, 259);
    resize(855, 637);
    FFont.SetName(QStringLiteral("MS Sans Serif"));
    FFont.SetHeight(-13);
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

    FODiag1 = std::make_unique<TOpenDialog>();
    ODiag1 = FODiag1.get();
    ODiag1->SetName(QStringLiteral("ODiag1"));
    ODiag1->ParentWidget = this;
    FMean = std::make_unique<TVector>();
    FStdDev = std::make_unique<TVector>();
    Mean = FMean.get(), StdDev = FStdDev.get();
    Mean->SetName(QStringLiteral("Mean"));
    StdDev->SetName(QStringLiteral("StdDev"));
    Mean->SetNrOfElem(1);
    StdDev->SetNrOfElem(1);
    FDataSet = std::make_unique<TEditorDataSet>(ValedData);
}

TForm1::~TForm1() = default;

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
    // Tab order: load, perform, scaling, new data.
    setTabOrder(BButLoadData, BButPerformPCA);
    setTabOrder(BButPerformPCA, RGScaling);
    setTabOrder(RGScaling, BButNewData);

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
    KXScores = new TPlotPreview;
    KXLoadings = new TPlotPreview;
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
    ValedData->SetSuppressPaint(true);
    NewData(*FDataSet);
    ValedData->SetSuppressPaint(false);
}

void TForm1::BButLoadDataClick()
{
    PageControl1->setCurrentWidget(TSData);
    ODiag1->FileName = QStringLiteral("*.asc");
    if (ODiag1->Execute()) LoadDataFile(ODiag1->FileName);
}

void TForm1::LoadDataFile(const QString& FileName)
{
    ValedData->DataTable()->LoadFromASCFile(FileName);
}

void TForm1::BButPerformPCAClick()
{
    if (PageControl1->currentWidget() == TSData) PageControl1->setCurrentWidget(TSScores);
    TPCAPoints result;
    if (!PerformPCA(*FDataSet, RGScaling->ItemIndex(), *Mean, *StdDev, result)) {
        MessageDlg(PCAFailureMessage, mtInformation, mbOK, 0);
        return;
    }
    ShowPlots(result);
}

void TForm1::ShowPlots(const TPCAPoints& Result)
{
    const QString scaling = RGScaling->SelectedText();
    std::vector<TPlotPoint> scores, loadings;
    for (const TScorePoint& s : Result.Scores) scores.push_back({s.X, s.Y, s.Color, QString()});
    KXScores->SetPlot(QStringLiteral("Score/Score Plot - ") + scaling, QStringLiteral("PC 1"),
                      QStringLiteral("PC 2"), std::move(scores), false);
    for (const TLoadingPoint& l : Result.Loadings) loadings.push_back({l.X, l.Y, 8388608, l.Label});
    KXLoadings->SetPlot(QStringLiteral("Loading/Loading Plot - ") + scaling, QStringLiteral("PC 1"),
                        QStringLiteral("PC 2"), std::move(loadings), true);
}
