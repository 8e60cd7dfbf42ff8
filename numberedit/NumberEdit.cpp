#include "numberedit/NumberEdit.h"

#include "numberedit/AccessibleNumberEdit.h"
#include "toolkit/Conversions.h"
#include "toolkit/Errors.h"
#include "toolkit/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace {

// Holds the formatting guard for a scope; it is released also when a conversion fails.
class FormattingGuard
{
public:
    explicit FormattingGuard(bool& flag) : FFlag(flag) { FFlag = true; }
    ~FormattingGuard() { FFlag = false; }
    FormattingGuard(const FormattingGuard&) = delete;
    FormattingGuard& operator=(const FormattingGuard&) = delete;

private:
    bool& FFlag;
};

bool isEditingKey(QChar c)
{
    return c.unicode() == 8 || c.unicode() == 9 || c.unicode() == 13;
}

bool isSign(QChar c)
{
    return c == u'+' || c == u'-';
}

bool isDecimalDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isHexDigit(QChar c)
{
    return isDecimalDigit(c) || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

// The integer part as the regrouping while typing reads it: a signed integer of any length,
// 0 when there is none.
QString regroupIntegerPart(const QString& integerPart)
{
    qsizetype i = integerPart.startsWith(u'-') || integerPart.startsWith(u'+') ? 1 : 0;
    for (; i < integerPart.size(); ++i)
        if (!isDecimalDigit(integerPart[i]))
            return QStringLiteral("0");
    return GroupThousands(integerPart);
}

} // namespace

TNumberEdit::TNumberEdit(QWidget* parent) : TCustomEdit(parent)
{
    TAccessibleNumberEdit::install();
    {
        FormattingGuard guard(FFormatting);
        QLineEdit::setText(QStringLiteral("0"));
    }
    SetImeMode(imClose);
    // The filtered paste becomes the text, as a program sets it.
    SetPasteSetsText(true);
    // Dropped text would bypass the character filter.
    setAcceptDrops(false);
    ApplyAlignment();
}

TNumberEdit::~TNumberEdit() = default;

void TNumberEdit::SetAlignment(TAlignment value)
{
    if (value == FAlignment)
        return;
    FAlignment = value;
    ApplyAlignment();
}

void TNumberEdit::ApplyAlignment()
{
    Qt::Alignment horizontal = Qt::AlignRight;
    if (FAlignment == taLeftJustify)
        horizontal = Qt::AlignLeft;
    else if (FAlignment == taCenter)
        horizontal = Qt::AlignHCenter;
    setAlignment(horizontal | Qt::AlignVCenter);
}

void TNumberEdit::SetComma(bool value)
{
    FormattingGuard guard(FFormatting);
    FComma = value;
    RefreshText();
    update();
}

void TNumberEdit::SetFigure(int value)
{
    FFigure = value;
    RefreshText();
    update();
}

void TNumberEdit::SetFixed(bool value)
{
    FFixed = value;
    RefreshText();
    update();
}

void TNumberEdit::SetLimit(bool value)
{
    FLimit = value;
    if (value) {
        Clamp();
        RefreshText();
        update();
    }
}

void TNumberEdit::SetLimitOptions(TLimitOptions value)
{
    FLimitOptions = value;
    if (FLimit) {
        Clamp();
        RefreshText();
        update();
    }
}

void TNumberEdit::SetNumberType(TNumberType value)
{
    if (value == FNumberType)
        return;
    if (value == ntDecimal) {
        FNumberType = value;
        QString text = FloatToStr(FValue);
        // An exponent form without a separator would not read back as a decimal number.
        if (text.contains(u'E'))
            text = FloatToPlainText(FValue);
        SetText(text);
    } else {
        const int32_t n = ValueToInteger();
        FNumberType = value;
        SetText(TNumberText::HexText(uint32_t(n), FFigure));
    }
    update();
}

void TNumberEdit::SetMax(Extended value)
{
    if (!std::isfinite(value))
        return;
    FMax = value;
    if (FMin > FMax)
        FMin = FMax;
    if ((FValue > FMax || FValue < FMin) && FLimit && FLimitOptions.contains(loMax)) {
        FValue = FMax;
        RefreshText();
        update();
    }
}

