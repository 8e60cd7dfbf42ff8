#pragma once

#include "numberedit/NumberText.h"
#include "numberedit/NumberTypes.h"
#include "toolkit/CustomEdit.h"
#include "toolkit/Types.h"

// Single-line entry for one number: keeps an extended-precision Value, shows it formatted by
// its properties, lets only number text be typed or pasted, and optionally holds the value
// within Min and Max. Can also edit an integer in hexadecimal digits.
class TNumberEdit : public TCustomEdit
{
    Q_OBJECT

public:
    explicit TNumberEdit(QWidget* parent = nullptr);
    ~TNumberEdit() override;

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    bool Comma() const { return FComma; }
    void SetComma(bool value);
    int Figure() const { return FFigure; }
    void SetFigure(int value);
    bool Fixed() const { return FFixed; }
    void SetFixed(bool value);
    bool Limit() const { return FLimit; }
    void SetLimit(bool value);
    TLimitOptions LimitOptions() const { return FLimitOptions; }
    void SetLimitOptions(TLimitOptions value);
    TNumberType NumberType() const { return FNumberType; }
    void SetNumberType(TNumberType value);
    Extended Max() const { return FMax; }
    void SetMax(Extended value);
    int MaxIntLength() const { return FMaxIntLength; }
    void SetMaxIntLength(int value) { FMaxIntLength = value; }
    Extended Min() const { return FMin; }
    void SetMin(Extended value);
    TRoundMode RoundMode() const { return FRoundMode; }
    void SetRoundMode(TRoundMode value) { FRoundMode = value; }
    bool ValidMinus() const { return FValidMinus; }
    void SetValidMinus(bool value);
    // The stored number; it does not look at the text.
    Extended Value() const { return FValue; }
    // Clamps, stores and refreshes the text; a NaN or infinity leaves everything unchanged.
    void SetValue(Extended value);
    bool ZeroVisible() const { return FZeroVisible; }
    void SetZeroVisible(bool value);

protected:
    void Change() override;
    void DoEnter() override;
    void DoExit() override;
    void KeyPress(QChar& Key) override;
    std::optional<QString> PasteFilter(const QString& Pasted, const QString& Rest, int At) const override;

    bool IsValidKey(QChar Key) const;
    // True once a typed character reached the edit since the last focus enter.
    bool Typed() const { return FTyped; }

    QString FloatToPlainText(Extended value) const;
    QString RoundText(const QString& text, int digits) const;
    Extended ParseText(QString& text) const;
    QString FormatValue();
    int32_t ValueToInteger() const;
    void Clamp();
    // Sets the text to FormatValue's result.
    void RefreshText();

private:
    TNumberFormat Format() const;
    void ApplyAlignment();
    void ToggleSign(QChar sign);

    bool FFormatting = false;
    TAlignment FAlignment = taRightJustify;
    bool FValidMinus = false;
    bool FComma = false;
    int FFigure = -1;
    bool FFixed = false;
    bool FTyped = false;
    bool FLimit = false;
    TLimitOptions FLimitOptions{loMax, loMin};
    Extended FMax = 0;
    int FMaxIntLength = 0;
    Extended FMin = 0;
    TRoundMode FRoundMode = rmDown;
    Extended FValue = 0;
    TNumberType FNumberType = ntDecimal;
    bool FZeroVisible = true;
};
