// The Qt drawing surface: what a line does to the pixels, what survives, and that
// skipping repeated lines never changes the picture.
#include "Errors.h"
#include "Picture.h"
#include "QtCanvas.h"

#include <QLineEdit>
#include <QWidget>
#include <QtTest>

#include <random>

using namespace lumetra;

namespace {
constexpr QRgb bg = 0xFFE6E6E6u;
constexpr QRgb black = 0xFF000000u;
constexpr QRgb red = 0xFFFF0000u;

QRgb at(const Picture& p, int x, int y)
{
    return p.image().pixel(x, y);
}
} // namespace

class PictureTest : public QObject {
    Q_OBJECT

private slots:
    void horizontalLineCoversItsPixelRow()
    {
        Picture p(QSize(100, 100), 1.0, bg);
        p.drawLine(150, 300, 750, 300, red); // pixels 10…50 on row 20
        QCOMPARE(at(p, 10, 20), red);
        QCOMPARE(at(p, 50, 20), red);
        QCOMPARE(at(p, 9, 20), bg);
        QCOMPARE(at(p, 51, 20), bg);
        QCOMPARE(at(p, 30, 19), bg);
        QCOMPARE(at(p, 30, 21), bg);
    }

    void thickLinesAreWiderWithRoundedEnds()
    {
        Picture p(QSize(100, 100), 1.0, bg);
        p.setWidth(3);
        p.drawLine(300, 300, 600, 300, red);
        for (int y : {19, 20, 21})
            QCOMPARE(at(p, 30, y), red);
        QCOMPARE(at(p, 30, 22), bg);
        QCOMPARE(at(p, 19, 20), red); // the end reaches past the end point
        p.setWidth(4);
        p.drawLine(900, 150, 900, 1200, black); // vertical, 4 wide
        int wide = 0;
        for (int x = 55; x < 65; ++x)
            wide += at(p, x, 40) == black;
        QCOMPARE(wide, 4);
        QCOMPARE(at(p, 58, 8), bg); // corner left out: round end
    }

    void slantedLineIsConnected()
    {
        Picture p(QSize(200, 200), 1.0, bg);
        p.drawLine(0, 0, 1500, 750, black); // 100 × 50 pixels
        for (int x = 0; x <= 100; ++x) {
            int hits = 0;
            for (int y = 0; y <= 50; ++y)
                hits += at(p, x, y) == black;
            QVERIFY2(hits >= 1, qPrintable(QString::number(x)));
        }
    }

    void highDpiDrawsAtDevicePixels()
    {
        Picture p(QSize(100, 100), 2.0, bg);
        QCOMPARE(p.image().size(), QSize(200, 200));
        QCOMPARE(p.image().deviceIndependentSize(), QSizeF(100, 100));
        p.drawLine(150, 300, 750, 300, red); // one logical pixel thick: two device rows
        QCOMPARE(at(p, 30, 40), red);
        QCOMPARE(at(p, 30, 41), red);
        QCOMPARE(at(p, 30, 42), bg);
    }

    void growingKeepsThePicture()
    {
        Picture p(QSize(50, 50), 1.0, bg);
        p.drawLine(0, 150, 600, 150, red);
        p.ensureSize(QSize(40, 40)); // never shrinks
        QCOMPARE(p.image().size(), QSize(50, 50));
        p.ensureSize(QSize(120, 80));
        QCOMPARE(p.image().size(), QSize(120, 80));
        QCOMPARE(at(p, 20, 10), red);
        QCOMPARE(at(p, 100, 70), bg);
    }

    void linesFarOutsideAreClippedNotHung()
    {
        Picture p(QSize(100, 100), 1.0, bg);
        p.drawLine(-3e38f, 300, 3e38f, 300, red);
        QCOMPARE(at(p, 0, 20), red);
        QCOMPARE(at(p, 99, 20), red);
        p.drawLine(1e30f, 1e30f, 2e30f, 2e30f, red);
        p.drawLine(-1e9f, -1e9f, 1e9f, 1e9f, black);
        QCOMPARE(at(p, 50, 50), black);
    }

