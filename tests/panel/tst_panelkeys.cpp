// The main window's controls: the toolbar and its shortcuts, the meter's keys (mouse and
// keyboard, press and release), the guide's shortcut list, the recording look, the link label
// and the port dialog.
#include "PanelViewRig.h"

class TestPanelKeys : public QObject
{
    Q_OBJECT
private slots:
    void toolbarButtons();
    void toolbarClickReportsKey();
    void shortcutsRunTheirCommands_data();
    void shortcutsRunTheirCommands();
    void tabWalksTheKeysAndShowsTheFocus();
    void guideNamesEveryShortcut();
    void recordingLook();
    void keysReportPressAndRelease_data();
    void keysReportPressAndRelease();
    void secondButtonDoesNotRepeatPress();
    void controllerDrivesKeyFace();
    void linkLabelRangeAndClose();
    void portDialogChoices_data();
    void portDialogChoices();
    void portDialogLayout();
};

void TestPanelKeys::toolbarButtons()
{
    Panel panel;
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    const QStringList keys{"Save",    "Open",   "List", "Graph", "Sampling", "StopRec",
                           "TimeSet", "Memory", "COMP", "Erase", "Grade"};
    const QStringList tips{"Save as (Ctrl+S)",
                           "Open File to Read (Ctrl+O)",
                           "List Display (Ctrl+L)",
                           "Graphic Display (Ctrl+G)",
                           "Sampling Rate",
                           "Stop Rec",
                           "Real Time Clock (Ctrl+T)",
                           "Data Logger (Ctrl+M)",
                           "Comparator (Ctrl+K)",
                           "Erase Memory",
                           "Cell Grading (Ctrl+Shift+G)"};
    const QList<QAction*> actions = panel.toolbar()->actions();
    QCOMPARE(actions.size(), 11);
    for (int n = 0; n < 11; ++n) {
        QCOMPARE(actions[n]->property("Key").toString(), keys[n]);
        QCOMPARE(actions[n]->toolTip(), tips[n]);
        QCOMPARE(actions[n]->isEnabled() && actions[n]->isVisible(), n != 5);
        QVERIFY(!actions[n]->icon().isNull());
        // In the picture's width, none in the toolbar's overflow menu.
        QCOMPARE(panel.toolbar()->widgetForAction(actions[n])->isVisible(), n != 5);
    }
    // Each button shows an image of its own.
    for (int n = 0; n < 11; ++n) {
        for (int m = n + 1; m < 11; ++m)
            QVERIFY2(actions[n]->icon().pixmap(24).toImage() !=
                         actions[m]->icon().pixmap(24).toImage(),
                     qPrintable(keys[n] + " and " + keys[m]));
    }
}

void TestPanelKeys::toolbarClickReportsKey()
{
    Panel panel;
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QSignalSpy spy(&panel, &Panel::toolbarButtonClicked);
    QWidget* memory = panel.toolbar()->widgetForAction(toolbarAction(panel, 8));
    QVERIFY(memory);
    QTest::mouseClick(memory, Qt::LeftButton);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QString("Memory"));
    toolbarAction(panel, 6)->trigger(); // disabled: nothing
    QCOMPARE(spy.size(), 1);
}

// Each shortcut runs what its button or menu entry runs, while the panel is the active window.
void TestPanelKeys::shortcutsRunTheirCommands_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("command"); // a toolbar key, or "help:<heading>", "close"
    QTest::newRow("Ctrl+S") << QKeySequence("Ctrl+S") << "Save";
    QTest::newRow("Ctrl+O") << QKeySequence("Ctrl+O") << "Open";
    QTest::newRow("Ctrl+L") << QKeySequence("Ctrl+L") << "List";
    QTest::newRow("Ctrl+G") << QKeySequence("Ctrl+G") << "Graph";
    QTest::newRow("Ctrl+M") << QKeySequence("Ctrl+M") << "Memory";
    QTest::newRow("Ctrl+T") << QKeySequence("Ctrl+T") << "TimeSet";
    QTest::newRow("Ctrl+K") << QKeySequence("Ctrl+K") << "COMP";
    QTest::newRow("Ctrl+Shift+G") << QKeySequence("Ctrl+Shift+G") << "Grade";
    QTest::newRow("F1") << QKeySequence("F1") << "help:";
    QTest::newRow("Ctrl+Q") << QKeySequence("Ctrl+Q") << "close";
    // Erase destroys the meter's data: no key does it.
    QTest::newRow("Ctrl+E") << QKeySequence("Ctrl+E") << "";
}

