#include "PlotWindow.h"
#include "imageexport.h"

#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QSvgRenderer>
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

bool Reddish(QRgb C)
{
    // Edges blended with the white background count too.
    return qRed(C) > 150 && qRed(C) - qGreen(C) > 60 && qRed(C) - qBlue(C) > 60;
}

// The most common width of the red blobs: a mark of class 2 standing alone.
int TypicalRedMarkWidth(const QImage& Image)
{
    const QImage img = Image.convertToFormat(QImage::Format_RGB32);
    std::vector<char> seen(std::size_t(img.width() * img.height()), 0);
    std::map<int, int> widths;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            if (seen[std::size_t(y * img.width() + x)] || !Reddish(img.pixel(x, y))) continue;
            int lo = x, hi = x;
            std::vector<QPoint> stack{{x, y}};
            seen[std::size_t(y * img.width() + x)] = 1;
            while (!stack.empty()) {
                const QPoint p = stack.back();
                stack.pop_back();
                lo = std::min(lo, p.x()), hi = std::max(hi, p.x());
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const QPoint q(p.x() + dx, p.y() + dy);
                        if (!img.valid(q) || seen[std::size_t(q.y() * img.width() + q.x())] ||
                            !Reddish(img.pixel(q)))
                            continue;
                        seen[std::size_t(q.y() * img.width() + q.x())] = 1;
                        stack.push_back(q);
                    }
            }
            ++widths[hi - lo + 1];
        }
    int best = 0, count = 0;
    for (auto [w, n] : widths)
        if (w > 3 && n > count) best = w, count = n;
    return best;
}

// Leftmost to rightmost column that is dark over half the picture's height: the plot frame.
double FrameSpanShare(const QImage& Image)
{
    const QImage img = Image.convertToFormat(QImage::Format_RGB32);
    int left = -1, right = -1;
    for (int x = 0; x < img.width(); ++x) {
        int dark = 0;
        for (int y = 0; y < img.height(); ++y) dark += qGray(img.pixel(x, y)) < 90;
        if (dark > img.height() / 2) {
            if (left < 0) left = x;
            right = x;
        }
    }
    return left < 0 ? 0 : double(right - left) / img.width();
}

constexpr double MarkMillimetres = 7 * 25.4 / 96; // 1.85 mm
constexpr int RenderDpi = 300;
const double MarkAtRenderDpi = MarkMillimetres / 25.4 * RenderDpi;

