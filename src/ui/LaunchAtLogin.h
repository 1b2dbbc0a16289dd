#pragma once

#include "platform/Platform.h"

#include <QString>

#include <optional>

// Starting Tovani when the user logs in, through the platform's login item (an
// XDG autostart entry). The stored launchAtLogin setting only records the last
// successful change; the login item itself is the truth.
class LaunchAtLogin
{
public:
    // Asks the login item afresh on every call.
    static bool isEnabled();
    // Registers or removes the login item. On success stores launchAtLogin
    // (written by AppSettings' delayed save, or at once by flush()) and
    // returns nothing; on failure changes nothing and returns one line for
    // the person, "Failed to enable launch at login: <why>" (or "disable"),
    // for the caller to show where it was asked.
    [[nodiscard]] static std::optional<QString> setEnabled(bool enabled);

    // The login item used (the platform's unless a test replaces it).
    static void setLoginItem(platform::LoginItem *item);
};
