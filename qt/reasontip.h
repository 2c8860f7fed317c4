#pragma once

#include <QLabel>
#include <QTimer>

// Why something was refused: a short text below a widget for a few seconds, drawn as a
// tooltip. Qt's own tooltip goes at the first change of focus, and after a context menu the
// window gets the focus back only once the command has run.
class ReasonTip : public QLabel
{
    Q_OBJECT

public:
    explicit ReasonTip(QWidget *parent);

    void showBelow(QWidget *anchor, const QString &text, int shownMs);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QTimer m_timer;
};
