#pragma once

#include <QString>
#include <QWidget>

/// One of the meter's keys on the front panel. It paints a raised key; from mouse-down to
/// mouse-up the raised face is taken away and the pressed look drawn beneath it shows, as on
/// the meter. The face follows the mouse by itself; `setFaceDown` lets a controller drive it
/// too. Tab gives it the focus, shown as a lit ring round the key; Space or Enter then press
/// it as the mouse does, from key-down to key-up.
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
    /// Mouse-down on the key (any button), or Space or Enter down while it has the focus.
    void pressed(int index);
    /// Mouse-up (wherever the pointer is by then) or key-up after `pressed`, or the focus
    /// leaving the key while Space or Enter holds it.
    void released(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    /// What holds the key down: a press ends only by the same means that began it.
    enum class Holder
    {
        None,
        Mouse,
        Keyboard
    };

    void press(Holder holder);
    void release();
    void paintSymbol(QPainter& p, const QRectF& face, const QColor& color) const;
    void paintFocusRing(QPainter& p, const QRectF& outer, qreal radius) const;

    int m_index;
    Tone m_tone;
    Arrow m_arrow;
    QString m_caption;
    bool m_down = false;
    // A second button (or Space while a button is held) belongs to the same press.
    Holder m_holder = Holder::None;
};
