#include "eigenvaluedialog.h"

#include "Clipboard.h"
#include "ZEV_kurvex.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const QStringList Headings = {QStringLiteral("Component"), QStringLiteral("Eigenvalue"),
                              QStringLiteral("% of Total"), QStringLiteral("Cumulative %")};
constexpr TColor BarColor = 0xE0B080; // light steel blue
constexpr TColor LineColor = 8388608; // navy, as the loadings

QStringList Cells(const TEigenvalueRow& Row)
{
    return {QString::number(Row.Component), QString::number(Row.Eigenvalue, 'g', 8),
            QString::number(Row.Percent, 'f', 2), QString::number(Row.Cumulative, 'f', 2)};
}
} // namespace

std::vector<TEigenvalueRow> EigenvalueRows(const TPCASnapshot& Data)
{
    std::vector<TEigenvalueRow> rows;
    double cumulative = 0;
    for (std::size_t k = 0; k < Data.Eigenvalues.size(); ++k) {
        cumulative += Data.PercentOfTotal[k];
        rows.push_back({int(k + 1), Data.Eigenvalues[k], Data.PercentOfTotal[k], cumulative});
    }
    return rows;
}

QString EigenvalueTableText(const TPCASnapshot& Data)
{
    QString text = Headings.join(QLatin1Char('\t')) + QStringLiteral("\r\n");
    for (const TEigenvalueRow& row : EigenvalueRows(Data))
        text += Cells(row).join(QLatin1Char('\t')) + QStringLiteral("\r\n");
    return text;
}

QString EmptyCellsNote(int Count)
{
    if (Count == 0)
        return QStringLiteral("No cell of the analysed block was empty or not a number.");
    return (Count == 1 ? QStringLiteral("1 cell of the analysed block was")
                       : QStringLiteral("%1 cells of the analysed block were").arg(Count)) +
           QStringLiteral(" empty or not a number and took part with the value stored in it.");
}

TEigenvalueDialog::TEigenvalueDialog(const TPCASnapshot& Data, QWidget* Parent)
    : QDialog(Parent), FData(Data), FTable(new QTableWidget(this)), FScree(new TKurvex(this))
{
    setWindowTitle(QStringLiteral("Eigenvalues"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FTable);
    layout->addWidget(FScree, 1);
    layout->addWidget(new QLabel(EmptyCellsNote(Data.EmptyOrNaNCells), this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* copy = buttons->addButton(QStringLiteral("Copy"), QDialogButtonBox::ActionRole);
    connect(copy, &QPushButton::clicked, this, [this] { CopyTable(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    FillTable();
    BuildScreePlot();
    // After the margins, which set the chart's own minimum.
    FScree->setMinimumSize(420, 260);
    resize(620, 600);
}

void TEigenvalueDialog::CopyTable()
{
    Clipboard().SetAsText(EigenvalueTableText(FData));
}

void TEigenvalueDialog::FillTable()
{
    const auto rows = EigenvalueRows(FData);
    FTable->setColumnCount(int(Headings.size()));
    FTable->setHorizontalHeaderLabels(Headings);
    FTable->setRowCount(int(rows.size()));
    FTable->verticalHeader()->hide();
    FTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int r = 0; r < int(rows.size()); ++r) {
        const QStringList cells = Cells(rows[std::size_t(r)]);
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            FTable->setItem(r, c, item);
        }
    }
    FTable->resizeColumnsToContents();
    FTable->setMinimumHeight(FTable->horizontalHeader()->height() +
                             FTable->rowHeight(0) * std::min(int(rows.size()), 6) + 4);
}

// Bars of the shares under the cumulative line, one layer in per cent.
void TEigenvalueDialog::BuildScreePlot()
{
    TKurvex& k = *FScree;
    k.SetMarginRight(20);
    k.SetMarginTop(24);
    k.SetMarginBottom(40);
    k.SetCaption(QStringLiteral("Scree Plot"));
    k.Scale1X()->SetCaption(QStringLiteral("Component"));
    k.Scale1X()->SetCaptionPosY(22);
    k.Scale1X()->SetDecPlaces(0);
    k.Scale1Y()->SetCaption(QStringLiteral("% of Total"));
    k.Scale1Y()->SetCaptionPosY(-16);
    k.Scale1Y()->SetCaptionAnchor(uaSclTopLft);
    k.Scale1Y()->SetCaptionAlignment(taLeftJustify);
    k.Scale2X()->SetVisible(false);
    k.Scale2Y()->SetVisible(false);
    const auto rows = EigenvalueRows(FData);
    k.OnBeforeRenderData = [this, rows](TObject*, TCanvas* C, int Top, int Left) {
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(BarColor);
        for (const TEigenvalueRow& row : rows) {
            int x0, y0, x1, y1;
            FScree->WorldToPixel(1, row.Component - 0.35, 0, x0, y0);
            FScree->WorldToPixel(1, row.Component + 0.35, row.Percent, x1, y1);
            C->FillRect(Rect(std::min(x0, x1) - Left, std::min(y0, y1) - Top,
                             std::max(x0, x1) - Left, std::max(y0, y1) - Top));
        }
    };
    k.SetDataColor(LineColor);
    for (const TEigenvalueRow& row : rows) {
        if (row.Component == 1)
            k.MoveTo(row.Component, row.Cumulative);
        else
            k.AddLine(row.Component - 1, rows[std::size_t(row.Component - 2)].Cumulative,
                      row.Component, row.Cumulative, 0);
        k.AddMark(row.Component, row.Cumulative, 16);
    }
    double low = 0;
    for (const TEigenvalueRow& row : rows) low = std::min(low, row.Percent);
    k.WriteLayerRange(1, 0.5, double(rows.size()) + 0.5, low, 105);
    k.SetAutoRedraw(true);
    k.ShowItems();
}
