#include "Panel.h"

#include "ElidedLabel.h"
#include "KeyFace.h"
#include "LcdFonts.h"
#include "LcdPicture.h"
#include "LcdScreen.h"
#include "PanelLayout.h"
#include "PanelModel.h"
#include "ToolbarImages.h"
#include "WindowPlacement.h"
#include "WindowToolbar.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLinearGradient>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadialGradient>
#include <QStyle>
#include <QToolBar>

namespace {

const QString kTitle = QStringLiteral("Panel   V7.1");
const QString kDeviceName = QStringLiteral("BATTERY ANALYZER");

struct PanelButton
{
    const char* key;
    const char* toolTip;
    const char* shortcut; // as QKeySequence reads it; empty for none
};

// In index order; button n shows image n. The everyday commands have shortcuts; Erase has
// none, for a slip of the fingers must not destroy the meter's data.
constexpr std::array<PanelButton, ToolbarImageCount> kToolbarButtons{{
    {"Save", "Save as", "Ctrl+S"},
    {"Open", "Open File to Read", "Ctrl+O"},
    {"List", "List Display", "Ctrl+L"},
    {"Graph", "Graphic Display", "Ctrl+G"},
    {"Sampling", "Sampling Rate", ""},
    {"StopRec", "Stop Rec", ""},
    {"TimeSet", "Real Time Clock", "Ctrl+T"},
    {"Memory", "Data Logger", "Ctrl+M"},
    {"COMP", "Comparator", "Ctrl+K"},
    {"Erase", "Erase Memory", ""},
    {"Grade", "Cell Grading", "Ctrl+Shift+G"},
}};
constexpr int kStopRecButton = 6;
constexpr int kRecordingImage = 6;

constexpr std::array kArrowShapes{KeyFace::Arrow::Left, KeyFace::Arrow::Right, KeyFace::Arrow::Up,
                                  KeyFace::Arrow::Down};
const std::array<QString, PanelLayout::GrayKeyCount> kGrayCaptions{
    QStringLiteral("HOLD"), QStringLiteral("MODE"), QStringLiteral("SET")};

// Legends of the range scale ImgR 0-6: the scale's start, then the six resistance ranges in
// the order of the range pictures RS 1-6.
const std::array<QString, PanelLayout::RangeSteps> kRangeLegends{
    QStringLiteral("\u03A9"), QStringLiteral("4m"), QStringLiteral("40m"), QStringLiteral("400m"),
    QStringLiteral("4"),      QStringLiteral("40"), QStringLiteral("400")};

const QColor kPrintColour(0xc9, 0xcd, 0xd3);

// Toolbar images at the design size, and when the picture is narrower than that.
constexpr int kIcon = 24;
constexpr int kSmallIcon = 16;
// The smallest picture, as a share of its design size.
constexpr qreal kSmallestZoom = 0.7;

bool isLabelLook(CellLook look)
{
    switch (look) {
    case CellLook::BigDigit:
    case CellLook::BigPoint:
    case CellLook::BigMinus:
    case CellLook::SmallDigits:
    case CellLook::SmallValue:
    case CellLook::SmallColon:
    case CellLook::Word:
    case CellLook::ValueHolder:
        return true;
    default:
        return false;
    }
}

Qt::Alignment alignmentFor(CellLook look)
{
    switch (look) {
    case CellLook::BigPoint:
        return Qt::AlignHCenter | Qt::AlignBottom;
    case CellLook::SmallDigits:
    case CellLook::SmallValue:
        // A blank digit is a narrow space in the segment face: right-aligned, the digits still
        // land on their places, as a meter blanks a leading zero.
        return Qt::AlignRight | Qt::AlignVCenter;
    case CellLook::SmallColon:
        return Qt::AlignCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

// What an unlit cell still shows faintly through the glass.
QString ghostFor(Cell cell, CellLook look)
{
    switch (look) {
    case CellLook::BigDigit:
        return QStringLiteral("8");
    case CellLook::BigPoint:
        return QStringLiteral(".");
    case CellLook::BigMinus:
        return QStringLiteral("-");
    case CellLook::SmallValue:
        return QStringLiteral("8.8.8.8");
    case CellLook::SmallDigits:
        return QString(cellCaption(cell).size(), QLatin1Char('8'));
    case CellLook::SmallColon:
        return QStringLiteral(":");
    default:
        return {};
    }
}

void setInk(QWidget* w, const QColor& colour)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, colour);
    w->setPalette(pal);
}

} // namespace

