// The window on Qt's off-screen platform: layout, start-up, handlers, tab order and
// the error report.
#include "Application.h"
#include "Dialogs.h"
#include "Layout.h"
#include "Lumetrafrm.h"
#include "Picture.h"
#include "Errors.h"

#include <QClipboard>
#include <QGroupBox>
#include <QImageReader>
#include <QMenu>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QtTest>

using namespace lumetra;

namespace {
QString qs(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
// Acts on the next modal box as soon as it is up.
void whenModalShows(std::function<void(QWidget*)> act)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            act(box);
        }
    });
    poll->start(5);
}
// A shown window of that client size (a hidden one learns of its size only when shown).
void sized(Lumetrafrm& w, int width, int height)
{
    w.resize(width, height);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.size(), QSize(width, height));
}

// A window whose client area shows the design area at factor 1, 15 twips to a pixel.
void atFactorOne(Lumetrafrm& w)
{
    sized(w, 867, 600);
    QCOMPARE(w.placement().factor, 1.0);
}

QImage imageOf(Picture& p)
{
    return QImage(reinterpret_cast<const uchar*>(p.pixels()), p.width(), p.height(), p.width() * 4,
                  QImage::Format_RGB32)
        .copy();
}
} // namespace

class WindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Lumetrafrm> w;
    QStringList reports;

    QString text(const char* name) { return w->findChild<QLineEdit*>(QString::fromUtf8(name))->text(); }
    QWidget* widget(const char* name) { return w->findChild<QWidget*>(QString::fromUtf8(name)); }
    QRadioButton* option(const char* name) { return w->findChild<QRadioButton*>(QString::fromUtf8(name)); }
    void click(const char* name) { QTest::mouseClick(widget(name), Qt::LeftButton); }

