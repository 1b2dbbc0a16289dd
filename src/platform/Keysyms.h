#pragma once

#include <QString>

namespace platform {

// The keysym the key at an XKB position ("AD04") types on a US layout ("r"),
// as desktops name keys in their shortcut settings; empty for a position
// without one here.
QString usKeysym(const QString &xkbKeyName);

} // namespace platform