Panel::Panel(QWidget* parent)
    : QWidget(parent), m_design(TwipsScale::forScreen(screen())), m_scale(m_design)
{
    setObjectName(QStringLiteral("Panel"));
    setWindowTitle(kTitle);

    buildToolbar();
    buildLcd();
    buildKeys();
    buildStatusLine();
    buildMenu();

    // Below this the indicator words and the status line can no longer be told apart.
    setMinimumSize(sizeAt(kSmallestZoom));
    resize(sizeHint());
    layOutFace();
    WindowPlacement::manage(this);
}

QSize Panel::sizeAt(qreal zoom) const
{
    const TwipsScale s(m_design.dpi() * zoom);
    return {s.px(PanelLayout::ClientWidth),
            s.px(PanelLayout::ClientHeight) + m_toolbarHeights[zoom < 1.0 ? 1 : 0]};
}

QSize Panel::sizeHint() const
{
    return sizeAt(1.0);
}

void Panel::fitHeight(const QRect& available)
{
    // A title bar is not part of the window yet; leave room for a generous one.
    const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight) + 12;
    const int room = available.height() - titleBar;
    if (room <= 0 || height() <= room)
        return;
    const qreal zoom = qreal(room - m_toolbarHeights[1]) / m_design.px(PanelLayout::ClientHeight);
    resize(sizeAt(zoom).expandedTo(minimumSize()));
}

void Panel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layOutFace();
}

QRect Panel::place(const QRect& twips) const
{
    return m_scale.rect(twips).translated(m_faceAt);
}

QRect Panel::placeOnGlass(const QRect& twips) const
{
    return m_scale.rect(twips).translated(-m_scale.rect(PanelLayout::Glass).topLeft());
}

void Panel::addPiece(QWidget* widget, const QRect& twips, bool onGlass, Face face, int fontTwips)
{
    Piece piece;
    piece.widget = widget;
    piece.twips = twips;
    piece.onGlass = onGlass;
    piece.face = face;
    piece.fontTwips = fontTwips;
    m_pieces.push_back(piece);
}

QFont Panel::fontOf(Face face, int twips) const
{
    const int px = m_scale.px(twips);
    switch (face) {
    case Face::Segment:
        return LcdFonts::segment(px);
    case Face::Ink:
        return LcdFonts::ink(px);
    case Face::Caption:
        return LcdFonts::caption(px);
    case Face::None:
        break;
    }
    return font();
}

void Panel::layOutFace()
{
    // The toolbar keeps its buttons in reach: smaller ones once the picture is narrower than
    // its design width.
    const bool narrow = width() < sizeHint().width();
    m_toolbar->setIconSize(narrow ? QSize(kSmallIcon, kSmallIcon) : QSize(kIcon, kIcon));
    m_toolbarHeight = m_toolbarHeights[narrow ? 1 : 0];
    m_toolbar->setGeometry(0, 0, width(), m_toolbarHeight);

    const qreal zoom =
        qMin(qreal(width()) / m_design.px(PanelLayout::ClientWidth),
             qreal(height() - m_toolbarHeight) / m_design.px(PanelLayout::ClientHeight));
    m_scale = TwipsScale(m_design.dpi() * (qFuzzyCompare(zoom, 1.0) ? 1.0 : zoom));
    const QSize face(m_scale.px(PanelLayout::ClientWidth), m_scale.px(PanelLayout::ClientHeight));
    m_faceAt = QPoint(qMax(0, (width() - face.width()) / 2),
                      m_toolbarHeight + qMax(0, (height() - m_toolbarHeight - face.height()) / 2));

    m_lcd->setGeometry(place(PanelLayout::Glass));
    m_lcd->clearGhosts();
    for (const Piece& piece : m_pieces) {
        const QFont font = fontOf(piece.face, piece.fontTwips);
        QRect rect = piece.onGlass ? placeOnGlass(piece.twips) : place(piece.twips);
        if (!piece.widthText.isEmpty())
            rect.setWidth(QFontMetrics(font).horizontalAdvance(piece.widthText) + 2);
        if (piece.face != Face::None)
            piece.widget->setFont(font);
        // A fixed size keeps text changes from asking for a relayout.
        piece.widget->setFixedSize(rect.size());
        piece.widget->move(rect.topLeft());
        if (!piece.ghost.isEmpty())
            m_lcd->addGhost(rect, piece.ghost, font, piece.alignment);
    }
    m_body = QPixmap();
    update();
}