void TestPanelKeys::shortcutsRunTheirCommands()
{
    Panel panel;
    panel.show();
    QApplication::setActiveWindow(&panel);
    QVERIFY(QTest::qWaitForWindowActive(&panel));
    QStringList ran;
    connect(&panel, &Panel::toolbarButtonClicked, this, [&ran](const QString& key) { ran << key; });
    connect(&panel, &Panel::helpRequested, this,
            [&ran](const QString& at) { ran << "help:" + at; });
    connect(&panel, &Panel::closing, this, [&ran] { ran << "close"; });
    QTest::keySequence(&panel, fetched<QKeySequence>("keys"));
    const QString command = fetched<QString>("command");
    QCOMPARE(ran, command.isEmpty() ? QStringList() : QStringList{command});
}

// Tab walks the meter's keys and the Range button in their order and rings the focused key;
// Space and Enter press it like the mouse, from key-down to key-up.
void TestPanelKeys::tabWalksTheKeysAndShowsTheFocus()
{
    Panel panel;
    panel.show();
    QApplication::setActiveWindow(&panel);
    QVERIFY(QTest::qWaitForWindowActive(&panel));
    auto* hold = panel.findChild<KeyFace*>("CmdGray_0");
    const QImage unfocused = hold->grab().toImage();
    QStringList walked;
    for (int n = 0; n < 9; ++n) {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &panel,
                        Qt::Key_Tab);
        walked << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : "");
    }
    QCOMPARE(walked,
             (QStringList{"CmdArrow_1", "CmdArrow_2", "CmdArrow_3", "CmdGray_0", "CmdGray_1",
                          "CmdGray_2", "CmdRange", "CmdArrow_0", "CmdArrow_1"}));
    hold->setFocus();
    QVERIFY(hold->grab().toImage() != unfocused);

    QSignalSpy pressed(&panel, &Panel::grayPressed);
    QSignalSpy released(&panel, &Panel::grayReleased);
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
        QTest::keyPress(hold, key);
        QVERIFY(hold->isFaceDown());
        QKeyEvent repeat(QEvent::KeyPress, key, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(hold, &repeat); // a held key repeats: still the one press
        QTest::keyRelease(hold, key);
        QVERIFY(!hold->isFaceDown());
    }
    QCOMPARE(pressed.size(), 3);
    QCOMPARE(released.size(), 3);
    QCOMPARE(released.at(0).at(0).toInt(), 0);
    // Tab away while Space holds the key: the press ends.
    QTest::keyPress(hold, Qt::Key_Space);
    QTest::keyClick(hold, Qt::Key_Tab);
    QCOMPARE(released.size(), 4);
    QVERIFY(!hold->isFaceDown());
    // Other keys press nothing.
    QTest::keyClick(hold, Qt::Key_A);
    QCOMPARE(pressed.size(), 4);
}

// The guide ships inside the program, names every shortcut the panel's toolbar has, and its
// "Keyboard shortcuts" entry scrolls to that section.
void TestPanelKeys::guideNamesEveryShortcut()
{
    const QString guide = HelpWindow::guideMarkdown();
    QVERIFY(guide.startsWith("# CellDesk user guide"));
    Panel panel;
    for (QAction* action : panel.toolbar()->actions()) {
        if (!action->shortcut().isEmpty())
            QVERIFY2(guide.contains("| " + action->shortcut().toString() + " |"),
                     qPrintable(action->toolTip()));
    }
    for (const char* keys : {"| Ctrl+P |", "| Ctrl+C |", "| Esc |", "| F1 |", "| Ctrl+Q |"})
        QVERIFY2(guide.contains(keys), keys);
    QStringList menu;
    for (QAction* action : panel.menuActions())
        menu << action->text();
    QCOMPARE(menu,
             (QStringList{"Help", "Keyboard shortcuts", "About", "Lab", "Publish to lab", "Quit"}));

    HelpWindow help;
    help.show();
    QVERIFY(QTest::qWaitForWindowExposed(&help));
    help.showSection("Keyboard shortcuts");
    QVERIFY(help.browser()->verticalScrollBar()->value() > 0);
    help.showSection({});
    QCOMPARE(help.browser()->verticalScrollBar()->value(), 0);
}

