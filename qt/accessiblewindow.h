#pragma once

#include <QAccessibleWidget>

// The main window to a screen reader: a frame, as a top-level window should be, where a
// plain widget is a filler; with the window's announcer among its children.
class AccessibleWindow : public QAccessibleWidget
{
public:
    explicit AccessibleWindow(QWidget *window);

    // For every KleurtjesWindow; Qt asks the factory installed last first, so this must
    // run after QApplication has installed its own.
    static void installFactory();

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;

private:
    QAccessibleInterface *announcer() const;
};
