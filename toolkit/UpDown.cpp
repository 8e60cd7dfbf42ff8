#include "toolkit/UpDown.h"

#include "toolkit/Application.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

namespace {

constexpr int kRepeatDelay = 400;
constexpr int kRepeatInterval = 80;

QToolButton* makeArrowButton(QWidget* parent, const char* name)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    // The arrows must never take the focus from the control they serve.
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoRepeat(true);
    b->setAutoRepeatDelay(kRepeatDelay);
    b->setAutoRepeatInterval(kRepeatInterval);
    return b;
}

} // namespace

TUpDown::TUpDown(QWidget* parent)
    : QWidget(parent)
    , FUpButton(makeArrowButton(this, "UpButton"))
    , FDownButton(makeArrowButton(this, "DownButton"))
{
    setFocusPolicy(Qt::NoFocus);
    // pressed() comes once per press and once after every repeat; clicked() would add one at release.
    connect(FUpButton, &QToolButton::pressed, this, [this] { buttonPressed(FUpButton, true); });
    connect(FDownButton, &QToolButton::pressed, this, [this] { buttonPressed(FDownButton, false); });
    const int extent = scrollArrowExtent(this);
    resize(extent, extent + extent / 2);
    arrange();
}

int TUpDown::scrollArrowExtent(const QWidget* w)
{
    const QStyle* s = w ? w->style() : QApplication::style();
    return s->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, w);
}

int TUpDown::fitInto(const QLineEdit* edit)
{
    const int frame = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit) : 0;
    const int innerRight = edit->width() - frame;
    const int left = innerRight - width();
    setGeometry(left, frame, width(), std::max(0, edit->height() - 2 * frame));
    // QLineEdit keeps 2 pixels between its text margin and the text itself.
    return innerRight - left;
}

void TUpDown::SetPosition(int v)
{
    FPosition = v;
}

void TUpDown::SetOrientation(TUDOrientation v)
{
    if (v == FOrientation)
        return;
    FOrientation = v;
    arrange();
}

void TUpDown::setRepeatTiming(int delay, int interval)
{
    for (QToolButton* b : {FUpButton, FDownButton}) {
        b->setAutoRepeatDelay(delay);
        b->setAutoRepeatInterval(interval);
    }
}

void TUpDown::buttonPressed(QToolButton* button, bool up)
{
    // A modal window opened by an earlier step owns the mouse now; the release will never reach
    // this button, so stop repeating instead of stepping behind the dialog's back.
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != window()) {
        button->setDown(false);
        return;
    }
    const qint64 pos = FPosition;
    qint64 proposed = up ? pos + FIncrement : pos - FIncrement;
    if (proposed > FMax)
        proposed = FWrap ? FMin : FMax;
    else if (proposed < FMin)
        proposed = FWrap ? FMax : FMin;
    const TUpDownDirection dir = proposed == pos ? updNone : (up ? updUp : updDown);

    runGuarded([&] {
        try {
            bool allow = true;
            if (OnChangingEx)
                OnChangingEx(this, allow, static_cast<int16_t>(proposed), dir);
            if (allow)
                FPosition = static_cast<int>(proposed);
        } catch (...) {
            // An error message must not be followed by a stream of further repeats.
            button->setDown(false);
            throw;
        }
    });
}

void TUpDown::showEvent(QShowEvent* event)
{
    nameAfterField();
    QWidget::showEvent(event);
}

void TUpDown::nameAfterField()
{
    const QString field = parentWidget() ? parentWidget()->accessibleName() : QString();
    if (field.isEmpty())
        return;
    setAccessibleName(QStringLiteral("%1 の矢印").arg(field));
    FUpButton->setAccessibleName(QStringLiteral("%1 を増やす").arg(field));
    FDownButton->setAccessibleName(QStringLiteral("%1 を減らす").arg(field));
}

void TUpDown::arrange()
{
    const int w = width();
    const int h = height();
    if (FOrientation == udVertical) {
        FUpButton->setArrowType(Qt::UpArrow);
        FDownButton->setArrowType(Qt::DownArrow);
        FUpButton->setGeometry(0, 0, w, h / 2);
        FDownButton->setGeometry(0, h / 2, w, h - h / 2);
    } else {
        // Left points down, right points up.
        FDownButton->setArrowType(Qt::LeftArrow);
        FUpButton->setArrowType(Qt::RightArrow);
        FDownButton->setGeometry(0, 0, w / 2, h);
        FUpButton->setGeometry(w / 2, 0, w - w / 2, h);
    }
}

void TUpDown::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    arrange();
}

void TUpDown::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::StyleChange)
        arrange();
}
