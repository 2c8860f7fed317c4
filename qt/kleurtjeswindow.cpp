#include "qt/kleurtjeswindow.h"
#include "ui_frmkleurtjes.h"

#include "core/colourconversion.h"
#include "core/recentstore.h"
#include "qt/accessiblewindow.h"
#include "qt/announcer.h"
#include "qt/dialogcolourchooser.h"
#include "qt/handlerguard.h"
#include "qt/pick/screencolourpicker.h"
#include "qt/pick/screenpickerfactory.h"
#include "qt/posixstatefolder.h"
#include "qt/qtcolour.h"
#include "qt/reasontip.h"
#include "qt/recentmenu.h"
#include "qt/windowwatch.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QIcon>
#include <QImageReader>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPixmap>
#include <QTimer>

#include <utility>

namespace {

// The layout was drawn for an 8.25 pt dialog font; at Qt's default size here the captions
// no longer fit their buttons. Where the face is missing, the nearest sans-serif stands in.
QFont dialogFont()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    return font;
}

// A reader left to guess the format loads every image plugin to ask it; PNG is built into Qt.
QIcon windowIconFromResources()
{
    QIcon icon;
    const QDir sizes(QStringLiteral(":/icons"));
    for (const QString &name : sizes.entryList(QDir::Files)) {
        QImageReader reader(sizes.filePath(name), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}

// Long enough to read a short reason, short enough not to linger over the next action.
constexpr int RefusalShownMs = 4000;

// A window manager activates a new window well within this; without one, nothing does.
constexpr int ActivationAwaitedMs = 1000;
// Long enough after the start for the window to have shown, short of a first Ctrl+Shift+C.
constexpr int PickerReadiedMs = 200;
// How often a list that another copy holds is tried again.
constexpr int WriteRetryMs = 250;

QString actionText(std::string_view text)
{
    // A single & would mark a mnemonic and vanish from "&H00BBGGRR&".
    return QString::fromUtf8(text.data(), qsizetype(text.size()))
        .replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

KleurtjesWindow::KleurtjesWindow(std::unique_ptr<ColourChooser> chooser, QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::frmKleurtjes>())
    , m_dlgDialog(chooser ? std::move(chooser) : std::make_unique<DialogColourChooser>(this))
    , m_announcer(new Announcer(this))
{
    AccessibleWindow::installFactory();
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(dialogFont());
    m_ui->setupUi(this);
    // Decoding the icon's sizes takes longer than anything else the window adds to Qt's own
    // start; the window system takes the icon just as well a moment after the window appears.
    QTimer::singleShot(
        0, this, [this] { guarded([this] { setWindowIcon(windowIconFromResources()); }); });
    QTimer::singleShot(PickerReadiedMs, this, [this] {
        guarded([this] {
            if (!picker()->isActive())
                picker()->prepare();
        });
    });
    setAcceptDrops(true);

    QFont numberFont = m_ui->lblNummer->font();
    numberFont.setStyleHint(QFont::SansSerif);
    m_ui->lblNummer->setFont(numberFont);

    m_ui->cmdOK->setFocus();

    connect(m_ui->cmdKleur, &QPushButton::clicked, this, &KleurtjesWindow::cmdKleurClicked);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &KleurtjesWindow::cmdOKClicked);

    auto *pick = new QAction(QStringLiteral("Kleur van het scherm…"), this);
    pick->setObjectName(QStringLiteral("actKleurVanScherm"));
    m_pickShortcut = QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C);
    pick->setShortcut(m_pickShortcut);
    pick->setShortcutContext(Qt::WindowShortcut);
    // A held shortcut starts one pick, not another as the first one ends.
    pick->setAutoRepeat(false);
    qApp->installEventFilter(this);
    connect(pick, &QAction::triggered, this, &KleurtjesWindow::pickFromScreen);
    addAction(pick);
    m_ui->lblNummer->addAction(pick);
    auto *pickSeparator = new QAction(this);
    pickSeparator->setSeparator(true);
    m_ui->lblNummer->addAction(pickSeparator);

    for (const Notation notation : AllNotations) {
        auto *copy = new QAction(actionText(copyCommandText(notation)), this);
        connect(copy, &QAction::triggered, this, [this, notation] { this->copy(notation); });
        m_ui->lblNummer->addAction(copy);
        if (notation == Notation::Number) {
            copy->setObjectName(QStringLiteral("actKopieren"));
            copy->setShortcut(QKeySequence::Copy);
            copy->setShortcutContext(Qt::WindowShortcut);
            addAction(copy);
        }
    }
    auto *separator = new QAction(this);
    separator->setSeparator(true);
    m_ui->lblNummer->addAction(separator);

    auto *paste = new QAction(QStringLiteral("Plakken"), this);
    paste->setObjectName(QStringLiteral("actPlakken"));
    paste->setShortcut(QKeySequence::Paste);
    paste->setShortcutContext(Qt::WindowShortcut);
    connect(paste, &QAction::triggered, this, &KleurtjesWindow::paste);
    addAction(paste);
    m_ui->lblNummer->addAction(paste);
    // Built when it opens, with the recent colours as they are then.
    m_ui->lblNummer->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_ui->lblNummer, &QWidget::customContextMenuRequested, this,
        [this](const QPoint &position) { showNumberMenu(m_ui->lblNummer->mapToGlobal(position)); });

    // The Menu key arrives as a context menu event, Shift+F10 only as a key.
    auto *menu = new QAction(this);
    menu->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10));
    menu->setShortcutContext(Qt::WindowShortcut);
    connect(menu, &QAction::triggered, this, &KleurtjesWindow::showNumberMenuFromKeyboard);
    addAction(menu);
}

