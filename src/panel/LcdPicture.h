#pragma once

#include <QString>
#include <QWidget>

/// A picture cell of the LCD: a unit symbol, an indicator, a range pointer or a segment of
/// the range scale, drawn in LCD ink. It has no text to change; the live display only shows
/// or hides it.
class LcdPicture : public QWidget
{
    Q_OBJECT
public:
    /// What the picture shows.
    enum class Shape
    {
        Glyph,   ///< `text` in the widget's font
        Boxed,   ///< `text` inside a thin frame
        Line,    ///< a bar filling the widget
        Pointer, ///< a downward wedge pointing at the range scale
        Scale,   ///< a segment of the range scale with its tick and the legend `text`
    };

    LcdPicture(Shape shape, const QString& text, QWidget* parent = nullptr);

    /// How `Glyph` and `Boxed` place their text (default: left, vertically centred).
    void setAlignment(Qt::Alignment alignment);

    [[nodiscard]] Shape shape() const { return m_shape; }
    [[nodiscard]] QString text() const { return m_text; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Shape m_shape;
    QString m_text;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
};
