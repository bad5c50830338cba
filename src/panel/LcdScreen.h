#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QPixmap>
#include <QWidget>

/// The lit glass of the meter's LCD: a greenish-grey face with the faint unlit segments
/// ("ghosts") behind the digit cells. The cells are its children and draw only the ink.
class LcdScreen : public QWidget
{
    Q_OBJECT
public:
    explicit LcdScreen(QWidget* parent = nullptr);

    /// The colour of lit segments and indicator words.
    [[nodiscard]] static QColor inkColor();
    /// The faint tone of the unlit segments behind the digits.
    [[nodiscard]] static QColor unlitColor();

    /// Draws `text` unlit behind a cell at `rect` (in this widget's pixels).
    void addGhost(const QRect& rect, const QString& text, const QFont& font,
                  Qt::Alignment alignment);
    /// Takes every unlit cell away, before the cells are laid out again.
    void clearGhosts();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Ghost
    {
        QRect rect;
        QString text;
        QFont font;
        Qt::Alignment alignment;
    };

    void renderFace();

    QList<Ghost> m_ghosts;
    // The glass changes only when the ghosts do; cells repaint ~50 times a second, so the
    // face is drawn once and then copied.
    QPixmap m_face;
};
