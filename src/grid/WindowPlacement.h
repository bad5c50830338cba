#pragma once

class QSettings;
class QWidget;

/// Opens the program's windows where they belong and brings them back where the user left
/// them. The rule itself is WindowPlace's; this applies it to real windows and screens.
namespace WindowPlacement {

/// From now on, each time `window` is shown it goes where a window of its objectName was last
/// left (when that is on a present screen), otherwise where it stands and with the size it has
/// at that moment, moved by WindowPlace's rule when that covers another managed window or
/// leaves the screen. It is placed by its frame, title bar included: the frame of a window the
/// window manager has not framed yet is guessed from the windows it has, and once the window
/// shows with a frame other than the guess it is placed again by the real one.
void manage(QWidget* window);

/// The window that `window` is opened from: the one it goes beside. Without one it is the
/// parent's window, or for a window without a parent the window that is active when it shows.
void setOpener(QWidget* window, QWidget* opener);

/// Where places and sizes are kept across runs. Without one (the default) nothing is kept or
/// read back, so tests and tools never touch the user's settings.
void rememberIn(QSettings* settings);

} // namespace WindowPlacement
