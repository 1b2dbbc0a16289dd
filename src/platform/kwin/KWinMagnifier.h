#pragma once

// The magnifier on KDE Plasma's Wayland session: KWin's own magnifier effect.
// No Wayland protocol gives a client a picture of the screen without asking
// the person each time, but KWin draws a magnifier itself, centred on the
// pointer and above every window, Tovani's guide included. Tovani loads the
// effect, gives it the size and zoom of its settings, and switches it on and
// off.
//
// The effect reads its settings only from KWin's configuration file (kwinrc,
// group [Effect-magnifier]: Width, Height, InitialZoom) when asked to
// reconfigure, and it turns itself on when the zoom it reads differs from 1,
// and off when it is on and reads any zoom but its own. So a change while it
// is on goes through off; what KWin made of each step is read back from its
// list of active effects. The person's own values in that group are put back
// whenever the effect is off again, and when Tovani stops; until then they are
// also kept in Tovani's settings folder, so that a Tovani that was killed puts
// them back, and turns the effect off, when it next starts on KWin.

#include "platform/Platform.h"

#include <QByteArray>
#include <QList>

#include <memory>
#include <optional>

namespace platform::kwin {

// KWin's magnifier, or null when org.kde.KWin is not on the session bus.
std::unique_ptr<DesktopMagnifier> createMagnifier();

// One key of a KDE configuration file and its value; no value: the key is
// removed.
struct ConfigEntry
{
    QByteArray key;
    std::optional<QByteArray> value;
};

// `file` (a KDE configuration file's contents) with `entries` set in `group`,
// every other line kept as it was: a key found in the group is replaced where
// it stands, a new one goes at the end of the group, a missing group at the
// end of the file.
QByteArray withEntries(const QByteArray &file, const QByteArray &group, const QList<ConfigEntry> &entries);
// The value of `key` in `group` of `file`, or nothing.
std::optional<QByteArray> entryOf(const QByteArray &file, const QByteArray &group, const QByteArray &key);

} // namespace platform::kwin
