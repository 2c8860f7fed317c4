#include "fakechooser.h"
#include "qt/kleurtjeswindow.h"
#include "qt/swatch.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// The texts of the context menu that a right-click on the widget opens, after choosing the
// entry `choose` in it, if given; empty when no menu opens.
QStringList contextMenuOf(QWidget *widget, const QString &choose = {})
{
    QStringList texts;
    QTimer::singleShot(0, widget, [&texts, choose] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            for (QAction *action : menu->actions()) {
                texts << action->text();
                if (action->text() == choose)
                    action->trigger();
            }
            menu->close();
        }
    });
    const QPoint centre = widget->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, centre, widget->mapToGlobal(centre));
    QApplication::sendEvent(widget, &event);
    QCoreApplication::processEvents();
    return texts;
}

} // namespace

class TestDesktop : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_window.reset(); }
    void copies_data();
    void copies();
    void contextMenus_data();
    void contextMenus();
    void leftClicksDoNothing_data();
    void leftClicksDoNothing();
    void accessibleNames_data();
    void accessibleNames();

private:
    QWidget *widget(const QString &name) const
    {
        return name == m_window->objectName() ? m_window.get()
                                              : m_window->findChild<QWidget *>(name);
    }
    QString number() const
    {
        return m_window->findChild<QLabel *>(QStringLiteral("lblNummer"))->text();
    }

    std::unique_ptr<KleurtjesWindow> m_window;
    FakeChooser *m_chooser = nullptr;
};

void TestDesktop::init()
{
    auto chooser = std::make_unique<FakeChooser>(5649426);
    m_chooser = chooser.get();
    m_window = std::make_unique<KleurtjesWindow>(std::move(chooser));
    m_window->load();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QGuiApplication::clipboard()->setText(QStringLiteral("leeg"));
}

void TestDesktop::copies_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("choose");
    QTest::addColumn<QString>("copied");

    for (const bool choose : { false, true }) {
        const QString copied = choose ? QStringLiteral("5649426") : QStringLiteral("16777215");
        const char *when = choose ? "after choosing" : "at start";
        QTest::addRow("Ctrl+C on Afsluiten, %s", when) << "cmdOK" << choose << copied;
        QTest::addRow("Ctrl+C on Kies kleur, %s", when) << "cmdKleur" << choose << copied;
        QTest::addRow("Kopiëren in the menu, %s", when) << "menu" << choose << copied;
    }
}

void TestDesktop::copies()
{
    QFETCH(QString, how);
    QFETCH(bool, choose);
    QFETCH(QString, copied);

    if (choose)
        QTest::mouseClick(widget(QStringLiteral("cmdKleur")), Qt::LeftButton);
    if (how == QLatin1String("menu")) {
        contextMenuOf(widget(QStringLiteral("lblNummer")), QStringLiteral("Kopiëren"));
    } else {
        widget(how)->setFocus();
        QTest::keyClick(widget(how), Qt::Key_C, Qt::ControlModifier);
    }

    QCOMPARE(QGuiApplication::clipboard()->text(), copied);
    QCOMPARE(number(), copied);
}

void TestDesktop::contextMenus_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QStringList>("menu");

    QTest::newRow("number") << "lblNummer" << QStringList { QStringLiteral("Kopiëren") };
    QTest::newRow("swatch") << "picKleur" << QStringList {};
    QTest::newRow("window") << "frmKleurtjes" << QStringList {};
}

void TestDesktop::contextMenus()
{
    QFETCH(QString, widget);
    QFETCH(QStringList, menu);

    QCOMPARE(contextMenuOf(this->widget(widget)), menu);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("leeg"));
}

void TestDesktop::leftClicksDoNothing_data()
{
    QTest::addColumn<QString>("widget");
    QTest::newRow("swatch") << "picKleur";
    QTest::newRow("number") << "lblNummer";
}

void TestDesktop::leftClicksDoNothing()
{
    QFETCH(QString, widget);

    QTest::mouseClick(this->widget(widget), Qt::LeftButton);
    QTest::mouseDClick(this->widget(widget), Qt::LeftButton);

    QCOMPARE(m_chooser->shown, 0);
    QVERIFY(!QApplication::activePopupWidget());
    QCOMPARE(m_window->findChild<Swatch *>(QStringLiteral("picKleur"))->backColor(), White);
    QCOMPARE(number(), QStringLiteral("16777215"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("leeg"));
}

void TestDesktop::accessibleNames_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<bool>("choose");
    QTest::addColumn<QString>("name");

    QTest::newRow("swatch") << "picKleur" << false << "Kleur";
    QTest::newRow("number at start") << "lblNummer" << false << "16777215";
    QTest::newRow("number after choosing") << "lblNummer" << true << "5649426";
    QTest::newRow("Kies kleur") << "cmdKleur" << false << "Kies kleur";
    QTest::newRow("Afsluiten") << "cmdOK" << false << "Afsluiten";
}

void TestDesktop::accessibleNames()
{
    QFETCH(QString, widget);
    QFETCH(bool, choose);
    QFETCH(QString, name);

    if (choose)
        QTest::mouseClick(this->widget(QStringLiteral("cmdKleur")), Qt::LeftButton);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(this->widget(widget));
    QVERIFY(iface);
    QCOMPARE(iface->text(QAccessible::Name), name);
}

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