void Panel::buildToolbar()
{
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setIconSize(QSize(kIcon, kIcon));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    // Ten buttons in the picture's width: the buttons' own margins keep them apart.
    m_toolbar->setStyleSheet(
        QStringLiteral("QToolBar { spacing: 0px; } QToolButton { padding: 0px; }"));
    for (int n = 1; n <= ToolbarImageCount; ++n) {
        const PanelButton& b = kToolbarButtons[n - 1];
        QAction* action = m_toolbar->addAction(toolbarImage(n), QString::fromLatin1(b.toolTip));
        action->setProperty("Key", QString::fromLatin1(b.key));
        action->setToolTip(QString::fromLatin1(b.toolTip));
        if (*b.shortcut)
            giveShortcut(action, action->toolTip(), QKeySequence(QString::fromLatin1(b.shortcut)));
        if (n == kStopRecButton) {
            // Exists only to lend its image to button 1 while recording.
            action->setEnabled(false);
            action->setVisible(false);
        }
    }
    m_saveAction = m_toolbar->actions().constFirst();
    connect(m_toolbar, &QToolBar::actionTriggered, this, [this](QAction* action) {
        emit toolbarButtonClicked(action->property("Key").toString());
    });
    m_toolbar->setIconSize(QSize(kSmallIcon, kSmallIcon));
    m_toolbarHeights[1] = m_toolbar->sizeHint().height();
    m_toolbar->setIconSize(QSize(kIcon, kIcon));
    m_toolbarHeights[0] = m_toolbarHeight = m_toolbar->sizeHint().height();
}

void Panel::buildLcd()
{
    auto* name = new QLabel(kDeviceName, this);
    name->setObjectName(QStringLiteral("LblName"));
    name->setTextFormat(Qt::PlainText);
    name->setAlignment(Qt::AlignCenter);
    setInk(name, kPrintColour);
    addPiece(name, PanelLayout::Name, false, Face::Caption, PanelLayout::NameFont);

    m_lcd = new LcdScreen(this);
    for (int i = 0; i < CellCount; ++i)
        m_cells[i] = createCell(static_cast<Cell>(i));

    for (int k = 0; k < PanelLayout::RangeSteps; ++k) {
        auto* scale = new LcdPicture(LcdPicture::Shape::Scale, kRangeLegends[k], m_lcd);
        scale->setObjectName(QStringLiteral("ImgR_%1").arg(k));
        addPiece(scale, PanelLayout::rangeScale(k), true, Face::Ink, PanelLayout::WordFont - 15);
    }
    paintLcdInk();
}

QWidget* Panel::createCell(Cell cell)
{
    const CellPlace where = PanelLayout::cellPlace(cell);
    const QString caption = cellCaption(cell);

    Piece piece;
    piece.twips = where.twips;
    piece.onGlass = where.look != CellLook::ValueHolder;
    switch (where.look) {
    case CellLook::BigDigit:
    case CellLook::BigMinus:
        piece.face = Face::Segment;
        piece.fontTwips = PanelLayout::BigDigitFont;
        break;
    case CellLook::BigPoint:
        // The segment face's own point is a speck at this size; a round dot reads better.
        piece.face = Face::Ink;
        piece.fontTwips = PanelLayout::BigPointFont;
        break;
    case CellLook::SmallDigits:
    case CellLook::SmallValue:
    case CellLook::SmallColon:
        piece.face = Face::Segment;
        piece.fontTwips = PanelLayout::SmallDigitFont;
        break;
    case CellLook::Symbol:
        piece.face = Face::Ink;
        piece.fontTwips = PanelLayout::SymbolFont;
        break;
    default:
        piece.face = Face::Ink;
        piece.fontTwips = PanelLayout::WordFont;
        break;
    }
    if (where.twips.width() == 0) // as wide as the caption, like an auto-sized label
        piece.widthText = caption;

    QWidget* widget = nullptr;
    if (isLabelLook(where.look)) {
        auto* label = new QLabel(caption, piece.onGlass ? static_cast<QWidget*>(m_lcd)
                                                        : static_cast<QWidget*>(this));
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(alignmentFor(where.look));
        label->setMargin(0);
        m_labels[cellIndex(cell)] = label;
        widget = label;
        // Only the segment face draws a digit inside the unlit 8; another face would show two
        // different glyphs over each other.
        if (piece.face != Face::Segment || LcdFonts::hasSegmentFont())
            piece.ghost = ghostFor(cell, where.look);
        piece.alignment = alignmentFor(where.look);
    } else {
        LcdPicture::Shape shape = LcdPicture::Shape::Glyph;
        if (where.look == CellLook::Boxed)
            shape = LcdPicture::Shape::Boxed;
        else if (where.look == CellLook::Line)
            shape = LcdPicture::Shape::Line;
        else if (where.look == CellLook::Pointer)
            shape = LcdPicture::Shape::Pointer;
        auto* picture = new LcdPicture(shape, caption, m_lcd);
        if (where.look == CellLook::Symbol)
            picture->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        widget = picture;
    }
    widget->setObjectName(cellName(cell));
    if (where.look == CellLook::ValueHolder)
        widget->hide();
    piece.widget = widget;
    m_pieces.push_back(piece);
    return widget;
}