class PlotExport : public PlotWindow {
  protected:
    QString File(const char* Name) const { return dir.filePath(QString::fromLatin1(Name)); }
    // Page rendering at RenderDpi, also saved at screen resolution for a person to look at.
    QImage RenderPage(const QString& Pdf, const QString& PictureName)
    {
        Output("pdftoppm", {"-r", "96", "-png", "-singlefile", Pdf, Pictures() + "/" + PictureName});
        Output("pdftoppm", {"-r", QString::number(RenderDpi), "-png", "-singlefile", Pdf,
                         dir.filePath("page")});
        return QImage(dir.filePath("page.png"));
    }
    void CheckIrisPage(const QString& Pdf, const QString& PictureName)
    {
        const QString info = Output("pdfinfo", {Pdf});
        EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+1\\n"))) << info.toStdString();
        const auto size = QRegularExpression("Page size:\\s+([\\d.]+) x ([\\d.]+) pts \\(A4\\)").match(info);
        ASSERT_TRUE(size.hasMatch()) << info.toStdString();
        EXPECT_GT(size.captured(1).toDouble(), size.captured(2).toDouble()); // landscape
        const QImage page = RenderPage(Pdf, PictureName);
        ASSERT_FALSE(page.isNull());
        EXPECT_GE(FrameSpanShare(page), 0.8);
        EXPECT_NEAR(TypicalRedMarkWidth(page), MarkAtRenderDpi, 0.2 * MarkAtRenderDpi);
        const QString text = Output("pdftotext", {Pdf, "-"});
        EXPECT_TRUE(text.contains("PC 1"));
        EXPECT_TRUE(text.contains("Score/Score Plot - Covariance Matrix"));
        // Vectors and text only: no picture in the file.
        EXPECT_EQ(Output("pdfimages", {"-list", Pdf}).count('\n'), 2);
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
    ShowPage(pkScores);
    EXPECT_TRUE(screen.save(Pictures() + "/plot_iris_screen.png"));
    // The window shows its plot as before.
    EXPECT_EQ(Chart(pkScores)->Picture(), screen);

    exports.PrintFile.clear(); // cancelled: nothing printed
    Choose(pkScores, {"Print..."});
    EXPECT_EQ(exports.Asked, 2);
}

TEST_F(PlotExport, SaveImageAsWritesPngSvgAndPdfByTheNamesSuffix)
{
    LoadAndPCA("iris.asc", 1);
    exports.FileName = File("scores.png");
    Choose(pkScores, {"Save Image As..."});
    EXPECT_EQ(QImage(exports.FileName).convertToFormat(QImage::Format_RGB32),
              Chart(pkScores)->Picture().convertToFormat(QImage::Format_RGB32));
    QFile::copy(exports.FileName, Pictures() + "/plot_saved.png");

    exports.FileName = File("scores.pdf");
    Choose(pkScores, {"Save Image As..."});
    CheckIrisPage(exports.FileName, "plot_saved_pdf_page");
    QFile::remove(Pictures() + "/plot_saved.pdf");
    QFile::copy(exports.FileName, Pictures() + "/plot_saved.pdf");

    exports.FileName.clear(); // cancelled
    Choose(pkScores, {"Save Image As..."});
    exports.FileName = QStringLiteral("/nonexistent-folder/x.png");
    Choose(pkScores, {"Save Image As..."});
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_TRUE(dialogs.Messages[0].Text.contains("could not be written"));
}

TEST_F(PlotExport, SvgHasThePlotsPhysicalSizeTextsAndVectorMarks)
{
    LoadAndPCA("iris.asc", 1);
    exports.FileName = File("scores.svg");
    Choose(pkScores, {"Save Image As..."});
    QFile file(exports.FileName);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QStringList texts;
    int images = 0;
    double width = 0, height = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == QStringLiteral("svg")) {
            width = xml.attributes().value("width").toString().remove("mm").toDouble();
            height = xml.attributes().value("height").toString().remove("mm").toDouble();
        }
        images += xml.name() == QStringLiteral("image");
        if (xml.name() == QStringLiteral("text")) texts << xml.readElementText(QXmlStreamReader::IncludeChildElements).simplified();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    const QSize screen = Chart(pkScores)->size();
    EXPECT_NEAR(width, screen.width() * 25.4 / 96, 0.5);
    EXPECT_NEAR(height, screen.height() * 25.4 / 96, 0.5);
    EXPECT_EQ(images, 0);
    EXPECT_TRUE(texts.contains("PC 1")) << texts.join('|').toStdString();
    EXPECT_TRUE(texts.contains("Score/Score Plot - Covariance Matrix"));

    const double scale = double(RenderDpi) / 96;
    QImage rendered(screen * scale, QImage::Format_RGB32);
    rendered.fill(Qt::white);
    QPainter painter(&rendered);
    QSvgRenderer(exports.FileName).render(&painter);
    painter.end();
    EXPECT_NEAR(TypicalRedMarkWidth(rendered), MarkAtRenderDpi, 0.2 * MarkAtRenderDpi);
    QFile::remove(Pictures() + "/plot_saved.svg");
    QFile::copy(exports.FileName, Pictures() + "/plot_saved.svg");
}

TEST(ImageExport, FitToPageKeepsTheProportions)
{
    const struct {
        QSize Screen, Page, Expected;
    } cases[] = {
        {{855, 560}, {1047, 720}, {1047, 685}},
        {{400, 600}, {1047, 720}, {480, 720}},
        {{0, 600}, {1047, 720}, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(FitToPage(c.Screen, c.Page), c.Expected) << c.Screen.width();
}