void TNumberEdit::SetMin(Extended value)
{
    if (!std::isfinite(value))
        return;
    FMin = value;
    if (FMin > FMax)
        FMax = FMin;
    if ((FValue < FMin || FValue > FMax) && FLimit && FLimitOptions.contains(loMin)) {
        FValue = FMin;
        RefreshText();
        update();
    }
}

void TNumberEdit::SetValidMinus(bool value)
{
    FValidMinus = value;
    if (FNumberType == ntHex)
        RefreshText();
}

void TNumberEdit::SetValue(Extended value)
{
    if (!std::isfinite(value))
        return;
    if (FLimit && FLimitOptions.contains(loMin) && value < FMin)
        FValue = FMin;
    else if (FLimit && FLimitOptions.contains(loMax) && value > FMax)
        FValue = FMax;
    else
        FValue = value;
    RefreshText();
}

void TNumberEdit::SetZeroVisible(bool value)
{
    if (value == FZeroVisible)
        return;
    FZeroVisible = value;
    QString current = text();
    if (ParseText(current) == 0)
        RefreshText();
}

TNumberFormat TNumberEdit::Format() const
{
    return TNumberFormat{FNumberType, FRoundMode, FFigure, FFixed, FComma, FValidMinus, FZeroVisible};
}

QString TNumberEdit::FloatToPlainText(Extended value) const
{
    return TNumberText::FloatToPlainText(value);
}

QString TNumberEdit::RoundText(const QString& text, int digits) const
{
    return TNumberText::RoundText(text, digits, FRoundMode);
}

Extended TNumberEdit::ParseText(QString& text) const
{
    return TNumberText::ParseText(text, FNumberType, FValidMinus);
}

int32_t TNumberEdit::ValueToInteger() const
{
    return TNumberText::ValueToInteger(FValue, FRoundMode);
}

void TNumberEdit::Clamp()
{
    if (!FLimit)
        return;
    if (FLimitOptions.contains(loMin) && FValue < FMin)
        FValue = FMin;
    if (FLimitOptions.contains(loMax) && FValue > FMax)
        FValue = FMax;
}

QString TNumberEdit::FormatValue()
{
    Clamp();
    const TNumberText::Formatted formatted =
        TNumberText::FormatValue(FValue, text().startsWith(u'+'), Format());
    FValue = formatted.Value;
    return formatted.Text;
}

void TNumberEdit::RefreshText()
{
    SetText(FormatValue());
}

void TNumberEdit::Change()
{
    if (FFormatting)
        return;
    QString current = text();
    if (current.isEmpty() || current == u"-" || current == u"+") {
        FValue = 0;
        return;
    }
    FValue = ParseText(current);

    const QChar separator = DecimalSeparator();
    if (FComma && FNumberType == ntDecimal) {
        const bool negative = current.startsWith(u'-');
        const qsizetype p = current.indexOf(separator);
        const qsizetype oldLength = text().size();
        QString grouped = p < 0 ? regroupIntegerPart(current)
                                : regroupIntegerPart(current.left(p)) + current.mid(p);
        if (negative && !grouped.startsWith(u'-'))
            grouped.prepend(u'-');
        qsizetype caret = SelStart();
        {
            FormattingGuard guard(FFormatting);
            SetText(grouped);
            // The caret follows by one place whatever the change in length.
            if (grouped.size() > oldLength)
                ++caret;
            else if (grouped.size() < oldLength)
                --caret;
            caret = std::clamp<qsizetype>(caret, 0, grouped.size());
            setCursorPosition(int(caret));
        }
        FValue = StrToFloat(RoundText(text(), FFigure));
    } else if (FNumberType == ntDecimal) {
        FValue = StrToFloat(RoundText(text(), FFigure));
    }
    Clamp();
    TCustomEdit::Change();
}

void TNumberEdit::DoEnter()
{
    if (AutoSelect())
        selectAll();
    else
        setCursorPosition(int(text().size()));
    TCustomEdit::DoEnter();
    FTyped = false;
}

