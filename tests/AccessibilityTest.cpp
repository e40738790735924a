// The window as assistive technology and the keyboard meet it, on Qt's off-screen
// platform: names, roles and order in the accessibility tree, and every task done with
// keys alone.
#include "Application.h"
#include "Dialogs.h"
#include "Lumetrafrm.h"
#include "Tone.h"

#include <QAccessible>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace lumetra;

namespace {

QString roleName(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Button: return QStringLiteral("button");
    case QAccessible::EditableText: return QStringLiteral("text");
    case QAccessible::Grouping: return QStringLiteral("group");
    case QAccessible::RadioButton: return QStringLiteral("radio");
    case QAccessible::ScrollBar: return QStringLiteral("scroll bar");
    case QAccessible::Graphic: return QStringLiteral("image");
    default: return QStringLiteral("role %1").arg(role);
    }
}

// The shown part of the tree under `node`, depth first: "role name", indented by depth.
void walk(QAccessibleInterface* node, int depth, QStringList& out)
{
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        QVERIFY(child);
        QCOMPARE(node->indexOfChild(child), i);
        QCOMPARE(child->parent()->object(), node->object());
        if (child->state().invisible)
            continue;
        out << QString(depth * 2, ' ') + roleName(child->role()) + ' ' + child->text(QAccessible::Name);
        walk(child, depth + 1, out);
    }
}

// Where the keyboard's input goes: the open menu or box, else the focus.
QWidget* keyboardTarget()
{
    const auto target = [] {
        QWidget* to = QApplication::activePopupWidget();
        if (QWidget* box = QApplication::activeModalWidget(); !to && box)
            to = box->focusWidget() ? box->focusWidget() : box;
        return to ? to : QApplication::focusWidget();
    };
    if (!target()) {
        // a window manager gives the window back its focus when a box closes; the
        // off-screen platform does not, so it is asked for
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->isVisible() && top->objectName() == QStringLiteral("Lumetrafrm"))
                top->activateWindow();
        for (int i = 0; i < 200 && !target(); ++i)
            QTest::qWait(10);
    }
    return target();
}

void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* to = keyboardTarget();
    QVERIFY(to);
    QTest::keyClick(to, static_cast<Qt::Key>(key), modifiers);
}

// Does `keys` once the next modal box or menu is up (it runs its own loop meanwhile).
void onceUp(std::function<void()> keys)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, keys] {
        if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
            poll->stop();
            poll->deleteLater();
            keys();
        }
    });
    poll->start(5);
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Lumetrafrm> w;
    QStringList reports;

    QWidget* focus() { return keyboardTarget(); }
    // Tabs forward until the focus is on `name`; fails after a whole round.
    void tabTo(const char* name)
    {
        for (int i = 0; i < 20 && focus()->objectName() != QString::fromUtf8(name); ++i)
            press(Qt::Key_Tab);
        QCOMPARE(focus()->objectName(), QString::fromUtf8(name));
    }
    QString text(const char* name) { return w->findChild<QLineEdit*>(QString::fromUtf8(name))->text(); }

