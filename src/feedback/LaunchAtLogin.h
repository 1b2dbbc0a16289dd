#pragma once

#include "platform/Platform.h"

// Starting Tovani when the user logs in, through the platform's login item (an
// XDG autostart entry). The stored launchAtLogin setting only records the last
// successful change; the login item itself is the truth.
class LaunchAtLogin
{
public:
    // Asks the login item afresh on every call.
    static bool isEnabled();
    // Registers or removes the login item. On success stores and saves
    // launchAtLogin; on failure prints "Failed to enable launch at login: <why>"
    // (or "disable") on standard output and changes nothing.
    static void setEnabled(bool enabled);

    // The login item used (the platform's unless a test replaces it).
    static void setLoginItem(platform::LoginItem *item);
};
