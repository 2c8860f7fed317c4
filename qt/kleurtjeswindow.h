#pragma once

#include "qt/colourchooser.h"

#include <QWidget>

#include <memory>

namespace Ui {
class frmKleurtjes;
}

// frmKleurtjes: the swatch, its colour number and the two buttons, with the handlers
// that connect them to the colour chooser.
class KleurtjesWindow : public QWidget
{
    Q_OBJECT

public:
    // Without a chooser of its own the window uses Qt's colour dialog.
    explicit KleurtjesWindow(
        std::unique_ptr<ColourChooser> chooser = {}, QWidget *parent = nullptr);
    ~KleurtjesWindow() override;

    // Gives the window its first state; runs once, before the window is shown.
    void load();

private:
    void cmdKleurClicked();
    void cmdOKClicked();
    void copyNumber();
    void showNumberOfSwatch();

    std::unique_ptr<Ui::frmKleurtjes> m_ui;
    std::unique_ptr<ColourChooser> m_dlgDialog;
};
