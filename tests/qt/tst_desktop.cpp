#include "fakechooser.h"
#include "qt/kleurtjeswindow.h"
#include "qt/swatch.h"

#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// The texts of the context menu that a right-click on the widget opens, as the user reads
// them, after choosing the entry `choose` in it, if given; empty when no menu opens.
QStringList contextMenuOf(QWidget *widget, const QString &choose = {})
{
    QStringList texts;
    QTimer::singleShot(0, widget, [&texts, choose] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        QAction *chosen = nullptr;
        for (QAction *action : menu->actions()) {
            const QString text = action->isSeparator()
                ? QStringLiteral("-")
                : action->text().replace(QLatin1String("&&"), QLatin1String("&"));
            texts << text;
            if (text == choose)
                chosen = action;
        }
        // As a click does: the menu closes before the action runs.
        menu->close();
        if (chosen)
            chosen->trigger();
    });
    const QPoint centre = widget->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, centre, widget->mapToGlobal(centre));
    QApplication::sendEvent(widget, &event);
    QCoreApplication::processEvents();
    return texts;
}

// What the clipboard or a drag holds in a test row.
QMimeData *mimeData(const QString &kind, const QString &text)
{
    auto *data = new QMimeData;
    if (kind == QLatin1String("text"))
        data->setText(text);
    else if (kind == QLatin1String("colour"))
        data->setColorData(QColor(text));
    else if (kind == QLatin1String("image"))
        data->setImageData(QImage(4, 4, QImage::Format_RGB32));
    else if (kind == QLatin1String("50 MB"))
        data->setText(QString(50 << 20, u'7'));
    return data;
}

// What screen readers were asked to say about the number.
QStringList s_spoken;

void listen(QAccessibleEvent *event)
{
    if (event->object()->objectName() != QLatin1String("lblNummer"))
        return;
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    if (event->type() == QAccessible::Announcement)
        s_spoken << static_cast<QAccessibleAnnouncementEvent *>(event)->message();
#else
    if (event->type() == QAccessible::TextUpdated)
        s_spoken << static_cast<QAccessibleTextUpdateEvent *>(event)->textInserted();
#endif
}

} // namespace

class TestDesktop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
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
    void pastes_data();
    void pastes();
    void drops_data();
    void drops();
    void swatchIsAGraphic_data();
    void swatchIsAGraphic();
    void newNumberIsSpoken_data();
    void newNumberIsSpoken();

private:
    bool drag(const QString &kind, const QString &text);
    void apply(const QString &how, const QString &kind = {}, const QString &text = {});
    QWidget *widget(const QString &name) const
    {
        return name == m_window->objectName() ? m_window.get()
                                              : m_window->findChild<QWidget *>(name);
    }
    QString number() const
    {
        return m_window->findChild<QLabel *>(QStringLiteral("lblNummer"))->text();
    }
    // The text of the refusal shown at the number, if any.
    std::optional<QString> reasonShown() const
    {
        auto *tip = m_window->findChild<QLabel *>(QStringLiteral("reasonTip"));
        return tip && tip->isVisible() ? std::optional(tip->text()) : std::nullopt;
    }
    ColourValue swatch() const
    {
        return m_window->findChild<Swatch *>(QStringLiteral("picKleur"))->backColor();
    }

    std::unique_ptr<KleurtjesWindow> m_window;
    FakeChooser *m_chooser = nullptr;
};

void TestDesktop::initTestCase()
{
    // Without a screen reader Qt drops every accessibility event before a handler sees it.
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
    QAccessible::installUpdateHandler(listen);
}

void TestDesktop::init()
{
    s_spoken.clear();
    auto chooser = std::make_unique<FakeChooser>(5649426);
    m_chooser = chooser.get();
    m_window = std::make_unique<KleurtjesWindow>(std::move(chooser));
    m_window->load();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QGuiApplication::clipboard()->setText(QStringLiteral("leeg"));
}

