#pragma once

// Guide surfaces made of Qt windows, for window systems without a backend of
// their own: each surface is a small top-level window that shows its picture
// or colour. What the window system makes of "above everything, click-through"
// is up to it.

#include "platform/Platform.h"

#include <functional>

namespace platform {

// `prepare` turns a new window into a guide window (Platform::prepareWindow
// with WindowRole::GuideOverlay).
std::unique_ptr<GuideSurfaces> createQtGuideSurfaces(std::function<void(QWidget *)> prepare);

} // namespace platform
