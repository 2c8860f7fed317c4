#include "fakechooser.h"
#include "qt/kleurtjeswindow.h"
#include "qt/swatch.h"

#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <utility>

namespace {

// The texts of the context menu that a right-click on the widget opens, as the user reads
// them, after choosing the entry `choose` in it, if given; empty when no menu opens.
// `how` may name a key instead; after "Recente kleuren/" the texts are those of the submenu.
QStringList contextMenuOf(
    QWidget *widget, const QString &choose = {}, const QString &how = QStringLiteral("right-click"))
{
    QStringList texts;
    QTimer::singleShot(0, widget, [&texts, choose] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        QMenu *top = menu;
        QAction *chosen = nullptr;
        for (const QString &step : choose.split(u'/')) {
            texts.clear();
            for (QAction *action : menu->actions()) {
                const QString text = action->isSeparator()
                    ? QStringLiteral("-")
                    : action->text().replace(QLatin1String("&&"), QLatin1String("&"));
                texts << text;
                if (text == step && action->isEnabled())
                    chosen = action;
            }
            if (chosen && chosen->menu())
                menu = std::exchange(chosen, nullptr)->menu();
        }
        // As a click does: the menu closes before the action runs.
        top->close();
        if (chosen)
            chosen->trigger();
    });
    const QPoint centre = widget->rect().center();
    if (how == QLatin1String("Shift+F10")) {
        QTest::keyClick(widget, Qt::Key_F10, Qt::ShiftModifier);
    } else {
        // The Menu key reaches the focus widget as the platform turns it into this event.
        QContextMenuEvent event(how == QLatin1String("Menu key") ? QContextMenuEvent::Keyboard
                                                                 : QContextMenuEvent::Mouse,
            centre, widget->mapToGlobal(centre));
        QApplication::sendEvent(widget, &event);
    }
    QCoreApplication::processEvents();
    return texts;
}

QString stateFolder()
{
    return qEnvironmentVariable("XDG_STATE_HOME") + QStringLiteral("/tintenwijzer");
}