private slots:
    void initTestCase() { app::prepareApplication(); }

    void init()
    {
        reports.clear();
        w = std::make_unique<Lumetrafrm>();
        w->setErrorReporter([this](const QString& m) { reports << m; });
    }
    void cleanup() { w.reset(); }

    void everyControlIsBuiltFromTheLayout()
    {
        atFactorOne(*w);
        for (const auto& c : window::controls) {
            QObject* o = w->findChild<QObject*>(qs(c.name));
            QVERIFY2(o, c.name.data());
            auto* widget = qobject_cast<QWidget*>(o);
            switch (c.kind) {
            case window::Kind::TextBox: QVERIFY(qobject_cast<QLineEdit*>(o)); break;
            case window::Kind::OptionButton: QVERIFY(qobject_cast<QRadioButton*>(o)); break;
            case window::Kind::Frame: QVERIFY(qobject_cast<QGroupBox*>(o)); break;
            case window::Kind::CommandButton: QVERIFY(qobject_cast<QPushButton*>(o)); break;
            case window::Kind::HScrollBar: QVERIFY(qobject_cast<QScrollBar*>(o)); break;
            case window::Kind::Label:
            case window::Kind::Line: QVERIFY(!widget); continue; // painted on the surface
            }
            QCOMPARE(widget->geometry(), QRect(qRound(c.left / 15.0), qRound(c.top / 15.0), qRound(c.width / 15.0),
                                               qRound(c.height / 15.0)));
            const QString expectedParent = c.container.empty() ? QStringLiteral("Lumetrafrm") : qs(c.container);
            QCOMPARE(widget->parentWidget()->objectName(), expectedParent);
            if (c.font) {
                QVERIFY2(widget->font().bold(), c.name.data());
                QCOMPARE(widget->font().pointSizeF(), window::faceOf(c).pointSize);
            } else {
                QVERIFY2(!widget->font().bold(), c.name.data());
            }
        }
        QCOMPARE(w->findChild<QPushButton*>("cmdKonec")->text(), QStringLiteral("Konec"));
        QCOMPARE(w->findChild<QGroupBox*>("frmUhel")->title(), QStringLiteral("Úhel dopadu"));
        QCOMPARE(w->findChild<QRadioButton*>("opČervená")->text(), QStringLiteral("Červená"));
        QCOMPARE(text("nStínítko"), QStringLiteral("Stinítko, pravděpodobnost"));
        QCOMPARE(text("nClona"), QStringLiteral("Clona se štěrbinou"));
        QCOMPARE(text("nLumetra"), QStringLiteral("Lumetra"));
        QVERIFY(w->windowTitle().startsWith(QStringLiteral("Lumetra - ")));
    }

    void fontsHaveFacesWithCzechLetters()
    {
        const QFontInfo serif(widget("cmdStart")->font());
        QVERIFY2(serif.family().contains(QStringLiteral("Liberation Serif")), qPrintable(serif.family()));
        const QFontInfo sans(w->findChild<QGroupBox*>("frmUhel")->font());
        QVERIFY2(sans.family().contains(QStringLiteral("Liberation Sans")), qPrintable(sans.family()));
        const QFontMetrics metrics(widget("nClona")->font());
        for (QChar c : QStringLiteral("ěščřžýáíéůúňťďČŘŠŽÚ"))
            QVERIFY(metrics.inFont(c));
    }

    void stackingPutsTheScrollBarOverItsPanel()
    {
        const QObjectList& children = w->children();
        auto position = [&](const char* name) { return children.indexOf(widget(name)); };
        // later children are drawn over earlier ones
        QVERIFY(position("HScroll1") > position("nPlonk"));
        QVERIFY(position("nIndex") > position("frmIndex"));
        QVERIFY(position("nKmitočet") > position("frmKmitočet"));
        QVERIFY(position("nVzduchSklo") > position("nSklo"));
        QVERIFY(position("nLumetra") > position("cmdStart"));
    }

    void startUpWritesTheDefaults()
    {
        QCOMPARE(text("nUhel"), QStringLiteral("45"));
        QCOMPARE(text("nIndex"), QStringLiteral("1.7"));
        QCOMPARE(text("nKmitočet"), QStringLiteral("0.75"));
        QCOMPARE(text("nBarva"), QStringLiteral("Zelená"));
        QCOMPARE(text("nSpomalení"), QStringLiteral("1"));
        QCOMPARE(text("nKlepnuto"), QStringLiteral("0"));
        QCOMPARE(text("nMaže"), QStringLiteral("0"));
        for (const char* selected : {"opUhel45", "opSklo", "opZelená", "opRychlá"})
            QVERIFY2(option(selected)->isChecked(), selected);
        for (const char* other : {"opUhel90", "opVzduch", "opČervená", "opModrá", "opPomalejší", "opPomalá"})
            QVERIFY2(!option(other)->isChecked(), other);
        QCOMPARE(w->findChild<QScrollBar*>("HScroll1")->value(), 1);
    }

    void startUpShowsOnlyWhatItShould()
    {
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QVERIFY(widget("nVzduch")->isVisible());
        QVERIFY(widget("nSklo")->isVisible());
        for (const char* hidden : {"nVzduchSklo", "nClona", "nStínítko", "nSpektrum", "nSoučet", "frmAnimace",
                                   "opRychlá", "nUhel", "nSpomalení", "nKlepnuto", "nMaže", "nBarva"})
            QVERIFY2(!widget(hidden)->isVisible(), hidden);
        for (const char* shown : {"frmUhel", "frmIndex", "frmKmitočet", "nIndex", "nKmitočet", "nLumetra", "cmdStart",
                                  "cmdKonec", "HScroll1", "nPlonk"})
            QVERIFY2(widget(shown)->isVisible(), shown);
    }

    void focusStartsOnStartAndTabSkipsHiddenControls()
    {
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QCOMPARE(QApplication::focusWidget(), widget("cmdStart"));
        QStringList walk;
        for (int i = 0; i < 15; ++i) {
            walk << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        // radio buttons of one group take the focus once, at the selected one; the blank
        // panel is no stop; the picture is one after the scroll bar, for its inspector
        const QStringList expected{"cmdStart", "nLumetra", "opUhel45", "opSklo",  "opZelená", "nSklo",
                                   "nVzduch",  "cmdKonec", "nKmitočet", "nIndex", "HScroll1", "picture",
                                   "cmdStart", "nLumetra", "opUhel45"};
        QCOMPARE(walk, expected);

        // within a group the arrow keys move the selection
        widget("opUhel45")->setFocus();
        QTest::keyClick(widget("opUhel45"), Qt::Key_Down);
        QVERIFY(option("opUhel90")->isChecked());
        QCOMPARE(text("nUhel"), QStringLiteral("90"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), widget("opSklo"));
    }

    void optionHandlersWriteTheirSettings()
    {
        click("opUhel90");
        QCOMPARE(text("nUhel"), QStringLiteral("90"));
        click("opUhel45");
        QCOMPARE(text("nUhel"), QStringLiteral("45"));
        click("opČervená");
        QCOMPARE(text("nKmitočet"), QStringLiteral("0.5"));
        QCOMPARE(text("nBarva"), QStringLiteral("Červená"));
        click("opModrá");
        QCOMPARE(text("nKmitočet"), QStringLiteral("1"));
        QCOMPARE(text("nBarva"), QStringLiteral("Modrá"));
        click("opZelená");
        QCOMPARE(text("nKmitočet"), QStringLiteral("0.75"));
        // the hidden speed buttons, selected from the program
        option("opPomalá")->setChecked(true);
        QCOMPARE(text("nSpomalení"), QStringLiteral("20000"));
        option("opPomalejší")->setChecked(true);
        QCOMPARE(text("nSpomalení"), QStringLiteral("10000"));
    }

    void mediumHandlersSwitchTheLegendsAndRaiseTheFlag()
    {
        w->show();
        click("opVzduch");
        QCOMPARE(text("nIndex"), QStringLiteral("1"));
        QCOMPARE(text("nKlepnuto"), QStringLiteral("1"));
        QVERIFY(widget("nVzduchSklo")->isVisible());
        QVERIFY(!widget("nSklo")->isVisible());
        click("opSklo");
        QCOMPARE(text("nIndex"), QStringLiteral("1.7"));
        QCOMPARE(text("nKlepnuto"), QStringLiteral("1")); // glass as before, but still a change
        QVERIFY(!widget("nVzduchSklo")->isVisible());
        QVERIFY(widget("nSklo")->isVisible());
    }

    void scrollBarCopiesItsValue()
    {
        auto* bar = w->findChild<QScrollBar*>("HScroll1");
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(bar->value(), 2);
        QCOMPARE(text("nSpomalení"), QStringLiteral("2"));
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(bar->value(), 3);
        bar->setValue(20000);
        QCOMPARE(text("nSpomalení"), QStringLiteral("20000"));
        bar->setValue(30000);
        QCOMPARE(text("nSpomalení"), QStringLiteral("20000"));
        bar->setValue(1);
        QCOMPARE(text("nSpomalení"), QStringLiteral("1"));
        QVERIFY(option("opRychlá")->isChecked());
    }

    void runShowsTheLegendsAndAsksOnTheSecondRun()
    {
        QStringList asked;
        w->setQuestionHandler([&](const std::string& prompt) {
            asked << QString::fromStdString(prompt);
            return vbNo;
        });
        click("cmdStart");
        QVERIFY(reports.isEmpty());
        QVERIFY(asked.isEmpty());
        QCOMPARE(text("nMaže"), QStringLiteral("1"));
        for (const char* legend : {"nClona", "nStínítko", "nSpektrum", "nSoučet", "nVzduch", "nSklo"})
            QVERIFY2(!widget(legend)->isHidden(), legend);
        click("cmdStart");
        QCOMPARE(asked, QStringList{QStringLiteral("Vyčistit celou obrazovku (Ano), jinak jen radiusvektory (Ne)?")});
        QVERIFY(reports.isEmpty());
    }

    void failingHandlerShowsTheReportAndTheProgramGoesOn()
    {
        w->findChild<QLineEdit*>("nKmitočet")->setText(QStringLiteral("abc"));
        click("cmdStart");
        QCOMPARE(reports.size(), 1);
        QVERIFY2(reports[0].contains(QStringLiteral("„abc“")), qPrintable(reports[0]));
        QVERIFY2(reports[0].contains(QStringLiteral("nKmitočet")), qPrintable(reports[0]));
        QCOMPARE(text("nMaže"), QStringLiteral("0"));
        QVERIFY(!w->isRunning());
        QVERIFY(widget("nClona")->isHidden());

        // the window still works, and the next run with a sane text completes
        click("opČervená");
        QCOMPARE(text("nKmitočet"), QStringLiteral("0.5"));
        click("cmdStart");
        QCOMPARE(reports.size(), 1);
        QVERIFY(!widget("nClona")->isHidden());
    }

    void errorReportIsAModalBoxTitledLumetra()
    {
        whenModalShows([](QWidget* box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("Lumetra"));
            auto* ok = box->findChild<QPushButton*>();
            QVERIFY(ok);
            QCOMPARE(ok->text(), QStringLiteral("OK"));
            ok->click();
        });
        app::showErrorReport(w.get(), QStringLiteral("Text „abc“ není číslo."));
    }

    void questionBoxHasAnoAndNe()
    {
        int answer = 0;
        whenModalShows([](QWidget* box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("Lumetra"));
            auto* yes = box->findChild<QPushButton*>(QStringLiteral("Ano"));
            auto* no = box->findChild<QPushButton*>(QStringLiteral("Ne"));
            QVERIFY(yes && no);
            QCOMPARE(yes->text(), QStringLiteral("Ano"));
            QVERIFY(yes->isDefault());
            no->click();
        });
        answer = w->canvas().MsgBox("Vyčistit celou obrazovku (Ano), jinak jen radiusvektory (Ne)?");
        QCOMPARE(answer, vbNo);
    }

    // Runs Start in a fresh window after `prepare`, answering Ano to the question.
    QImage pictureAfter(const std::function<void(Lumetrafrm&)>& prepare, int starts)
    {
        Lumetrafrm window;
        atFactorOne(window);
        window.setErrorReporter([](const QString&) {});
        window.setQuestionHandler([](const std::string&) { return vbYes; });
        prepare(window);
        for (int i = 0; i < starts; ++i)
            QTest::mouseClick(window.findChild<QWidget*>("cmdStart"), Qt::LeftButton);
        return imageOf(window.picture());
    }

    // The drawing area up to x = 13000 and y = 9000 twips, less the photon strip whose
    // dots follow the generator.
    static bool samePictures(const QImage& a, const QImage& b)
    {
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 867; ++x)
                if ((x < 460 || x > 575) && a.pixel(x, y) != b.pixel(x, y))
                    return false;
        return true;
    }

    void typedTextsNeverBreakTheWindow()
    {
        const QImage afterOneRun = pictureAfter([](Lumetrafrm&) {}, 1);
        const QImage afterTwoRuns = pictureAfter([](Lumetrafrm&) {}, 2);
        const QStringList texts{"", "   ", "abc", "1,7", "NaN", "inf", "-0", "0", "1e308", "-1e308", "1e-320",
                                QString(1000, '9'), QStringLiteral("\x01\x7f"), QStringLiteral("🙂"),
                                QStringLiteral("\u200f1.7\u200e"), QStringLiteral("١٫٧")};
        for (const char* box : {"nIndex", "nKmitočet"}) {
            for (const QString& typed : texts) {
                const QString where = QString::fromUtf8(box) + " = [" + typed + "]";
                QStringList seen;
                Lumetrafrm window;
                atFactorOne(window);
                window.setErrorReporter([&](const QString& m) { seen << m; });
                window.setQuestionHandler([](const std::string&) { return vbYes; });
                auto* edit = window.findChild<QLineEdit*>(QString::fromUtf8(box));
                edit->setText(typed);
                QTest::mouseClick(window.findChild<QWidget*>("cmdStart"), Qt::LeftButton);
                QVERIFY2(seen.size() <= 1, qPrintable(where));
                QVERIFY(!window.isRunning());
                if (!seen.isEmpty())
                    QVERIFY2(seen[0].contains(QStringLiteral("není číslo")) || seen[0].contains(QStringLiteral("Přetečení")),
                             qPrintable(where + ": " + seen[0]));
                const bool askedNext = window.findChild<QLineEdit*>("nMaže")->text() == QStringLiteral("1");

                // back to what the options write: the next run draws as usual
                edit->setText(QString::fromUtf8(box) == QStringLiteral("nIndex") ? QStringLiteral("1.7")
                                                                                 : QStringLiteral("0.75"));
                QTest::mouseClick(window.findChild<QWidget*>("cmdStart"), Qt::LeftButton);
                QCOMPARE(seen.size(), seen.isEmpty() ? 0 : 1);
                QVERIFY2(!window.findChild<QWidget*>("nClona")->isHidden(), qPrintable(where));
                QVERIFY2(samePictures(imageOf(window.picture()), askedNext ? afterTwoRuns : afterOneRun),
                         qPrintable(where));
            }
        }
    }

    void canvasUsesTheWindowsTextBoxesAndColours()
    {
        auto& canvas = w->canvas();
        auto* edit = w->findChild<QLineEdit*>("nKmitočet");
        canvas.Text(Box::nKmitočet, "0.75");
        QCOMPARE(edit->text(), QStringLiteral("0.75"));
        edit->setText(QStringLiteral("Červená"));
        QCOMPARE(canvas.Text(Box::nKmitočet), std::string("Červená"));
        canvas.Visible(Box::nKmitočet, false);
        QVERIFY(edit->isHidden());
        delete widget("nUhel");
        canvas.forgetTexts(); // as a new handler does
        QVERIFY_THROWS_EXCEPTION(Failure, canvas.Text(Box::nUhel)); // no such box in this window

        QCOMPARE(PictureCanvas::toPixel(vb3DLight), threeDLightPixel);
        QCOMPARE(PictureCanvas::toPixel(RGB(0, 192, 0)), qRgb(0, 192, 0));
        QVERIFY(qGray(threeDLightPixel) > 192 + 20); // visibly lighter than the glass grey
        QVERIFY_THROWS_EXCEPTION(Failure, PictureCanvas::toPixel(0x80000005u));
        QVERIFY_THROWS_EXCEPTION(Failure, canvas.DrawWidth(0));
        QVERIFY_THROWS_EXCEPTION(Overflow, canvas.Line(0, 0, std::numeric_limits<double>::infinity(), 0));
    }

    void everythingFollowsOneFactor()
    {
        sized(*w, 1920, 1061); // maximized on a full-HD screen: the height decides
        const double f = 1061 / 600.0;
        QCOMPARE(w->placement().factor, f);
        const auto scaled = [f](int twips) { return qRound(twips * f / 15); };
        QCOMPARE(widget("cmdStart")->geometry(),
                 QRect(193 + scaled(8280), scaled(120), scaled(1095), scaled(375)));
        QCOMPARE(widget("opZelená")->geometry(), QRect(scaled(360), scaled(480), scaled(975), scaled(255)));
        QCOMPARE(widget("cmdStart")->font().pointSizeF(), 14.25 * f);
        QCOMPARE(widget("opZelená")->font().pointSizeF(), 8.25 * f);
        QCOMPARE(w->designRect(), QRect(193, 0, qRound(13000 * f / 15), 1061));
        QCOMPARE(w->picture().width(), static_cast<int>(std::floor(13000 * f / 15)) + 1);

        w->resize(300, 200); // too small: the factor stops at a half and the window cuts off
        QCOMPARE(w->placement().factor, 0.5);
        QCOMPARE(widget("cmdStart")->geometry().topLeft(), QPoint(qRound(8280 / 30.0), qRound(120 / 30.0)));
    }

    void barsAtAnyFactorShowOnlyTheColoursDrawn()
    {
        sized(*w, 1534, 1062); // factor 1.77
        QVERIFY(std::fabs(w->placement().factor - 1.77) < 1e-3);
        w->setQuestionHandler([](const std::string&) { return vbYes; });
        click("cmdStart");
        const QImage shown = w->shownImage();
        QCOMPARE(shown.size(), w->designRect().size() * w->devicePixelRatioF());
        const QSet<QRgb> drawn{qRgb(0, 192, 0), qRgb(192, 192, 192), qRgb(0, 0, 0)};
        QSet<QRgb> seen;
        int barPixels = 0;
        const double f = w->placement().factor / 15 * w->devicePixelRatioF();
        for (int y = qRound(1100 * f); y < qRound(7900 * f); ++y)
            for (int x = qRound(5020 * f); x < qRound(6950 * f); ++x) {
                const QRgb p = shown.pixel(x, y) | 0xFF000000u;
                seen.insert(p);
                barPixels += p == qRgb(0, 192, 0);
            }
        QVERIFY2(barPixels > 20000, qPrintable(QString::number(barPixels)));
        QVERIFY2((seen - drawn).isEmpty(), qPrintable(QString::number((seen - drawn).size()) + " blended colours"));
    }

    void resizeDuringARunLeavesThePictureWhole()
    {
        atFactorOne(*w);
        w->findChild<QLineEdit*>("nSpomalení")->setText(QStringLiteral("200"));
        bool resizedDuringRun = false;
        QTimer::singleShot(150, [&] {
            resizedDuringRun = w->isRunning();
            w->resize(1100, 800);
        });
        click("cmdStart");
        QVERIFY(resizedDuringRun);
        QTest::qWait(50); // the paint that follows the resize
        QCOMPARE(w->placement().factor, 1100 / (13000 / 15.0));

        Lumetrafrm direct;
        sized(direct, 1100, 800);
        QTest::mouseClick(direct.findChild<QWidget*>("cmdStart"), Qt::LeftButton);
        const QImage a = imageOf(w->picture()), b = imageOf(direct.picture());
        QCOMPARE(a.size(), b.size());
        int differing = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                differing += a.pixel(x, y) != b.pixel(x, y);
        QVERIFY2(differing <= a.width() * a.height() / 1000, qPrintable(QString::number(differing)));
    }

    void copyAndSaveTakeTheDesignAreaAsShown()
    {
        sized(*w, 1100, 800);
        click("cmdStart");
        const QSize expected = w->designRect().size() * w->devicePixelRatioF();
        QCOMPARE(expected.width(), 1100);

        w->copyPicture();
        QCOMPARE(QApplication::clipboard()->image().size(), expected);

        QTemporaryDir dir;
        QString proposed;
        w->setSaveFileChooser([&](const QString& p) {
            proposed = p;
            return dir.filePath(QStringLiteral("spirály"));
        });
        QTest::keyClick(w.get(), Qt::Key_S, Qt::ControlModifier);
        QVERIFY2(reports.isEmpty(), qPrintable(reports.join('\n')));
        QVERIFY2(QRegularExpression(QStringLiteral("/lumetra-\\d{4}-\\d\\d-\\d\\d-\\d{6}\\.png$")).match(proposed).hasMatch(),
                 qPrintable(proposed));
        QImageReader png(dir.filePath(QStringLiteral("spirály.png")));
        QCOMPARE(png.format(), QByteArray("png"));
        QCOMPARE(png.size(), expected);

        // a folder that cannot be written: the report, and no file, not even a part of one
        for (const QString& target : {dir.filePath(QStringLiteral("chybí/obrázek.png")), QStringLiteral("/proc/lumetra.png")}) {
            reports.clear();
            w->setSaveFileChooser([&](const QString&) { return target; });
            QTest::keyClick(w.get(), Qt::Key_S, Qt::ControlModifier);
            QCOMPARE(reports.size(), 1);
            QVERIFY2(reports[0].contains(QStringLiteral("Obrázek nelze uložit")), qPrintable(reports[0]));
            QVERIFY(!QFileInfo::exists(target));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("spirály.png")});
    }

    void contextMenuOnlyOnTheDrawingArea()
    {
        atFactorOne(*w);
        QStringList entries;
        QTimer::singleShot(50, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (QAction* a : menu->actions())
                    if (!a->isSeparator())
                        entries << a->text() + ' ' + a->shortcut().toString();
                menu->close();
            }
        });
        QContextMenuEvent onPicture(QContextMenuEvent::Mouse, QPoint(600, 400), w->mapToGlobal(QPoint(600, 400)));
        QApplication::sendEvent(w.get(), &onPicture);
        QCOMPARE(entries, (QStringList{QStringLiteral("Kopírovat obrázek Ctrl+C"), QStringLiteral("Uložit obrázek… Ctrl+S"),
                                       QStringLiteral("Přehrát průběh P"), QStringLiteral("Celá obrazovka F11")}));
        QContextMenuEvent onButton(QContextMenuEvent::Mouse, QPoint(5, 5), w->mapToGlobal(widget("cmdStart")->geometry().center()));
        QApplication::sendEvent(widget("cmdStart"), &onButton);
        QVERIFY(!QApplication::activePopupWidget());
    }

    void theInspectorLeavesThePictureAndItsCopiesAlone()
    {
        atFactorOne(*w);
        click("cmdStart");
        const QImage picture = imageOf(w->picture());
        const QImage shown = w->shownImage();
        QWidget* view = widget("picture");
        QWidget* panel = widget("inspector");
        QTest::mouseMove(view, QPoint(5600 / 15, 4500 / 15));
        QTRY_VERIFY(panel->isVisible());
        QCOMPARE(w->model().inspector().point(), 3500);
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(5600 / 15, 4500 / 15));
        QVERIFY(w->model().inspector().pinned());
        QVERIFY(view->accessibleDescription().startsWith(QStringLiteral("Bod 3\u00a0500: pravděpodobnost")));
        QCOMPARE(imageOf(w->picture()), picture);
        QCOMPARE(w->shownImage(), shown); // copied and saved without the panel
        QVERIFY(panel->isVisible());
        QTest::keyClick(view, Qt::Key_Escape);
        QVERIFY(!panel->isVisible());
        QCOMPARE(imageOf(w->picture()), picture);
    }

    void closeDuringARunWaitsForItsEnd()
    {
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        bool closedDuringRun = false;
        w->findChild<QLineEdit*>("nSpomalení")->setText(QStringLiteral("200"));
        QTimer::singleShot(50, [&] {
            QVERIFY(w->isRunning());
            w->close();
            closedDuringRun = w->isVisible();
        });
        click("cmdStart");
        QVERIFY(closedDuringRun);
        QVERIFY(!w->isVisible());
    }
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