void Panel::buildKeys()
{
    for (int k = 0; k < PanelLayout::ArrowKeyCount; ++k) {
        auto* key = new KeyFace(k, KeyFace::Tone::Dark, kArrowShapes[k], QString(), this);
        key->setObjectName(QStringLiteral("CmdArrow_%1").arg(k));
        addPiece(key, PanelLayout::arrowKey(k));
        connect(key, &KeyFace::pressed, this, &Panel::arrowPressed);
        connect(key, &KeyFace::released, this, &Panel::arrowReleased);
        m_arrowKeys[k] = key;
    }
    for (int k = 0; k < PanelLayout::GrayKeyCount; ++k) {
        auto* key =
            new KeyFace(k, KeyFace::Tone::Gray, KeyFace::Arrow::None, kGrayCaptions[k], this);
        key->setObjectName(QStringLiteral("CmdGray_%1").arg(k));
        addPiece(key, PanelLayout::grayKey(k), false, Face::Caption, PanelLayout::KeyFont);
        connect(key, &KeyFace::pressed, this, &Panel::grayPressed);
        connect(key, &KeyFace::released, this, &Panel::grayReleased);
        m_grayKeys[k] = key;
    }

    m_rangeButton = new QPushButton(QStringLiteral("Range"), this);
    m_rangeButton->setObjectName(QStringLiteral("CmdRange"));
    // Reached by Tab after the keys, as they are; a click leaves no focus on it.
    m_rangeButton->setFocusPolicy(Qt::TabFocus);
    QPalette dark = m_rangeButton->palette();
    dark.setColor(QPalette::Button, QColor(0x3c, 0x40, 0x46));
    dark.setColor(QPalette::ButtonText, kPrintColour);
    m_rangeButton->setPalette(dark);
    addPiece(m_rangeButton, PanelLayout::Range, false, Face::Caption, PanelLayout::KeyFont);
    connect(m_rangeButton, &QPushButton::clicked, this, &Panel::rangeClicked);
}

QLabel* Panel::createStatusLabel(const QString& name, const QString& text, const QRect& twips,
                                 Qt::Alignment alignment, QLabel* label)
{
    if (!label)
        label = new QLabel(this);
    label->setText(text);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(alignment);
    setInk(label, kPrintColour);
    addPiece(label, twips, false, Face::Caption, PanelLayout::StatusFont);
    return label;
}

void Panel::buildStatusLine()
{
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    m_recLabel = createStatusLabel(QStringLiteral("LblRec"), QStringLiteral("Rec."),
                                   PanelLayout::RecLabel, left);
    m_countLabel =
        createStatusLabel(QStringLiteral("LblCount"), QString(), PanelLayout::CountLabel, left);
    m_fileNameLabel = createStatusLabel(QStringLiteral("LblFileName"), QString(),
                                        PanelLayout::FileNameLabel, left);
    // A device path can be far longer than "COM1"; the label shortens it in the middle.
    m_linkLabel = createStatusLabel(QStringLiteral("LblCOM"), QStringLiteral("No COM"),
                                    PanelLayout::LinkLabel, Qt::AlignCenter, new ElidedLabel(this));
    m_linkLabel->setCursor(Qt::PointingHandCursor);
    m_linkLabel->installEventFilter(this);
}

void Panel::showCells(const PanelModel& model, const CellFlags& cells)
{
    if (cells.none())
        return;
    for (int i = 0; i < CellCount; ++i) {
        if (cells.test(i))
            showCell(i, model.cell(static_cast<Cell>(i)));
    }
}

