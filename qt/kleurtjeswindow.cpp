#include "qt/kleurtjeswindow.h"
#include "ui_frmkleurtjes.h"

#include "qt/handlerguard.h"
#include "core/colourconversion.h"
#include "qt/dialogcolourchooser.h"
#include "qt/qtcolour.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>

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

} // namespace

KleurtjesWindow::KleurtjesWindow(std::unique_ptr<ColourChooser> chooser, QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::frmKleurtjes>())
    , m_dlgDialog(chooser ? std::move(chooser) : std::make_unique<DialogColourChooser>(this))
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(dialogFont());
    m_ui->setupUi(this);
    setWindowIcon(windowIconFromResources());

    QFont numberFont = m_ui->lblNummer->font();
    numberFont.setStyleHint(QFont::SansSerif);
    m_ui->lblNummer->setFont(numberFont);

    m_ui->cmdOK->setFocus();

    connect(m_ui->cmdKleur, &QPushButton::clicked, this, &KleurtjesWindow::cmdKleurClicked);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &KleurtjesWindow::cmdOKClicked);

    auto *copy = new QAction(QStringLiteral("Kopiëren"), this);
    copy->setObjectName(QStringLiteral("actKopieren"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WindowShortcut);
    connect(copy, &QAction::triggered, this, &KleurtjesWindow::copyNumber);
    addAction(copy);
    m_ui->lblNummer->addAction(copy);
    m_ui->lblNummer->setContextMenuPolicy(Qt::ActionsContextMenu);
}

KleurtjesWindow::~KleurtjesWindow() = default;

void KleurtjesWindow::load()
{
    guarded([this] {
        m_ui->picKleur->setBackColor(White);
        showNumberOfSwatch();
    });
}

void KleurtjesWindow::cmdKleurClicked()
{
    guarded([this] {
        // A cancel leaves the swatch alone: the chooser's colour was never picked for it.
        if (!m_dlgDialog->ShowColor())
            return;
        m_ui->picKleur->setBackColor(ColourConversion::toColourValue(toPropertyValue(m_dlgDialog->Color())));
        showNumberOfSwatch();
    });
}

void KleurtjesWindow::cmdOKClicked()
{
    guarded([this] { close(); });
}

void KleurtjesWindow::copyNumber()
{
    guarded([this] { QGuiApplication::clipboard()->setText(m_ui->lblNummer->text()); });
}

// The number always comes from the swatch, so what is shown is what is painted.
void KleurtjesWindow::showNumberOfSwatch()
{
    m_ui->lblNummer->setText(colourNumberText(m_ui->picKleur->backColor()));
}
