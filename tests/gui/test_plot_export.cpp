#include "PlotWindow.h"
#include "imageexport.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <map>

namespace {
QString Output(const QString& Program, const QStringList& Arguments)
{
    QProcess p;
    p.start(Program, Arguments);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The most common width of the red blobs (edges blended with white included): a lone mark.
int TypicalRedMarkWidth(const QImage& Page)
{
    const QImage img = Page.convertToFormat(QImage::Format_RGB32);
    const auto red = [&](QPoint p) {
        const QRgb c = img.pixel(p);
        return qRed(c) > 150 && qRed(c) - qGreen(c) > 60 && qRed(c) - qBlue(c) > 60;
    };
    QImage seen(img.size(), QImage::Format_Mono);
    seen.fill(0);
    std::map<int, int> widths;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            if (seen.pixelIndex(x, y) || !red({x, y})) continue;
            int lo = x, hi = x;
            std::vector<QPoint> todo{{x, y}};
            seen.setPixel(x, y, 1);
            while (!todo.empty()) {
                const QPoint p = todo.back();
                todo.pop_back();
                lo = std::min(lo, p.x()), hi = std::max(hi, p.x());
                for (QPoint d :
                     {QPoint(-1, -1), {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}})
                    if (img.valid(p + d) && !seen.pixelIndex(p + d) && red(p + d))
                        seen.setPixel(p + d, 1), todo.push_back(p + d);
            }
            ++widths[hi - lo + 1];
        }
    return std::max_element(widths.begin(), widths.end(),
                            [](auto A, auto B) { return A.second < B.second; })
        ->first;
}

// From the leftmost to the rightmost column that is dark over half the height: the plot frame.
double FrameSpanShare(const QImage& Page)
{
    int left = -1, right = -1;
    for (int x = 0; x < Page.width(); ++x) {
        int dark = 0;
        for (int y = 0; y < Page.height(); ++y) dark += qGray(Page.pixel(x, y)) < 90;
        if (dark > Page.height() / 2) right = x, left = left < 0 ? x : left;
    }
    return double(right - left) / Page.width();
}

constexpr int RenderDpi = 300;
constexpr double MarkAtRenderDpi = 7.0 / 96 * RenderDpi; // 1.85 mm, as 7 pixels on screen

class PlotExport : public PlotWindow {
  protected:
    QString File(const char* Name) const { return dir.filePath(QString::fromLatin1(Name)); }
    void CheckIrisPage(const QString& Pdf, const QString& PictureName)
    {
        const QString info = Output("pdfinfo", {Pdf});
        const auto size =
            QRegularExpression("Page size:\\s+([\\d.]+) x ([\\d.]+) pts \\(A4\\)").match(info);
        ASSERT_TRUE(info.contains(QRegularExpression("Pages:\\s+1\\n")) && size.hasMatch());
        EXPECT_GT(size.captured(1).toDouble(), size.captured(2).toDouble()); // landscape
        // At the screen's resolution for a person to compare, and finer for the measures.
        Output("pdftoppm",
               {"-r", "96", "-png", "-singlefile", Pdf, Pictures() + "/" + PictureName});
        Output("pdftoppm",
               {"-r", QString::number(RenderDpi), "-png", "-singlefile", Pdf, File("page")});
        const QImage page = QImage(File("page.png")).convertToFormat(QImage::Format_RGB32);
        EXPECT_GE(FrameSpanShare(page), 0.8);
        EXPECT_NEAR(TypicalRedMarkWidth(page), MarkAtRenderDpi, 0.2 * MarkAtRenderDpi);
        const QString text = Output("pdftotext", {Pdf, "-"});
        EXPECT_TRUE(text.contains("PC 1") && text.contains("Score/Score Plot - Covariance Matrix"));
        EXPECT_EQ(Output("pdfimages", {"-list", Pdf}).count('\n'), 2); // the heading: no picture
    }
    QTemporaryDir dir;
};
} // namespace

TEST_F(PlotExport, PrintFillsAnA4LandscapePageWithMarksAtTheirScreenSize)
{
    LoadAndPCA("iris.asc", 1);
    const QImage screen = Chart(pkScores)->Picture().copy();
    exports.PrintFile = File("printed.pdf");
    Choose(pkScores, {"Print..."});
    CheckIrisPage(exports.PrintFile, "plot_iris_printed_page");
    EXPECT_TRUE(screen.save(Pictures() + "/plot_iris_screen.png"));
    EXPECT_EQ(Chart(pkScores)->Picture(), screen); // the window's plot as before
}

TEST_F(PlotExport, SaveImageAsWritesPngSvgAndPdfByTheNamesSuffix)
{
    LoadAndPCA("iris.asc", 1);
    exports.FileName = File("scores.png");
    Choose(pkScores, {"Save Image As..."});
    EXPECT_EQ(QImage(exports.FileName).convertToFormat(QImage::Format_RGB32),
              Chart(pkScores)->Picture().convertToFormat(QImage::Format_RGB32));
    exports.FileName = File("scores.pdf");
    Choose(pkScores, {"Save Image As..."});
    CheckIrisPage(exports.FileName, "plot_saved_pdf_page");

    exports.FileName = File("scores.svg");
    Choose(pkScores, {"Save Image As..."});
    QFile svg(exports.FileName);
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&svg);
    QStringList texts, sizes;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            if (xml.name() == QStringLiteral("svg"))
                sizes << xml.attributes().value("width").toString()
                      << xml.attributes().value("height").toString();
            EXPECT_NE(xml.name(), QStringLiteral("image"));
            if (xml.name() == QStringLiteral("text")) texts << xml.readElementText().simplified();
        }
    EXPECT_FALSE(xml.hasError());
    const QSize screen = Chart(pkScores)->size(); // in millimetres at 96 pixels per inch
    EXPECT_EQ(sizes, (QStringList{QString::number(screen.width() * 25.4 / 96, 'f', 2) + "mm",
                                  QString::number(screen.height() * 25.4 / 96, 'f', 2) + "mm"}));
    EXPECT_TRUE(texts.contains("PC 1") && texts.contains("Score/Score Plot - Covariance Matrix"));
    for (const char* name : {"scores.png", "scores.pdf", "scores.svg"})
        QFile::remove(Pictures() + "/plot_saved_" + name),
            QFile::copy(File(name), Pictures() + "/plot_saved_" + name);

    exports.FileName = QStringLiteral("/nonexistent-folder/x.png");
    Choose(pkScores, {"Save Image As..."});
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_TRUE(dialogs.Messages[0].Text.contains("could not be written"));
}

TEST(ImageExport, FitToPageKeepsTheProportions)
{
    EXPECT_EQ(FitToPage({855, 560}, {1047, 720}), QSize(1047, 685));
    EXPECT_EQ(FitToPage({400, 600}, {1047, 720}), QSize(480, 720));
    EXPECT_EQ(FitToPage({0, 600}, {1047, 720}), QSize());
}