// The recent list in the test's state folder, after writing `text` there if given.
QString recentFile(const QByteArray &text = {})
{
    QFile file(stateFolder() + QStringLiteral("/recent"));
    if (!text.isEmpty() && QDir().mkpath(stateFolder()) && file.open(QIODevice::WriteOnly))
        file.write(text), file.close();
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
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

// What screen readers were asked to say, and how often the reason's tip said it appeared.
QStringList s_spoken;
int s_tipsShown = 0;

void listen(QAccessibleEvent *event)
{
    const QString name = event->object()->objectName();
    if (name == QLatin1String("reasonTip") && event->type() == QAccessible::ObjectShow)
        ++s_tipsShown;
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    if (event->type() == QAccessible::Announcement)
        s_spoken << static_cast<QAccessibleAnnouncementEvent *>(event)->message();
#else
    if (name == QLatin1String("announcer") && event->type() == QAccessible::ObjectShow) {
        QAccessibleInterface *shown = event->accessibleInterface();
        QCOMPARE(shown->role(), QAccessible::Notification);
        QVERIFY(!shown->state().invisible);
        // A screen reader finds it in the window.
        QAccessibleInterface *window = shown->parent();
        QCOMPARE(window->role(), QAccessible::Window);
        QCOMPARE(window->child(window->indexOfChild(shown)), shown);
        s_spoken << shown->text(QAccessible::Name);
    }
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
    void takesColour_data();
    void takesColour();

private:
    void apply(const QString &how, const QString &kind, const QString &text);
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
    bool m_dragAccepted = false;
};

void TestDesktop::initTestCase()
{
    QAccessible::installUpdateHandler(listen);
}

void TestDesktop::init()
{
    // Without a screen reader Qt drops every accessibility event before a handler sees it.
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
    s_spoken.clear();
    s_tipsShown = 0;
    auto chooser = std::make_unique<FakeChooser>(5649426);
    m_chooser = chooser.get();
    m_window = std::make_unique<KleurtjesWindow>(std::move(chooser));
    m_window->load();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QGuiApplication::clipboard()->setText(QStringLiteral("leeg"));
    QDir(stateFolder()).removeRecursively();
}

// Chooses 5649426 in the dialog, pastes what the row holds, or drags it onto the swatch and
// drops it there if the window accepts it, as Qt does; or opens a new window on 5649426.
void TestDesktop::apply(const QString &how, const QString &kind, const QString &text)
{
    if (how.startsWith(QLatin1String("start"))) {
        // As on a loaded machine: Qt reaches the screen reader after the window is active.
        const bool late = how.endsWith(QLatin1String("reader later"));
        QPlatformAccessibility *accessibility
            = QGuiApplicationPrivate::platformIntegration()->accessibility();
        accessibility->setActive(!late);
        m_window = std::make_unique<KleurtjesWindow>(std::make_unique<FakeChooser>());
        m_window->load(5649426);
        QVERIFY(s_spoken.isEmpty());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        if (late) {
            QCoreApplication::processEvents();
            accessibility->setActive(true);
        }
        QTRY_VERIFY(!s_spoken.isEmpty());
    } else if (how == QLatin1String("Kies kleur")) {
        QTest::mouseClick(widget(QStringLiteral("cmdKleur")), Qt::LeftButton);
    } else if (how == QLatin1String("Recente kleuren")) {
        recentFile("255\n5649426\n");
        contextMenuOf(widget(QStringLiteral("lblNummer")),
            QStringLiteral("Recente kleuren/5649426 (#123456)"));
    } else if (how == QLatin1String("drop")) {
        std::unique_ptr<QMimeData> data(mimeData(kind, text));
        QWidget *target = widget(QStringLiteral("picKleur"));
        const QPoint centre = target->rect().center();
        QDragEnterEvent enter(centre, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        m_dragAccepted = enter.isAccepted();
        QDropEvent drop(centre, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        if (m_dragAccepted)
            QApplication::sendEvent(target, &drop);
    } else if (!how.isEmpty()) {
        QGuiApplication::clipboard()->setMimeData(mimeData(kind, text));
        for (const QString &step : how.split(QLatin1String(", "))) {
            if (step == QLatin1String("Plakken"))
                contextMenuOf(widget(QStringLiteral("lblNummer")), step);
            else
                QTest::keyClick(widget(QStringLiteral("cmdOK")), Qt::Key_V, Qt::ControlModifier);
        }
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
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("choose");
    QTest::addColumn<QString>("recent");
    QTest::addColumn<QStringList>("menu");

    const auto row
        = [](const char *name, const char *widget, const char *how, const QStringList &menu,
              const char *choose = "", const char *recent = "") {
              QTest::newRow(name) << widget << how << choose << recent << menu;
          };
    const QStringList number { "Kleur van het scherm…", "-", "Kopiëren",
        "Kopiëren als HTML (#RRGGBB)", "Kopiëren als RGB(r, g, b)",
        "Kopiëren als VB-hex (&H00BBGGRR&)", "-", "Plakken", "-", "Recente kleuren" };
    row("number", "lblNummer", "right-click", number);
    row("swatch", "picKleur", "right-click", {});
    row("window", "frmKleurtjes", "right-click", {});
    // From the keyboard, wherever the focus is, the number's menu opens.
    row("Menu key on Afsluiten", "cmdOK", "Menu key", number);
    row("Shift+F10 on Kies kleur", "cmdKleur", "Shift+F10", number);
    // The list is read as the menu opens: another copy may have written it meanwhile.
    row("no recent colours", "lblNummer", "right-click",
        { "Geen recente kleuren", "-", "Lijst wissen" }, "Recente kleuren/");
    row("recent colours", "lblNummer", "right-click",
        { "255 (#FF0000)", "5649426 (#123456)", "-", "Lijst wissen" }, "Recente kleuren/",
        "255\nrood\n5649426\n");
    row("Lijst wissen", "lblNummer", "Menu key", { "255 (#FF0000)", "-", "Lijst wissen" },
        "Recente kleuren/Lijst wissen", "255\n");
}

void TestDesktop::contextMenus()
{
    QFETCH(QString, widget);
    QFETCH(QString, how);
    QFETCH(QString, choose);
    QFETCH(QString, recent);
    QFETCH(QStringList, menu);

    recentFile(recent.toLatin1());
    this->widget(widget)->setFocus();
    QCOMPARE(contextMenuOf(this->widget(widget), choose, how), menu);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("leeg"));
    QCOMPARE(number(), QStringLiteral("16777215"));
    // Only a colour taken makes the folder; clearing leaves an empty list.
    QCOMPARE(QFile::exists(stateFolder()), !recent.isEmpty());
    QCOMPARE(recentFile(), choose.endsWith(QLatin1String("wissen")) ? QString() : recent);
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
    QTest::addColumn<QAccessible::Role>("role");

    QTest::newRow("window") << "frmKleurtjes" << false << "Tintenwijzer" << QAccessible::Window;
    QTest::newRow("swatch") << "picKleur" << false << "Kleur" << QAccessible::Graphic;
    QTest::newRow("number at start")
        << "lblNummer" << false << "16777215" << QAccessible::StaticText;
    QTest::newRow("number after choosing")
        << "lblNummer" << true << "5649426" << QAccessible::StaticText;
    QTest::newRow("Kies kleur") << "cmdKleur" << false << "Kies kleur" << QAccessible::Button;
    QTest::newRow("Afsluiten") << "cmdOK" << false << "Afsluiten" << QAccessible::Button;
}

void TestDesktop::accessibleNames()
{
    QFETCH(QString, widget);
    QFETCH(bool, choose);
    QFETCH(QString, name);
    QFETCH(QAccessible::Role, role);

    if (choose)
        QTest::mouseClick(this->widget(QStringLiteral("cmdKleur")), Qt::LeftButton);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(this->widget(widget));
    QVERIFY(iface);
    QCOMPARE(iface->text(QAccessible::Name), name);
    QCOMPARE(iface->role(), role);
    // Every object is found again from its parent, as a screen reader walks the tree.
    for (QAccessibleInterface *child = iface; child->parent() && child->parent()->object();
         child = child->parent())
        QCOMPARE(child->parent()->child(child->parent()->indexOfChild(child)), child);
}

// Every colour taken is 5649426; a paste that is refused shows why.
void TestDesktop::takesColour_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<QString>("reason");

    const auto row = [](const char *name, const char *how, const char *kind, const char *text,
                         bool taken, const char *reason = "") {
        QTest::newRow(name) << how << kind << text << taken << reason;
    };
    row("nothing done", "", "", "", false);
    row("Kies kleur", "Kies kleur", "", "", true);
    row("Ctrl+V, VB hex", "Ctrl+V", "text", " &H563412&\n", true);
    row("Plakken, HTML", "Plakken", "text", "#123456", true);
    row("Ctrl+V, x-color", "Ctrl+V", "colour", "#123456", true);
    row("drop, x-color", "drop", "colour", "#123456", true);
    row("drop, RGB()", "drop", "text", "RGB(18, 52, 86)", true);
    row("Recente kleuren", "Recente kleuren", "", "", true);
    row("Ctrl+V, no colour", "Ctrl+V", "text", "#12345", false,
        "Na # komen 3 of 6 hexadecimale cijfers");
    row("Plakken, no colour", "Plakken", "text", "18, 52, 256", false,
        "Blauw gaat van 0 tot en met 255, niet 256");
    row("Ctrl+V twice, no colour", "Ctrl+V, Ctrl+V", "text", "#12345", false,
        "Na # komen 3 of 6 hexadecimale cijfers");
    row("Ctrl+V, empty", "Ctrl+V", "", "", false, "Leeg");
    row("Ctrl+V, image", "Ctrl+V", "image", "", false, "Leeg");
    row("Ctrl+V, 50 MB", "Ctrl+V", "50 MB", "", false, "Langer dan 100 tekens");
    row("drop, no colour", "drop", "text", "#12345", false);
    row("drop, image", "drop", "image", "", false);
    row("start colour", "start", "", "", true);
    row("start colour, screen reader later", "start, screen reader later", "", "", true);
}

void TestDesktop::takesColour()
{
    QFETCH(QString, how);
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(bool, taken);
    QFETCH(QString, reason);

    apply(how, kind, text);

    const ColourValue shown = taken ? 5649426 : White;
    QCOMPARE(swatch(), shown);
    QCOMPARE(number(), QString::number(shown));
    QCOMPARE(reasonShown(), reason.isEmpty() ? std::nullopt : std::optional(reason));
    QVERIFY(!QApplication::activeModalWidget());
    // Each colour taken is kept, in front; a start colour is not.
    const bool kept = taken && !how.startsWith(QLatin1String("start"));
    QCOMPARE(recentFile(),
        QLatin1String(kept ? "5649426\n" : "") + (how == "Recente kleuren" ? "255\n" : ""));
    // While a drag hovers, the cursor shows what the window would do with it.
    if (how == QLatin1String("drop"))
        QCOMPARE(m_dragAccepted, taken);

    QStringList spoken;
    if (taken)
        spoken << QStringLiteral("5649426, rood 18, groen 52, blauw 86");
    // Every refusal is said, the same one again too.
    if (!reason.isEmpty())
        spoken += QStringList(how.split(QLatin1String(", ")).size(), reason);
    QCOMPARE(s_spoken, spoken);
    QCOMPARE(s_tipsShown, reason.isEmpty() ? 0 : 1);
    QAccessibleTextInterface *numberText
        = QAccessible::queryAccessibleInterface(widget(QStringLiteral("lblNummer")))
              ->textInterface();
    QVERIFY(numberText);
    QCOMPARE(numberText->text(0, numberText->characterCount()), number());
    QAccessibleInterface *picture
        = QAccessible::queryAccessibleInterface(widget(QStringLiteral("picKleur")));
    QCOMPARE(picture->role(), QAccessible::Graphic);
    QCOMPARE(picture->text(QAccessible::Description),
        taken ? QLatin1String("rood 18, groen 52, blauw 86")
              : QLatin1String("rood 255, groen 255, blauw 255"));
}

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
