#pragma once

// Hints for the window system about Tovani's own windows, for the few things
// Qt has no flag for. Harmless no-ops where they do not apply.

class QWindow;

namespace platform {
// Asks the compositor to draw no shadow around the window (picom and its
// relatives honour _COMPTON_SHADOW = 0 whatever their configuration says).
void excludeFromShadows(QWindow *window);
} // namespace platform
