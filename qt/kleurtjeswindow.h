#pragma once

#include "core/colournotation.h"
#include "core/colourvalue.h"
#include "qt/colourchooser.h"

#include <QKeySequence>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>

class Announcer;
class QTimer;
class ReasonTip;
class RecentStore;
class ScreenColourPicker;

namespace Ui {
class frmKleurtjes;
}

// frmKleurtjes: the swatch, its colour number and the two buttons, with the handlers
// that connect them to the colour chooser, the clipboard, drag and drop and the recent
// colours.
class KleurtjesWindow : public QWidget
{
    Q_OBJECT

public:
    // Without a chooser of its own the window uses Qt's colour dialog.
    explicit KleurtjesWindow(
        std::unique_ptr<ColourChooser> chooser = {}, QWidget *parent = nullptr);
    ~KleurtjesWindow() override;

    // Gives the window its first state, white unless a start colour is given; runs once,
    // before the window is shown.
    void load(std::optional<ColourValue> start = {});

    // The colour the swatch shows.
    ColourValue colour() const;

    // Takes a colour from the screen; does nothing while a pick is under way.
    void pickFromScreen();
    // The same once the window is first active: until then a window manager may not have
    // placed it. Where nothing activates it, a moment after the call all the same; at once
    // where no window manager runs.
    void pickOnceActive();

signals:
    // After each pick from the screen: whether a colour was taken and, where the picker could
    // not take the screen at all, why not.
    void pickEnded(bool taken, const QString &refusal);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    ScreenColourPicker *picker();
    void startPendingPick();
    void cmdKleurClicked();
    void cmdOKClicked();
    void copy(Notation notation);
    void paste();
    void showNumberMenu(const QPoint &globalPosition);
    void showNumberMenuFromKeyboard();
    void takeColour(ColourValue value);
    void keep(ColourValue value);
    void writeLater();
    RecentStore &recentStore();
    void refuse(const std::string &reason);
    void showNumberOfSwatch(bool announce);

    std::unique_ptr<Ui::frmKleurtjes> m_ui;
    std::unique_ptr<ColourChooser> m_dlgDialog;
    ReasonTip *m_reasonTip = nullptr;
    ScreenColourPicker *m_picker = nullptr;
    Announcer *m_announcer = nullptr;
    std::unique_ptr<RecentStore> m_recent;
    QTimer *m_writeTimer = nullptr;
    bool m_pickPending = false;
    QKeySequence m_pickShortcut;
    // The X server time of the pick shortcut's key's last release.
    std::optional<quint64> m_pickKeyReleased;
};
