#pragma once

#include "core/colourvalue.h"
#include "qt/colourchooser.h"

#include <QPointer>

#include <functional>

class QColorDialog;
class QPushButton;
class QString;
class QWidget;
class ReasonTip;
class ScreenColourPicker;

// The chooser over Qt's own colour dialog, which is built on first use only:
// building it up front costs the start-up more than the whole window does.
class DialogColourChooser : public ColourChooser
{
public:
    using PickerFactory = std::function<ScreenColourPicker *(QObject *parent)>;

    // The dialog's screen button starts a picker from createPicker, the desktop's by default.
    explicit DialogColourChooser(QWidget *parent, PickerFactory createPicker = {});

    bool ShowColor() override;
    QVariant Color() const override;
    void setColor(ColourValue value) override;

private:
    void takeScreenButton();
    void pickFromScreen(QPushButton *button);
    void refuse(QPushButton *button, const QString &reason);

    QWidget *m_parent = nullptr;
    PickerFactory m_createPicker;
    QPointer<QColorDialog> m_dialog;
    ScreenColourPicker *m_picker = nullptr;
    ReasonTip *m_reasonTip = nullptr;
    // The swatch's colour before anything is chosen: the dialog opens on what the window shows.
    ColourValue m_color = White;
};
