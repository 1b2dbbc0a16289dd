#pragma once

// The guide's surfaces on a Wayland compositor with wlr layer-shell: surfaces
// on the overlay layer of one output each, click-through, never focused.

#include "platform/Platform.h"

namespace platform::wayland {

class Client;

std::unique_ptr<GuideSurfaces> createGuideSurfaces(Client &client);

} // namespace platform::wayland