void TestPanelKeys::recordingLook()
{
    Panel panel;
    QAction* save = toolbarAction(panel, 1);
    const QImage saveImage = save->icon().pixmap(24).toImage();
    const QImage stopImage = toolbarAction(panel, 6)->icon().pixmap(24).toImage();
    QVERIFY(saveImage != stopImage);

    panel.setRecordingLook(true);
    QCOMPARE(save->toolTip(), QString("Stop Recording (Ctrl+S)"));
    QCOMPARE(save->icon().pixmap(24).toImage(), stopImage);
    QCOMPARE(save->property("Key").toString(), QString("Save"));

    panel.setRecordingLook(false);
    QCOMPARE(save->toolTip(), QString("Save As (Ctrl+S)"));
    QCOMPARE(save->icon().pixmap(24).toImage(), saveImage);
}

void TestPanelKeys::keysReportPressAndRelease_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("arrow");
    QTest::addColumn<int>("index");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("arrow 0") << "CmdArrow_0" << true << 0 << Qt::LeftButton;
    QTest::newRow("arrow 3, right button") << "CmdArrow_3" << true << 3 << Qt::RightButton;
    QTest::newRow("gray 0") << "CmdGray_0" << false << 0 << Qt::LeftButton;
    QTest::newRow("gray 2") << "CmdGray_2" << false << 2 << Qt::LeftButton;
}

void TestPanelKeys::keysReportPressAndRelease()
{
    QFETCH(QString, name);
    QFETCH(bool, arrow);
    QFETCH(int, index);
    QFETCH(Qt::MouseButton, button);
    Panel panel;
    auto* key = panel.findChild<KeyFace*>(name);
    QVERIFY(key);
    QSignalSpy pressed(&panel, arrow ? &Panel::arrowPressed : &Panel::grayPressed);
    QSignalSpy released(&panel, arrow ? &Panel::arrowReleased : &Panel::grayReleased);
    QSignalSpy otherPressed(&panel, arrow ? &Panel::grayPressed : &Panel::arrowPressed);

    QTest::mousePress(key, button);
    QCOMPARE(pressed.size(), 1);
    QCOMPARE(pressed.at(0).at(0).toInt(), index);
    QVERIFY(key->isFaceDown());
    QCOMPARE(released.size(), 0);

    // Released outside the key: still the end of the press.
    QTest::mouseRelease(key, button, {}, QPoint(-5, -5));
    QCOMPARE(released.size(), 1);
    QCOMPARE(released.at(0).at(0).toInt(), index);
    QVERIFY(!key->isFaceDown());
    QCOMPARE(otherPressed.size(), 0);
}

void TestPanelKeys::secondButtonDoesNotRepeatPress()
{
    KeyFace key(1, KeyFace::Tone::Dark, KeyFace::Arrow::Right, QString());
    key.resize(60, 40);
    QSignalSpy pressed(&key, &KeyFace::pressed);
    QSignalSpy released(&key, &KeyFace::released);
    const QPoint at(10, 10);
    QMouseEvent leftDown(QEvent::MouseButtonPress, at, key.mapToGlobal(at), Qt::LeftButton,
                         Qt::LeftButton, {});
    QMouseEvent rightDown(QEvent::MouseButtonPress, at, key.mapToGlobal(at), Qt::RightButton,
                          Qt::LeftButton | Qt::RightButton, {});
    QMouseEvent rightUp(QEvent::MouseButtonRelease, at, key.mapToGlobal(at), Qt::RightButton,
                        Qt::LeftButton, {});
    QMouseEvent leftUp(QEvent::MouseButtonRelease, at, key.mapToGlobal(at), Qt::LeftButton,
                       Qt::NoButton, {});
    QApplication::sendEvent(&key, &leftDown);
    QApplication::sendEvent(&key, &rightDown);
    QApplication::sendEvent(&key, &rightUp);
    QCOMPARE(pressed.size(), 1);
    QCOMPARE(released.size(), 0);
    QVERIFY(key.isFaceDown());
    QApplication::sendEvent(&key, &leftUp);
    QCOMPARE(released.size(), 1);
    QVERIFY(!key.isFaceDown());
}

