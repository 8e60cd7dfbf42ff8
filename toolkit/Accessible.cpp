#include "toolkit/Accessible.h"

#include "toolkit/ComboBox.h"
#include "toolkit/Image.h"

#include <QAbstractItemView>
#include <QLineEdit>

TAccessibleEdit::TAccessibleEdit(QLineEdit* edit)
    : QAccessibleWidget(edit, QAccessible::EditableText)
{
}

QLineEdit* TAccessibleEdit::edit() const
{
    return static_cast<QLineEdit*>(widget());
}

QString TAccessibleEdit::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return edit()->text();
    return QAccessibleWidget::text(t);
}

QAccessible::State TAccessibleEdit::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = edit()->isReadOnly();
    s.editable = !s.readOnly;
    s.selectableText = true;
    return s;
}

void* TAccessibleEdit::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
}

void TAccessibleEdit::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !edit()->hasSelectedText())
        return;
    *startOffset = edit()->selectionStart();
    *endOffset = edit()->selectionEnd();
}

int TAccessibleEdit::selectionCount() const
{
    return edit()->hasSelectedText() ? 1 : 0;
}

void TAccessibleEdit::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void TAccessibleEdit::removeSelection(int)
{
    edit()->deselect();
}

void TAccessibleEdit::setSelection(int, int startOffset, int endOffset)
{
    edit()->setSelection(startOffset, endOffset - startOffset);
}

int TAccessibleEdit::cursorPosition() const
{
    return edit()->cursorPosition();
}

void TAccessibleEdit::setCursorPosition(int position)
{
    edit()->setCursorPosition(position);
}

QString TAccessibleEdit::text(int startOffset, int endOffset) const
{
    return edit()->text().mid(startOffset, endOffset - startOffset);
}

int TAccessibleEdit::characterCount() const
{
    return static_cast<int>(edit()->text().size());
}

QRect TAccessibleEdit::characterRect(int) const
{
    return {};
}

int TAccessibleEdit::offsetAtPoint(const QPoint& point) const
{
    return edit()->cursorPositionAt(edit()->mapFromGlobal(point));
}

void TAccessibleEdit::scrollToSubstring(int, int)
{
}

QString TAccessibleEdit::attributes(int offset, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = offset;
    return {};
}

namespace {

class AccessibleComboBox : public QAccessibleWidget
{
public:
    explicit AccessibleComboBox(QComboBox* box)
        : QAccessibleWidget(box, QAccessible::ComboBox)
    {
    }

    QComboBox* box() const { return static_cast<QComboBox*>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return box()->currentText();
        return QAccessibleWidget::text(t);
    }

    // The popup list, so a screen reader can read the entries.
    int childCount() const override { return box()->view() ? 1 : 0; }
    QAccessibleInterface* child(int index) const override
    {
        return index == 0 && box()->view() ? QAccessible::queryAccessibleInterface(box()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && box()->view() && child->object() == box()->view() ? 0 : -1;
    }

    QStringList actionNames() const override
    {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override
    {
        if (name == showMenuAction() || name == pressAction())
            box()->showPopup();
        else
            QAccessibleWidget::doAction(name);
    }
};

QAccessibleInterface* factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("TComboBox"))
        return new AccessibleComboBox(static_cast<QComboBox*>(object));
    if (className == QLatin1String("TImage"))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Graphic);
    return nullptr;
}

} // namespace

void installAccessibleInterfaces()
{
    static const bool installed = (QAccessible::installFactory(factory), true);
    (void)installed;
}
