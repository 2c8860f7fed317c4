#include "qt/numberlabel.h"

#include <QAccessibleWidget>

namespace {

// Qt's own interface for a label offers no text. This one offers the number, read only,
// without caret or selection.
class AccessibleNumber : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit AccessibleNumber(NumberLabel *label)
        : QAccessibleWidget(label, QAccessible::StaticText)
    { }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        return state;
    }

    QString text(QAccessible::Text type) const override
    {
        if (type == QAccessible::Name && label()->accessibleName().isEmpty())
            return label()->text();
        return QAccessibleWidget::text(type);
    }

    QString text(int startOffset, int endOffset) const override
    {
        return label()->text().mid(startOffset, endOffset - startOffset);
    }

    int characterCount() const override { return int(label()->text().size()); }

    QRect characterRect(int offset) const override
    {
        const QString text = label()->text();
        if (offset < 0 || offset >= text.size())
            return {};
        // The form aligns the number to the top left.
        const QFontMetrics metrics = label()->fontMetrics();
        const QPoint topLeft = label()->contentsRect().topLeft()
            + QPoint(metrics.horizontalAdvance(text.left(offset)), 0);
        return { label()->mapToGlobal(topLeft),
            QSize(metrics.horizontalAdvance(text.at(offset)), metrics.height()) };
    }

    int offsetAtPoint(const QPoint &) const override { return -1; }
    void selection(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override { }
    void removeSelection(int) override { }
    void setSelection(int, int, int) override { }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override { }
    void scrollToSubstring(int, int) override { }

    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

private:
    QLabel *label() const { return static_cast<QLabel *>(widget()); }
};

QAccessibleInterface *accessibleNumber(const QString &, QObject *object)
{
    auto *label = qobject_cast<NumberLabel *>(object);
    return label ? new AccessibleNumber(label) : nullptr;
}

} // namespace

NumberLabel::NumberLabel(QWidget *parent)
    : QLabel(parent)
{
    [[maybe_unused]] static const bool installed
        = (QAccessible::installFactory(&accessibleNumber), true);
}