private slots:
    void initTestCase() { app::prepareApplication(); }
    void init()
    {
        reports.clear();
        w = std::make_unique<Lumetrafrm>();
        w->setErrorReporter([this](const QString& m) {
            reports << m;
            app::showErrorReport(w.get(), m);
        });
        w->resize(867, 600);
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }
    void cleanup() { w.reset(); }

    void treeNamesEachShownControlWithItsRoleInReadingOrder()
    {
        QAccessibleInterface* root = QAccessible::queryAccessibleInterface(w.get());
        QStringList tree;
        walk(root, 0, tree);
        const QStringList expected{
            "button Start",
            "text Lumetra",
            "group Úhel dopadu",
            "  radio 45",
            "  radio 90",
            "group Index lomu",
            "  radio Vzduch",
            "  radio Sklo",
            "group Kmitočet",
            "  radio Červená",
            "  radio Zelená",
            "  radio Modrá",
            "text Sklo",
            "text Vzduch",
            "button Konec",
            "text Kmitočet",
            "text Index lomu",
            "scroll bar Zpomalení animace",
            "image Obrázek výpočtu",
        };
        QCOMPARE(tree, expected);

        // the value boxes stay editable; the bar tells its range and value
        for (const char* box : {"nIndex", "nKmitočet", "nLumetra"}) {
            auto* iface = QAccessible::queryAccessibleInterface(w->findChild<QWidget*>(QString::fromUtf8(box)));
            QVERIFY2(!iface->state().readOnly, box);
            QVERIFY2(iface->textInterface() && iface->editableTextInterface(), box);
        }
        QCOMPARE(QAccessible::queryAccessibleInterface(w->findChild<QWidget*>("nIndex"))->text(QAccessible::Value),
                 QStringLiteral("1.7"));
        QAccessibleValueInterface* bar =
            QAccessible::queryAccessibleInterface(w->findChild<QWidget*>("HScroll1"))->valueInterface();
        QVERIFY(bar);
        QCOMPARE(bar->minimumValue().toInt(), 1);
        QCOMPARE(bar->maximumValue().toInt(), 20000);
        QCOMPARE(bar->currentValue().toInt(), 1);

        // the picture says what is on it: the label's request, then what the run showed
        QAccessibleInterface* picture = QAccessible::queryAccessibleInterface(w->findChild<QWidget*>("picture"));
        QCOMPARE(picture->text(QAccessible::Description), QStringLiteral("Klepněte na tlačítko Start"));
        w->setQuestionHandler([](const std::string&) { return vbYes; });
        w->handle("cmdStart");
        const QString said = picture->text(QAccessible::Description);
        QVERIFY2(said.contains(QStringLiteral("Barva Zelená, prostředí sklo")), qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("světl")), qPrintable(said));
        tree.clear();
        walk(root, 0, tree);
        for (const char* legend : {"text Clona se štěrbinou", "text Stinítko, pravděpodobnost", "text Cornuovy spirály",
                                   "text Spektrum"})
            QVERIFY2(tree.contains(QString::fromUtf8(legend)), legend);
    }

    void keyboardAloneDoesEveryTask()
    {
        QTemporaryDir dir;
        w->setSaveFileChooser([&](const QString&) { return dir.filePath(QStringLiteral("obrázek.png")); });
        std::vector<float> played;
        w->setTonePlayer([&](const std::vector<float>& samples, int) {
            played = samples;
            return true;
        });

        // every option, by Tab to its group and the arrow keys within it
        QCOMPARE(focus()->objectName(), QStringLiteral("cmdStart"));
        tabTo("opUhel45");
        press(Qt::Key_Down);
        QCOMPARE(text("nUhel"), QStringLiteral("90"));
        press(Qt::Key_Up);
        QCOMPARE(text("nUhel"), QStringLiteral("45"));
        tabTo("opSklo");
        press(Qt::Key_Up);
        QCOMPARE(text("nIndex"), QStringLiteral("1"));
        press(Qt::Key_Down);
        QCOMPARE(text("nIndex"), QStringLiteral("1.7"));
        tabTo("opZelená");
        press(Qt::Key_Up);
        QCOMPARE(text("nBarva"), QStringLiteral("Červená"));
        press(Qt::Key_Down);
        press(Qt::Key_Down);
        QCOMPARE(text("nBarva"), QStringLiteral("Modrá"));
        press(Qt::Key_Up);
        QCOMPARE(text("nBarva"), QStringLiteral("Zelená"));
        tabTo("HScroll1");
        press(Qt::Key_Down); // Qt's scroll bars step with the up and down keys, not left and right
        QCOMPARE(text("nSpomalení"), QStringLiteral("2"));
        press(Qt::Key_Up);
        QCOMPARE(text("nSpomalení"), QStringLiteral("1"));

        // a run from the keyboard, then the question answered either way by its keys
        tabTo("cmdStart");
        press(Qt::Key_Space);
        QVERIFY(w->model().lastRun());
        QStringList asked;
        for (int key : {Qt::Key_Return, Qt::Key_Escape}) { // Ano is the default, Ne the escape
            const long long before = w->model().lastRun()->dots;
            onceUp([&] {
                asked << QApplication::activeModalWidget()->findChild<QPushButton*>(QStringLiteral("Ano"))->text();
                press(key);
            });
            press(Qt::Key_Space);
            QCOMPARE(focus()->objectName(), QStringLiteral("cmdStart"));
            QCOMPARE(w->model().lastRun()->keptEarlier, key == Qt::Key_Escape);
            QVERIFY(w->model().lastRun()->dots == before); // the same settings, the same dots
        }
        QCOMPARE(asked.size(), 2);

        // the error report, dismissed by its key; the window goes on
        tabTo("nKmitočet");
        press(Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(focus(), QStringLiteral("abc"));
        tabTo("cmdStart");
        onceUp([] { press(Qt::Key_Return); }); // the report: the frequency fails before the question
        press(Qt::Key_Space);
        QVERIFY2(reports.size() == 1, qPrintable(reports.join('\n')));
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(!w->isRunning());
        tabTo("nKmitočet");
        press(Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(focus(), QStringLiteral("0.75"));
        tabTo("cmdStart"); // a failed run leaves nothing to play: one that ends well
        onceUp([] { press(Qt::Key_Return); });
        press(Qt::Key_Space);
        QVERIFY(w->model().lastRun());

        // the picture, a stop of its own
        tabTo("picture");

        // its menu from either menu key: copy, save, play
        QApplication::clipboard()->clear();
        onceUp([] { // the first entry: copy
            press(Qt::Key_Down);
            press(Qt::Key_Return);
        });
        press(Qt::Key_F10, Qt::ShiftModifier);
        QCOMPARE(QApplication::clipboard()->image().size(), w->shownImage().size());
        onceUp([] {
            press(Qt::Key_Down);
            press(Qt::Key_Down);
            press(Qt::Key_Return);
        });
        press(Qt::Key_Menu);
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("obrázek.png"))));
        onceUp([] {
            press(Qt::Key_Down);
            press(Qt::Key_Down);
            press(Qt::Key_Down);
            press(Qt::Key_Return);
        });
        press(Qt::Key_Menu);
        QVERIFY(played == window::toneOf(w->model().lastRun()->probability));
        QVERIFY(w->tonePlaying());
        press(Qt::Key_Escape);
        QVERIFY(!w->tonePlaying());

        // and P plays it while the picture has the focus, and only then
        played.clear();
        press(Qt::Key_P);
        QVERIFY(!played.empty());
        press(Qt::Key_Escape);
        tabTo("nIndex");
        played.clear();
        press(Qt::Key_P);
        QVERIFY(played.empty());
        QVERIFY(text("nIndex").contains('p')); // typed, as into any box
        QVERIFY(reports.size() == 1);
    }

    void withoutAnAudioDeviceTheToneIsSilentAndTheWindowGoesOn()
    {
        w->setQuestionHandler([](const std::string&) { return vbYes; });
        w->playTone(); // before any run: nothing to play
        QVERIFY(!w->tonePlaying());
        w->handle("cmdStart");
        QElapsedTimer clock;
        clock.start();
        w->playTone(); // the off-screen platform has no sound
        QVERIFY(clock.elapsed() < 2000);
        w->stopTone();
        QVERIFY(!w->tonePlaying());
        QVERIFY(reports.isEmpty());
    }
};

QTEST_MAIN(AccessibilityTest)
#include "AccessibilityTest.moc"
