#pragma once

#include <QDoubleSpinBox>

/// A numeric edit box of a graph window's axis range. It keeps the value it is given exactly
/// (it is shown through a number format such as "0.###", but not rounded to it), steps by a
/// settable increment, covers a wide range of both signs, and reports a value change on every
/// typed change and every change made by code.
///
/// With ClockFormat or ElapsedFormat the value is seconds, shown and typed as a time: a time
/// of day typed is taken on the day nearest the value it replaces, so that an axis past
/// midnight takes "00:10:00" as ten past midnight of its second day.
class AxisEdit : public QDoubleSpinBox
{
    Q_OBJECT
public:
    /// Seconds since a midnight, as "hh:mm:ss".
    static inline const QString ClockFormat = QStringLiteral("hh:mm:ss");
    /// Seconds, as "h:mm:ss".
    static inline const QString ElapsedFormat = QStringLiteral("h:mm:ss");

    explicit AxisEdit(QWidget* parent = nullptr);

    /// The display format ("0", "0.###", ...); the shown text follows at once.
    void setFormat(const QString& format);
    [[nodiscard]] const QString& format() const { return m_format; }

    QString textFromValue(double value) const override;
    double valueFromText(const QString& text) const override;
    QValidator::State validate(QString& text, int& pos) const override;
    void fixup(QString& text) const override;

private:
    [[nodiscard]] bool showsTime() const
    {
        return m_format == ClockFormat || m_format == ElapsedFormat;
    }

    QString m_format = QStringLiteral("0.###");
};