void Panel::showAllCells(const PanelModel& model)
{
    showCells(model, CellFlags().set());
}

void Panel::showCell(int index, const CellState& state)
{
    QLabel* label = m_labels[index];
    if (label && label->text() != state.text)
        label->setText(state.text);
    m_cells[index]->setVisible(state.visible);
}

void Panel::setKeyFaceDown(bool arrow, int index, bool down)
{
    if (arrow && index >= 0 && index < PanelLayout::ArrowKeyCount)
        m_arrowKeys[index]->setFaceDown(down);
    else if (!arrow && index >= 0 && index < PanelLayout::GrayKeyCount)
        m_grayKeys[index]->setFaceDown(down);
}

void Panel::setLcdStale(bool stale)
{
    if (m_stale == stale)
        return;
    m_stale = stale;
    paintLcdInk();
}

void Panel::paintLcdInk()
{
    // Over its unlit segments a stale cell shows those alone: its lit ones are a part of them.
    for (const Piece& piece : m_pieces) {
        if (!piece.onGlass)
            continue;
        QColor ink = LcdScreen::inkColor();
        if (m_stale)
            ink = piece.ghost.isEmpty() ? LcdScreen::unlitColor() : QColor(Qt::transparent);
        setInk(piece.widget, ink);
    }
}

void Panel::setRecordingLook(bool recording)
{
    m_saveAction->setIcon(toolbarImage(recording ? kRecordingImage : 1));
    m_saveAction->setToolTip(
        tipWithKeys(recording ? QStringLiteral("Stop Recording") : QStringLiteral("Save As"),
                    m_saveAction->shortcut()));
}

void Panel::setWaitingLook(bool waiting)
{
    for (Piece& piece : m_pieces) {
        if (piece.widget == m_recLabel)
            piece.twips = waiting ? PanelLayout::RecWaitingLabel : PanelLayout::RecLabel;
    }
    m_countLabel->setVisible(!waiting);
    m_fileNameLabel->setVisible(!waiting);
    layOutFace();
}

void Panel::buildMenu()
{
    const auto add = [this](const QString& text, const QString& name, const QKeySequence& keys,
                            Qt::ShortcutContext context) {
        auto* action = new QAction(text, this);
        action->setObjectName(name);
        action->setShortcut(keys);
        action->setShortcutContext(context);
        addAction(action);
        m_menuActions.append(action);
        return action;
    };
    // F1 from any of the program's windows, not only from this one.
    QAction* help = add(QStringLiteral("Help"), QStringLiteral("MenuHelp"),
                        QKeySequence(Qt::Key_F1), Qt::ApplicationShortcut);
    connect(help, &QAction::triggered, this, [this] { emit helpRequested({}); });
    QAction* keys = add(QStringLiteral("Keyboard shortcuts"), QStringLiteral("MenuShortcuts"), {},
                        Qt::WindowShortcut);
    connect(keys, &QAction::triggered, this,
            [this] { emit helpRequested(QStringLiteral("Keyboard shortcuts")); });
    QAction* about =
        add(QStringLiteral("About"), QStringLiteral("MenuAbout"), {}, Qt::WindowShortcut);
    connect(about, &QAction::triggered, this, &Panel::aboutRequested);
    QAction* lab = add(QStringLiteral("Lab"), QStringLiteral("MenuLab"), {}, Qt::WindowShortcut);
    connect(lab, &QAction::triggered, this, &Panel::labRequested);
    QAction* publish = add(QStringLiteral("Publish to lab"), QStringLiteral("MenuPublish"), {},
                           Qt::WindowShortcut);
    connect(publish, &QAction::triggered, this, &Panel::publishToLabRequested);
    QAction* quit = add(QStringLiteral("Quit"), QStringLiteral("MenuQuit"),
                        QKeySequence(QStringLiteral("Ctrl+Q")), Qt::WindowShortcut);
    connect(quit, &QAction::triggered, this, &QWidget::close);
}

void Panel::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addActions(m_menuActions.mid(0, 3));
    menu.addSeparator();
    menu.addActions(m_menuActions.mid(3, 2));
    menu.addSeparator();
    menu.addAction(m_menuActions.last());
    menu.exec(event->globalPos());
}

bool Panel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_linkLabel && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && m_linkLabel->rect().contains(mouse->pos()))
            emit linkLabelClicked();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void Panel::closeEvent(QCloseEvent* event)
{
    emit closing();
    event->accept();
}