// Drags what the row holds onto the swatch and drops it there if the window accepts it, as
// Qt does. The answer to the drag entering is what the cursor shows while it hovers.
bool TestDesktop::drag(const QString &kind, const QString &text)
{
    std::unique_ptr<QMimeData> data(mimeData(kind, text));
    QWidget *target = widget(QStringLiteral("picKleur"));
    const QPoint centre = target->rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(centre, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

// Chooses 5649426 in the dialog, pastes what the row holds, or drops it on the swatch.
void TestDesktop::apply(const QString &how, const QString &kind, const QString &text)
{
    if (how == QLatin1String("Kies kleur")) {
        QTest::mouseClick(widget(QStringLiteral("cmdKleur")), Qt::LeftButton);
    } else if (how == QLatin1String("drop")) {
        drag(kind, text);
    } else {
        QGuiApplication::clipboard()->setMimeData(mimeData(kind, text));
        if (how == QLatin1String("Plakken"))
            contextMenuOf(widget(QStringLiteral("lblNummer")), how);
        else
            QTest::keyClick(widget(QStringLiteral("cmdOK")), Qt::Key_V, Qt::ControlModifier);
    }
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
    QTest::newRow("as HTML") << "Kopiëren als HTML (#RRGGBB)" << true << "#123456";
    QTest::newRow("as RGB()") << "Kopiëren als RGB(r, g, b)" << true << "RGB(18, 52, 86)";
    QTest::newRow("as VB hex") << "Kopiëren als VB-hex (&H00BBGGRR&)" << true << "&H00563412&";
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
    } else if (how.startsWith(QStringLiteral("Kopiëren"))) {
        contextMenuOf(widget(QStringLiteral("lblNummer")), how);
    } else {
        widget(how)->setFocus();
        QTest::keyClick(widget(how), Qt::Key_C, Qt::ControlModifier);
    }

    QCOMPARE(QGuiApplication::clipboard()->text(), copied);
    QCOMPARE(number(), choose ? QStringLiteral("5649426") : QStringLiteral("16777215"));
}

void TestDesktop::contextMenus_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QStringList>("menu");

    QTest::newRow("number") << "lblNummer"
                            << QStringList { "Kopiëren", "Kopiëren als HTML (#RRGGBB)",
                                   "Kopiëren als RGB(r, g, b)", "Kopiëren als VB-hex (&H00BBGGRR&)",
                                   "-", "Plakken" };
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

// A row's colour is 5649426, or -1 with the reason shown instead.
void TestDesktop::pastes_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("colour");
    QTest::addColumn<QString>("reason");

    QTest::newRow("Ctrl+V, VB hex") << "Ctrl+V"
                                    << "text"
                                    << " &H563412&\n"
                                    << 5649426 << "";
    QTest::newRow("Plakken, HTML") << "Plakken"
                                   << "text"
                                   << "#123456" << 5649426 << "";
    QTest::newRow("Ctrl+V, x-color") << "Ctrl+V"
                                     << "colour"
                                     << "#123456" << 5649426 << "";
    QTest::newRow("Ctrl+V, no colour")
        << "Ctrl+V"
        << "text"
        << "#12345" << -1 << "Na # komen 3 of 6 hexadecimale cijfers";
    QTest::newRow("Plakken, no colour")
        << "Plakken"
        << "text"
        << "RGB(18, 52, 256)" << -1 << "Blauw gaat van 0 tot en met 255, niet 256";
    QTest::newRow("Ctrl+V, empty") << "Ctrl+V"
                                   << "nothing"
                                   << "" << -1 << "Leeg";
    QTest::newRow("Ctrl+V, image") << "Ctrl+V"
                                   << "image"
                                   << "" << -1 << "Leeg";
    QTest::newRow("Ctrl+V, 50 MB") << "Ctrl+V"
                                   << "50 MB"
                                   << "" << -1 << "Langer dan 100 tekens";
}

void TestDesktop::pastes()
{
    QFETCH(QString, how);
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(int, colour);
    QFETCH(QString, reason);

    apply(how, kind, text);

    if (colour >= 0) {
        QCOMPARE(swatch(), colour);
        QCOMPARE(number(), QString::number(colour));
        QCOMPARE(m_chooser->Color(), QVariant(colour));
        QVERIFY(!reasonShown());
    } else {
        QCOMPARE(swatch(), White);
        QCOMPARE(number(), QStringLiteral("16777215"));
        QCOMPARE(m_chooser->Color(), QVariant(5649426));
        QCOMPARE(reasonShown(), reason);
    }
    QVERIFY(!QApplication::activeModalWidget());
}

void TestDesktop::drops_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("x-color") << "colour"
                             << "#123456" << true;
    QTest::newRow("text") << "text"
                          << "RGB(18, 52, 86)" << true;
    QTest::newRow("no colour") << "text"
                               << "#12345" << false;
    QTest::newRow("image") << "image"
                           << "" << false;
}

void TestDesktop::drops()
{
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(bool, accepted);

    QCOMPARE(drag(kind, text), accepted);
    QCOMPARE(swatch(), accepted ? 5649426 : White);
    QCOMPARE(number(), accepted ? QStringLiteral("5649426") : QStringLiteral("16777215"));
}

void TestDesktop::swatchIsAGraphic_data()
{
    QTest::addColumn<bool>("choose");
    QTest::addColumn<QString>("description");

    QTest::newRow("at start") << false << "rood 255, groen 255, blauw 255";
    QTest::newRow("after choosing") << true << "rood 18, groen 52, blauw 86";
}

void TestDesktop::swatchIsAGraphic()
{
    QFETCH(bool, choose);
    QFETCH(QString, description);

    if (choose)
        apply(QStringLiteral("Kies kleur"));
    QAccessibleInterface *iface
        = QAccessible::queryAccessibleInterface(widget(QStringLiteral("picKleur")));
    QCOMPARE(iface->role(), QAccessible::Graphic);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Kleur"));
    QCOMPARE(iface->text(QAccessible::Description), description);
}

void TestDesktop::newNumberIsSpoken_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("spoken");

    QTest::newRow("nothing done") << ""
                                  << "" << QStringList {};
    QTest::newRow("Kies kleur") << "Kies kleur"
                                << "" << QStringList { "5649426" };
    QTest::newRow("paste") << "Ctrl+V"
                           << "#123456" << QStringList { "5649426" };
    QTest::newRow("drop") << "drop"
                          << "18 52 86" << QStringList { "5649426" };
    QTest::newRow("paste of no colour") << "Ctrl+V"
                                        << "#12345" << QStringList {};
}

void TestDesktop::newNumberIsSpoken()
{
    QFETCH(QString, how);
    QFETCH(QString, text);
    QFETCH(QStringList, spoken);

    if (!how.isEmpty())
        apply(how, QStringLiteral("text"), text);

    QCOMPARE(s_spoken, spoken);
    // A screen reader reads the number through the text interface, too.
    QAccessibleInterface *iface
        = QAccessible::queryAccessibleInterface(widget(QStringLiteral("lblNummer")));
    QVERIFY(iface->textInterface());
    QCOMPARE(iface->textInterface()->text(0, iface->textInterface()->characterCount()), number());
}

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
