#include "fakechooser.h"
#include "modalanswer.h"
#include "qt/kleurtjeswindow.h"
#include "qt/swatch.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void controls_data();
    void controls();
    void fonts();
    void captionsFit_data();
    void captionsFit();
    void fixedDialogFrame();
    void loadRunsBeforeShow();
    void firstFocusAndTabOrder();
    void keysPressFocusedButton_data();
    void keysPressFocusedButton();
    void noDefaultOrCancelButton_data();
    void noDefaultOrCancelButton();
    void closingEndsEventLoop_data();
    void closingEndsEventLoop();

private:
    template<typename T> T *control(const char *name) const
    {
        return m_window->findChild<T *>(QLatin1String(name));
    }

    std::unique_ptr<KleurtjesWindow> m_window;
    FakeChooser *m_chooser = nullptr;
};

void TestWindow::init()
{
    auto chooser = std::make_unique<FakeChooser>(255);
    m_chooser = chooser.get();
    m_window = std::make_unique<KleurtjesWindow>(std::move(chooser));
}

void TestWindow::cleanup()
{
    m_window.reset();
}

void TestWindow::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");

    QTest::newRow("picKleur") << "picKleur" << QRect(8, 8, 297, 137) << QString();
    QTest::newRow("cmdKleur") << "cmdKleur" << QRect(184, 216, 57, 25) << "Kies kleur";
    QTest::newRow("cmdOK") << "cmdOK" << QRect(248, 216, 57, 25) << "Afsluiten";
    QTest::newRow("lblNummer") << "lblNummer" << QRect(8, 168, 297, 33) << QString();
}

void TestWindow::controls()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);

    QCOMPARE(m_window->objectName(), QStringLiteral("frmKleurtjes"));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Tintenwijzer"));
    QCOMPARE(m_window->size(), QSize(314, 248));

    auto *widget = m_window->findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), geometry);
    if (auto *button = qobject_cast<QPushButton *>(widget))
        QCOMPARE(button->text(), text);
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        QCOMPARE(label->text(), text);
        QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
        QVERIFY(!label->wordWrap());
    }
}

void TestWindow::fonts()
{
    const QFont number = control<QLabel>("lblNummer")->font();
    QCOMPARE(number.family(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(number.pointSize(), 18);
    QCOMPARE(number.weight(), QFont::Bold);
    QVERIFY(!number.italic() && !number.underline() && !number.strikeOut());

    for (const char *name : { "cmdKleur", "cmdOK" }) {
        const QFont caption = control<QPushButton>(name)->font();
        QCOMPARE(caption.family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(caption.pointSizeF(), 8.25);
        QCOMPARE(caption.weight(), QFont::Normal);
    }
}

// Whatever face stands in for the one the layout was drawn with, the texts must fit.
void TestWindow::captionsFit_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");

    QTest::newRow("Kies kleur") << "cmdKleur" << QString();
    QTest::newRow("Afsluiten") << "cmdOK" << QString();
    QTest::newRow("widest number") << "lblNummer"
                                   << "16777215";
}

void TestWindow::captionsFit()
{
    QFETCH(QString, name);
    QFETCH(QString, text);

    auto *widget = m_window->findChild<QWidget *>(name);
    QRect contents = widget->contentsRect();
    if (auto *button = qobject_cast<QPushButton *>(widget)) {
        text = button->text();
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = text;
        option.features |= QStyleOptionButton::AutoDefaultButton;
        contents = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    }
    const QRect needed = widget->fontMetrics().boundingRect(contents, Qt::AlignLeft, text);
    QVERIFY2(contents.contains(needed),
        qPrintable(QStringLiteral("%1 needs %2x%3, has %4x%5 in %6")
                       .arg(text)
                       .arg(needed.width())
                       .arg(needed.height())
                       .arg(contents.width())
                       .arg(contents.height())
                       .arg(widget->fontInfo().family())));
}

void TestWindow::fixedDialogFrame()
{
    QCOMPARE(m_window->minimumSize(), QSize(314, 248));
    QCOMPARE(m_window->maximumSize(), QSize(314, 248));

    const Qt::WindowFlags flags = m_window->windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
}

void TestWindow::loadRunsBeforeShow()
{
    auto *swatch = control<Swatch>("picKleur");
    auto *number = control<QLabel>("lblNummer");
    QCOMPARE(swatch->backColor(), White);
    QVERIFY(number->text().isEmpty());

    m_window->load();
    QVERIFY(!m_window->isVisible());
    QCOMPARE(swatch->backColor(), White);
    QCOMPARE(number->text(), QStringLiteral("16777215"));
}

void TestWindow::firstFocusAndTabOrder()
{
    m_window->load();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));

    auto *cmdOK = control<QPushButton>("cmdOK");
    auto *cmdKleur = control<QPushButton>("cmdKleur");
    QCOMPARE(QApplication::focusWidget(), cmdOK);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), cmdKleur);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), cmdOK);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), cmdKleur);

    QCOMPARE(control<QLabel>("lblNummer")->focusPolicy(), Qt::NoFocus);
}

void TestWindow::keysPressFocusedButton_data()
{
    QTest::addColumn<int>("tabs");
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("chooserShown");

    QTest::newRow("Return on Afsluiten") << 0 << Qt::Key_Return << true << 0;
    QTest::newRow("Enter on Afsluiten") << 0 << Qt::Key_Enter << true << 0;
    QTest::newRow("Space on Afsluiten") << 0 << Qt::Key_Space << true << 0;
    QTest::newRow("Return on Kies kleur") << 1 << Qt::Key_Return << false << 1;
    QTest::newRow("Space on Kies kleur") << 1 << Qt::Key_Space << false << 1;
    QTest::newRow("Escape does nothing") << 0 << Qt::Key_Escape << false << 0;
}

void TestWindow::keysPressFocusedButton()
{
    QFETCH(int, tabs);
    QFETCH(Qt::Key, key);
    QFETCH(bool, closes);
    QFETCH(int, chooserShown);

    m_window->load();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    for (int i = 0; i < tabs; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);

    QTest::keyClick(QApplication::focusWidget(), key);
    QCOMPARE(m_window->isVisible(), !closes);
    QCOMPARE(m_chooser->shown, chooserShown);
    QCOMPARE(control<QLabel>("lblNummer")->text(), chooserShown ? "255" : "16777215");
}

void TestWindow::noDefaultOrCancelButton_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("cmdKleur") << "cmdKleur";
    QTest::newRow("cmdOK") << "cmdOK";
}

void TestWindow::noDefaultOrCancelButton()
{
    QFETCH(QString, name);
    auto *button = m_window->findChild<QPushButton *>(name);
    QVERIFY(!button->isDefault());
    QVERIFY(button->autoDefault());
}

void TestWindow::closingEndsEventLoop_data()
{
    QTest::addColumn<bool>("byButton");
    QTest::newRow("Afsluiten") << true;
    QTest::newRow("window system") << false;
}

void TestWindow::closingEndsEventLoop()
{
    QFETCH(bool, byButton);

    m_window->load();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));

    QTimer::singleShot(0, this, [&] {
        if (byButton)
            QTest::mouseClick(control<QPushButton>("cmdOK"), Qt::LeftButton);
        else
            m_window->windowHandle()->close();
    });
    const LoopWatchdog watchdog;
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!m_window->isVisible());
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