void Panel::paintEvent(QPaintEvent* event)
{
    if (m_body.isNull() || m_body.size() != size() * devicePixelRatioF())
        renderBody();
    QPainter p(this);
    const QRect dirty = event->rect();
    const qreal dpr = devicePixelRatioF();
    p.drawPixmap(dirty, m_body, QRectF(dirty.topLeft() * dpr, dirty.size() * dpr));
}

void Panel::renderBody()
{
    const qreal dpr = devicePixelRatioF();
    m_body = QPixmap(size() * dpr);
    m_body.setDevicePixelRatio(dpr);
    m_body.fill(palette().color(QPalette::Window));

    QPainter p(&m_body);
    p.setRenderHint(QPainter::Antialiasing);
    const auto at = [this](const QRect& twips) { return QRectF(place(twips)); };
    const auto radius = [this](int twips) { return qreal(m_scale.px(twips)); };

    // The case: dark moulded plastic with a lighter rim catching the light from above.
    const QRectF body = at(PanelLayout::Case);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawRoundedRect(body.translated(0, 2), radius(360), radius(360));
    QLinearGradient shell(body.topLeft(), body.bottomLeft());
    shell.setColorAt(0.0, QColor(0x45, 0x49, 0x50));
    shell.setColorAt(0.45, QColor(0x2e, 0x31, 0x36));
    shell.setColorAt(1.0, QColor(0x1f, 0x21, 0x25));
    p.setBrush(shell);
    p.setPen(QPen(QColor(0x10, 0x11, 0x13), 1.0));
    p.drawRoundedRect(body, radius(360), radius(360));
    p.setPen(QPen(QColor(255, 255, 255, 38), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body.adjusted(1.5, 1.5, -1.5, -1.5), radius(345), radius(345));

    // The bezel around the glass, with the device name printed on its top band.
    const QRectF bezel = at(PanelLayout::Bezel);
    QLinearGradient rim(bezel.topLeft(), bezel.bottomLeft());
    rim.setColorAt(0.0, QColor(0x14, 0x15, 0x18));
    rim.setColorAt(1.0, QColor(0x22, 0x24, 0x28));
    p.setBrush(rim);
    p.setPen(QPen(QColor(255, 255, 255, 30), 1.0));
    p.drawRoundedRect(bezel, radius(180), radius(180));
    const QRectF glass = at(PanelLayout::Glass);
    p.setPen(QPen(QColor(0, 0, 0, 200), 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(glass.adjusted(-1, -1, 1, 1));

    // The keypad: a shallow recess with a round hub between the arrow keys.
    const QRectF pad = at(PanelLayout::Keypad);
    QLinearGradient recess(pad.topLeft(), pad.bottomLeft());
    recess.setColorAt(0.0, QColor(0x25, 0x27, 0x2b));
    recess.setColorAt(1.0, QColor(0x2c, 0x2f, 0x34));
    p.setBrush(recess);
    p.setPen(QPen(QColor(0, 0, 0, 120), 1.0));
    p.drawRoundedRect(pad, radius(240), radius(240));
    p.setPen(QPen(QColor(255, 255, 255, 22), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(pad.adjusted(1, 1, -1, -1), radius(225), radius(225));

    const QRectF up = at(PanelLayout::arrowKey(2));
    const QRectF down = at(PanelLayout::arrowKey(3));
    const QPointF hub((up.left() + up.right()) / 2, (up.bottom() + down.top()) / 2);
    const qreal ring = (down.bottom() - up.top()) / 2;
    p.setPen(QPen(QColor(0, 0, 0, 130), 1.0));
    p.setBrush(QColor(0x22, 0x24, 0x28));
    p.drawEllipse(hub, ring, ring);
    QRadialGradient dome(hub - QPointF(ring * 0.1, ring * 0.1), ring * 0.3);
    dome.setColorAt(0.0, QColor(0x5a, 0x5f, 0x66));
    dome.setColorAt(1.0, QColor(0x2a, 0x2d, 0x31));
    p.setBrush(dome);
    p.drawEllipse(hub, ring * 0.22, ring * 0.22);

    // The status strip along the foot of the case.
    const QRectF strip = at(PanelLayout::StatusStrip);
    p.setBrush(QColor(0x17, 0x18, 0x1b));
    p.setPen(QPen(QColor(255, 255, 255, 30), 1.0));
    p.drawRoundedRect(strip, radius(90), radius(90));
}