KleurtjesWindow::~KleurtjesWindow() = default;

void KleurtjesWindow::load(std::optional<ColourValue> start)
{
    guarded([this, start] {
        m_ui->picKleur->setBackColor(start.value_or(White));
        if (start)
            m_dlgDialog->setColor(*start);
        showNumberOfSwatch(false);
        if (start)
            m_announcer->announceOnceActive(QString::fromStdString(spokenText(*start)));
    });
}

ColourValue KleurtjesWindow::colour() const
{
    return m_ui->picKleur->backColor();
}

void KleurtjesWindow::pickFromScreen()
{
    guarded([this] { picker()->start(); });
}

// Made a moment after the window shows, or at the first pick where that comes sooner: a
// start that never picks costs nothing for it, and the first pick waits for nothing.
ScreenColourPicker *KleurtjesWindow::picker()
{
    if (m_picker)
        return m_picker;
    m_picker = createScreenPicker(this);
    connect(m_picker, &ScreenColourPicker::picked, this, [this](ColourValue value) {
        guarded([this, value] {
            takeColour(value);
            emit pickEnded(true, {});
        });
    });
    connect(m_picker, &ScreenColourPicker::refused, this, [this](const QString &reason) {
        guarded([this, &reason] {
            refuse(reason.toStdString());
            emit pickEnded(false, reason);
        });
    });
    connect(m_picker, &ScreenColourPicker::cancelled, this,
        [this] { guarded([this] { emit pickEnded(false, {}); }); });
    return m_picker;
}

void KleurtjesWindow::pickOnceActive()
{
    guarded([this] {
        m_pickPending = true;
        if (isActiveWindow() || !WindowWatch::windowManagerRuns())
            QTimer::singleShot(0, this, &KleurtjesWindow::startPendingPick);
        else
            QTimer::singleShot(ActivationAwaitedMs, this, &KleurtjesWindow::startPendingPick);
    });
}

void KleurtjesWindow::startPendingPick()
{
    if (std::exchange(m_pickPending, false))
        pickFromScreen();
}

