#pragma once

#include <QString>
#include <QWidget>

/// One of the meter's keys on the front panel. It paints a raised key; from mouse-down to
/// mouse-up the raised face is taken away and the pressed look drawn beneath it shows, as on
/// the meter. The face follows the mouse by itself; `setFaceDown` lets a controller drive it
/// too.
class KeyFace : public QWidget
{
    Q_OBJECT
public:
    /// The arrow printed on an arrow key.
    enum class Arrow
    {
        None,
        Left,
        Right,
        Up,
        Down
    };
    /// Dark arrow keys or light grey function keys.
    enum class Tone
    {
        Dark,
        Gray
    };

    KeyFace(int index, Tone tone, Arrow arrow, const QString& caption, QWidget* parent = nullptr);

    /// The key's index within its row of keys (the `CmdArrow`/`CmdGray` element).
    [[nodiscard]] int index() const { return m_index; }
    /// True while the raised face is taken away.
    [[nodiscard]] bool isFaceDown() const { return m_down; }
    /// Shows the pressed look (`down`) or the raised face.
    void setFaceDown(bool down);

signals:
    /// Mouse-down on the key (any button).
    void pressed(int index);
    /// Mouse-up after `pressed`, wherever the pointer is by then.
    void released(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void paintSymbol(QPainter& p, const QRectF& face, const QColor& color) const;

    int m_index;
    Tone m_tone;
    Arrow m_arrow;
    QString m_caption;
    bool m_down = false;
    // A second button pressed while one is held belongs to the same press.
    bool m_held = false;
};