    void repeatsAreSkippedOnlyWhenTheyChangeNothing()
    {
        Picture p(QSize(100, 100), 1.0, bg);
        p.drawLine(0, 0, 900, 600, black);
        p.drawLine(0, 0, 900, 600, black);
        QCOMPARE(p.linesSkipped(), 1u);
        // another colour over it: the repeat must be drawn again
        p.drawLine(0, 300, 1500, 300, red);
        const QImage crossed = p.image().copy();
        p.drawLine(0, 0, 900, 600, black);
        QCOMPARE(p.linesSkipped(), 1u);
        QVERIFY(p.image() != crossed);
        // the same colour elsewhere does not stop the skipping
        p.drawLine(1200, 1200, 1400, 1400, black);
        p.drawLine(0, 0, 900, 600, black);
        QCOMPARE(p.linesSkipped(), 2u);
    }

    void skippingGivesTheSamePixelsAsDrawingEverything()
    {
        // random lines from a few repeating ones, in a few colours and widths
        std::mt19937 gen(7);
        std::uniform_int_distribution<int> coord(-200, 1700), pick(0, 11), colour(0, 2), width(1, 4);
        std::vector<std::array<float, 4>> lines;
        for (int i = 0; i < 12; ++i)
            lines.push_back({float(coord(gen)), float(coord(gen)), float(coord(gen)), float(coord(gen))});
        const QRgb colours[] = {black, red, bg};
        Picture skipping(QSize(100, 100), 1.0, bg);
        Picture reference(QSize(100, 100), 1.0, bg);
        for (int i = 0; i < 3000; ++i) {
            const auto& l = lines[static_cast<std::size_t>(pick(gen))];
            const QRgb c = colours[colour(gen) == 0 ? 1 : 0];
            const int w = i % 50 == 0 ? width(gen) : skipping.width();
            skipping.setWidth(w);
            skipping.drawLine(l[0], l[1], l[2], l[3], c);
            reference.setWidth(w);
            reference.drawLine(l[0], l[1], l[2], l[3], c);
            reference.imageForPainting(); // forgets every line drawn before: draws all
        }
        QVERIFY(skipping.linesSkipped() > 100);
        QCOMPARE(reference.linesSkipped(), 0u);
        QCOMPARE(skipping.image(), reference.image());
    }

    void canvasUsesTheWindowsTextBoxesAndColours()
    {
        QWidget window;
        auto* edit = new QLineEdit(&window);
        edit->setObjectName(QStringLiteral("nKmitočet"));
        Picture picture(QSize(100, 100), 1.0, bg);
        QtCanvas canvas(&window, picture);
        canvas.setLive(false);
        canvas.Text(Box::nKmitočet, "0.75");
        QCOMPARE(edit->text(), QStringLiteral("0.75"));
        edit->setText(QStringLiteral("Červená"));
        QCOMPARE(canvas.Text(Box::nKmitočet), std::string("Červená"));
        canvas.Visible(Box::nKmitočet, false);
        QVERIFY(edit->isHidden());
        QVERIFY_THROWS_EXCEPTION(Failure, canvas.Text(Box::nUhel)); // no such box in this window

        QCOMPARE(QtCanvas::toRgb(vb3DLight), threeDLightRgb);
        QCOMPARE(QtCanvas::toRgb(RGB(0, 192, 0)), qRgb(0, 192, 0));
        QVERIFY(qGray(threeDLightRgb) > 192 + 20); // visibly lighter than the glass grey
        QVERIFY_THROWS_EXCEPTION(Failure, QtCanvas::toRgb(0x80000005u));
        QVERIFY_THROWS_EXCEPTION(Failure, canvas.DrawWidth(0));
        canvas.DrawWidth(3);
        canvas.Line(0, 300, 1500, 300, vb3DLight);
        canvas.Line(0, 600, 1500, 600);
        QCOMPARE(at(picture, 50, 40), black);
        QVERIFY_THROWS_EXCEPTION(Overflow, canvas.Line(0, 0, std::numeric_limits<double>::infinity(), 0));
    }
};

QTEST_MAIN(PictureTest)
#include "PictureTest.moc"
