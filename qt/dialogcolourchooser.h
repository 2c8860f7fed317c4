#pragma once

#include "core/colourvalue.h"
#include "qt/colourchooser.h"

#include <QPointer>

class QColorDialog;
class QWidget;

// The chooser over Qt's own colour dialog, which is built on first use only:
// building it up front costs the start-up more than the whole window does.
class DialogColourChooser : public ColourChooser
{
public:
    explicit DialogColourChooser(QWidget *parent);

    bool ShowColor() override;
    QVariant Color() const override;
    void setColor(ColourValue value) override;

private:
    QWidget *m_parent = nullptr;
    QPointer<QColorDialog> m_dialog;
    // The swatch's colour before anything is chosen: the dialog opens on what the window shows.
    ColourValue m_color = White;
};
