#pragma once

// Hints for the window system about Tovani's own windows, for the few things
// Qt has no flag for. Harmless no-ops where they do not apply.

class QWindow;

namespace platform {
// Asks the compositor to draw no shadow around the window (picom and its
// relatives honour _COMPTON_SHADOW = 0 whatever their configuration says).
void excludeFromShadows(QWindow *window);

// Keeps the window above every other top-level window while it is shown: a
// window that another client raises or maps over it is answered by raising
// it again (at most a few times a second, should someone fight back). X11
// stacks override-redirect windows with all the others, so without this a
// window manager raising a clicked window would cover the guide. Among the
// kept windows a higher layer stays above a lower one (the magnifier above
// the guide it magnifies).
void keepOnTop(QWindow *window, int layer = 0);
} // namespace platform