// X repeats a held key as a release and a press of the same time, which Qt marks as a repeat
// only where both reached it together; under load the press may come alone, and would start
// another pick as the first one ends.
bool KleurtjesWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyRelease || event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool pickKey = key->key() == m_pickShortcut[0].key();
        if (event->type() == QEvent::KeyRelease && pickKey) {
            m_pickKeyReleased = key->timestamp();
        } else if (event->type() == QEvent::ShortcutOverride
            && QKeySequence(key->keyCombination()) == m_pickShortcut
            && m_pickKeyReleased == key->timestamp()) {
            // Taken as the focus widget's own key, it triggers no shortcut.
            key->accept();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void KleurtjesWindow::changeEvent(QEvent *event)
{
    guarded([this, event] {
        // After the activation itself has been handled, as the window manager left it.
        if (event->type() == QEvent::ActivationChange && m_pickPending && isActiveWindow())
            QTimer::singleShot(0, this, &KleurtjesWindow::startPendingPick);
    });
    QWidget::changeEvent(event);
}

// Whatever has the focus, the keyboard opens the number's menu: no other part has one.
void KleurtjesWindow::contextMenuEvent(QContextMenuEvent *event)
{
    if (event->reason() == QContextMenuEvent::Keyboard)
        showNumberMenuFromKeyboard();
    else
        QWidget::contextMenuEvent(event);
}

void KleurtjesWindow::dragEnterEvent(QDragEnterEvent *event)
{
    // Accepting or not is what sets the cursor while the drag hovers.
    guarded([event] {
        if (colourOf(event->mimeData()).colour)
            event->acceptProposedAction();
        else
            event->ignore();
    });
}

void KleurtjesWindow::dropEvent(QDropEvent *event)
{
    guarded([this, event] {
        const ColourParser::Result result = colourOf(event->mimeData());
        if (!result.colour)
            return event->ignore();
        event->acceptProposedAction();
        takeColour(*result.colour);
    });
}

void KleurtjesWindow::cmdKleurClicked()
{
    guarded([this] {
        // A cancel leaves the swatch alone: the chooser's colour was never picked for it.
        if (!m_dlgDialog->ShowColor())
            return;
        m_ui->picKleur->setBackColor(
            ColourConversion::toColourValue(toPropertyValue(m_dlgDialog->Color())));
        showNumberOfSwatch(true);
        keep(colour());
    });
}

void KleurtjesWindow::cmdOKClicked()
{
    guarded([this] { close(); });
}

void KleurtjesWindow::copy(Notation notation)
{
    guarded([this, notation] {
        QGuiApplication::clipboard()->setText(
            QString::fromStdString(formatColour(colour(), notation)));
    });
}

void KleurtjesWindow::paste()
{
    guarded([this] {
        const ColourParser::Result result = colourOf(QGuiApplication::clipboard()->mimeData());
        if (result.colour)
            takeColour(*result.colour);
        else
            refuse(result.reason);
    });
}

void KleurtjesWindow::showNumberMenu(const QPoint &globalPosition)
{
    guarded([this, &globalPosition] {
        QMenu menu(this);
        menu.addActions(m_ui->lblNummer->actions());
        menu.addSeparator();
        auto *recent = new RecentMenu(recentStore(), &menu);
        connect(recent, &RecentMenu::chosen, this,
            [this](ColourValue value) { guarded([this, value] { takeColour(value); }); });
        menu.addMenu(recent);
        menu.exec(globalPosition);
        writeLater();
    });
}

void KleurtjesWindow::showNumberMenuFromKeyboard()
{
    showNumberMenu(m_ui->lblNummer->mapToGlobal(m_ui->lblNummer->rect().bottomLeft()));
}

// A colour from outside the dialog: the dialog opens on it next time, as on one confirmed.
void KleurtjesWindow::takeColour(ColourValue value)
{
    m_ui->picKleur->setBackColor(value);
    m_dlgDialog->setColor(value);
    showNumberOfSwatch(true);
    if (m_reasonTip)
        m_reasonTip->hide();
    keep(value);
}

// Kept for the next run too. Where that fails the colour still shows: one warning is all.
void KleurtjesWindow::keep(ColourValue value)
{
    recentStore().take(value);
    writeLater();
}

// Where another copy holds the list, the colours wait in this one, and the event loop comes
// back for them: the window never waits on another program.
void KleurtjesWindow::writeLater()
{
    if (!m_recent || !m_recent->waiting())
        return;
    if (!m_writeTimer) {
        m_writeTimer = new QTimer(this);
        m_writeTimer->setInterval(WriteRetryMs);
        connect(m_writeTimer, &QTimer::timeout, this, [this] {
            guarded([this] {
                m_recent->write();
                if (!m_recent->waiting())
                    m_writeTimer->stop();
            });
        });
    }
    m_writeTimer->start();
}

// Made on first use: nothing of the list is read at start.
RecentStore &KleurtjesWindow::recentStore()
{
    if (!m_recent)
        m_recent = std::make_unique<RecentStore>(PosixStateFolder::forUser());
    return *m_recent;
}

// Not a modal box: the user only has to try again.
void KleurtjesWindow::refuse(const std::string &reason)
{
    QApplication::beep();
    // Built on first use: most runs never need it, and every widget costs start-up time.
    if (!m_reasonTip)
        m_reasonTip = new ReasonTip(this);
    m_reasonTip->showBelow(m_ui->lblNummer, QString::fromStdString(reason), RefusalShownMs);
    m_announcer->announce(QString::fromStdString(reason));
}

// The number always comes from the swatch, so what is shown is what is painted.
void KleurtjesWindow::showNumberOfSwatch(bool announce)
{
    const ColourValue value = colour();
    m_ui->lblNummer->setText(colourNumberText(value));
    m_ui->lblNummer->setToolTip(QString::fromStdString(notationsText(value)));
    if (announce)
        m_announcer->announce(QString::fromStdString(spokenText(value)));
}
