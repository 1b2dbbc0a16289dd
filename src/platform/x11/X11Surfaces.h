#pragma once

// The guide's surfaces on X11: override-redirect windows of the backend's own
// connection whose pixels live in the server.

#include "platform/Platform.h"

#include <functional>
#include <memory>

namespace platform {

class X11Connection;
class X11StackKeeper;

// `compositing` says whether a compositing manager runs right now.
std::unique_ptr<GuideSurfaces> createX11GuideSurfaces(X11Connection &x, X11StackKeeper &keeper,
                                                      std::function<bool()> compositing);

} // namespace platform
