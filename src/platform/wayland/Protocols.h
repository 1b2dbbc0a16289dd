#pragma once

// The Wayland protocols the backend speaks, as wayland-scanner generates them
// at build time. The layer-shell header names a parameter `namespace`, which
// C++ reserves: it is renamed while the header is read.

#include <wayland-client.h>

#define namespace namespace_
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
#include "fractional-scale-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"
