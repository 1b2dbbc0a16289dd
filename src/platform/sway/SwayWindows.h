#pragma once

// The windows on sway, from its IPC socket ($SWAYSOCK): the whole tree once
// (GET_TREE), and again after every window or workspace event it sends
// (SUBSCRIBE), never per question. Everything arrives on the main thread
// through Qt's event loop; nothing waits for sway.
//
// Hyprland's socket ($HYPRLAND_INSTANCE_SIGNATURE, "j/clients") would fit
// the same place; it is not done.

#include "platform/CompositorWindows.h"

#include <QByteArray>
#include <QObject>

#include <memory>

namespace platform::sway {

// The application windows in a GET_TREE reply: the visible views, their
// frame (`rect`), where their surface begins (`window_rect`, relative to the
// frame), the process, the focused one, and floating ones above tiled ones.
// A reply that is not JSON, or nodes with values of the wrong type, give
// fewer windows or none.
QList<CompositorWindow> parseTree(const QByteArray &json);

// A connection to sway that keeps `windows` up to date, or null when
// $SWAYSOCK names no socket.
std::unique_ptr<QObject> connectWindows(std::shared_ptr<CompositorWindows> windows);

} // namespace platform::sway