void TNumberEdit::DoExit()
{
    FormattingGuard guard(FFormatting);
    QString current = text();
    // A text that is no number ('5-3') is still reported, but the field then shows the value it
    // holds: after leaving, what it shows and what it holds never differ.
    std::exception_ptr refused;
    try {
        FValue = ParseText(current);
    } catch (const EConvertError&) {
        refused = std::current_exception();
    }
    SetText(FormatValue());
    SetModified(FTyped);
    TCustomEdit::DoExit();
    if (refused)
        std::rethrow_exception(refused);
}

bool TNumberEdit::IsValidKey(QChar Key) const
{
    const bool ctrl = ControlDown();
    const QChar separator = DecimalSeparator();
    if (FNumberType == ntHex) {
        if (ctrl || isEditingKey(Key) || isHexDigit(Key))
            return true;
        if (Key == u'-')
            return FValidMinus;
        if (Key == u'+')
            return text().startsWith(u'-');
        return false;
    }

    bool ok = ctrl || isEditingKey(Key) || isSign(Key) || isDecimalDigit(Key) || Key == separator;
    // Control combinations (copy, cut, paste, undo) pass also when the integer part is full.
    if (ok && !ctrl && FMaxIntLength >= 1) {
        const QString current = text();
        const QChar thousand = ThousandSeparator();
        qsizetype dp = current.indexOf(separator) + 1; // counted from 1
        if (dp == 0)
            dp = current.size() + 1;
        const QString integerPart = current.left(dp - 1);
        qsizetype digits = integerPart.size();
        for (QChar c : integerPart)
            if (isSign(c) || c == thousand)
                --digits;
        const QString selected = SelText();
        const int start = SelStart(); // counted from 0 against dp counted from 1: a selection that
                                      // begins at the separator still counts as integer part
        const bool replacing = !selected.isEmpty() && selected != QString(thousand) &&
                               selected != QString(separator) && selected != u"+" &&
                               selected != u"-" && start < dp;
        if (digits >= FMaxIntLength)
            ok = isEditingKey(Key) || isSign(Key) || Key == separator || start >= dp || replacing;
    }
    return ok;
}

void TNumberEdit::KeyPress(QChar& Key)
{
    if (!IsValidKey(Key)) {
        Key = QChar(0);
        return;
    }
    if (isSign(Key)) {
        if (!ReadOnly())
            ToggleSign(Key);
        Key = QChar(0);
        return;
    }
    if (Key == DecimalSeparator() && text().contains(DecimalSeparator())) {
        Key = QChar(0);
        return;
    }
    TCustomEdit::KeyPress(Key);
    // A read-only field takes nothing in, so nothing was typed into it.
    if (!ReadOnly())
        FTyped = true;
}

void TNumberEdit::ToggleSign(QChar sign)
{
    int caret = SelStart();
    if (caret == 0 && SelLength() >= 1)
        SetText(text().mid(SelLength()));

    QString current = text();
    const bool hasMinus = current.contains(u'-');
    const bool hasPlus = current.contains(u'+');
    const QChar other = sign == u'+' ? u'-' : u'+';
    if (sign == u'+' && FNumberType == ntHex && hasMinus) {
        SetText(current.mid(1));
    } else if (!hasMinus && !hasPlus) {
        SetText(sign + current);
        ++caret;
    } else if (current.contains(other)) {
        current[0] = sign;
        SetText(current);
    } else {
        SetText(current.mid(1));
        --caret;
    }
    setCursorPosition(std::max(caret, 0));
}

std::optional<QString> TNumberEdit::PasteFilter(const QString& Pasted, const QString& Rest, int At) const
{
    // Nothing may go in front of a sign.
    const qsizetype minus = Rest.indexOf(u'-');
    const qsizetype plus = Rest.indexOf(u'+');
    if ((minus >= 0 && minus >= At) || (plus >= 0 && plus >= At))
        return std::nullopt;

    const QChar separator = DecimalSeparator();
    const bool decimal = FNumberType == ntDecimal;
    QString kept;
    for (const QChar c : Pasted) {
        bool insert;
        if (decimal && isSign(c))
            insert = At == 0 && kept.isEmpty() && !Rest.contains(u'-') && !Rest.contains(u'+');
        else if (decimal && c == separator)
            insert = !Rest.contains(separator) && !kept.contains(separator);
        else
            insert = decimal ? isDecimalDigit(c) : isHexDigit(c);
        if (insert)
            kept += c;
    }
    return kept;
}