void TestPanelKeys::controllerDrivesKeyFace()
{
    Panel panel;
    auto* gray1 = panel.findChild<KeyFace*>("CmdGray_1");
    auto* arrow1 = panel.findChild<KeyFace*>("CmdArrow_1");
    panel.setKeyFaceDown(false, 1, true);
    QVERIFY(gray1->isFaceDown());
    QVERIFY(!arrow1->isFaceDown());
    panel.setKeyFaceDown(true, 1, true);
    panel.setKeyFaceDown(false, 1, false);
    QVERIFY(!gray1->isFaceDown());
    QVERIFY(arrow1->isFaceDown());
    panel.setKeyFaceDown(true, 4, true); // out of range: ignored
    panel.setKeyFaceDown(false, -1, true);
}

void TestPanelKeys::linkLabelRangeAndClose()
{
    Panel panel;
    QSignalSpy link(&panel, &Panel::linkLabelClicked);
    QSignalSpy range(&panel, &Panel::rangeClicked);
    QSignalSpy closing(&panel, &Panel::closing);
    QTest::mouseClick(panel.linkLabel(), Qt::LeftButton);
    QTest::mouseClick(panel.findChild<QPushButton*>("CmdRange"), Qt::LeftButton);
    QCOMPARE(link.size(), 1);
    QCOMPARE(range.size(), 1);
    panel.show();
    QVERIFY(panel.close());
    QCOMPARE(closing.size(), 1);
}

void TestPanelKeys::portDialogChoices_data()
{
    QTest::addColumn<QString>("prefill"); // empty: leave the design-time text
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("OK, untouched") << ""
                                   << "CmdOK"
                                   << "COM1";
    QTest::newRow("OK, typed Auto") << "Auto"
                                    << "CmdOK"
                                    << "Auto";
    QTest::newRow("OK, lower case kept") << "com3"
                                         << "CmdOK"
                                         << "com3";
    QTest::newRow("OK, device path") << "/dev/pts/12"
                                     << "CmdOK"
                                     << "/dev/pts/12";
    QTest::newRow("Port1 ignores the box") << "COM5"
                                           << "Port1"
                                           << "COM1";
    QTest::newRow("Port2 ignores the box") << "COM5"
                                           << "Port2"
                                           << "COM2";
}

void TestPanelKeys::portDialogChoices()
{
    QFETCH(QString, prefill);
    QFETCH(QString, button);
    QFETCH(QString, chosen);
    PortDialog dialog;
    if (!prefill.isEmpty())
        dialog.setPortText(prefill);
    dialog.show();
    QSignalSpy spy(&dialog, &PortDialog::portChosen);
    QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), chosen);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
}

void TestPanelKeys::portDialogLayout()
{
    PortDialog dialog;
    QCOMPARE(dialog.objectName(), QString("Port"));
    QCOMPARE(dialog.windowTitle(), QString("COM Port"));
    auto* combo = dialog.findChild<QComboBox*>("TxtCOM");
    QVERIFY(combo && combo->isEditable());
    QCOMPARE(combo->currentText(), QString("COM1"));
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    QCOMPARE(items, (QStringList{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"}));

    // A device path fits the box, OK sits right of it inside the dialog, the direct choices
    // are below what the dialog shows.
    dialog.show();
    const int textWidth = combo->fontMetrics().horizontalAdvance("/dev/pts/12");
    QVERIFY(combo->lineEdit()->width() >= textWidth);
    auto* ok = dialog.findChild<QPushButton*>("CmdOK");
    QVERIFY(ok->geometry().left() > combo->geometry().right());
    QVERIFY(dialog.rect().contains(ok->geometry()));
    QVERIFY(dialog.findChild<QPushButton*>("Port1")->geometry().top() > dialog.height());
    QVERIFY(dialog.findChild<QPushButton*>("Port2")->geometry().top() > dialog.height());
}

QTEST_MAIN(TestPanelKeys)
#include "tst_panelkeys.moc"
