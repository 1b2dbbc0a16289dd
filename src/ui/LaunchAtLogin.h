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
    // Through the login item of `platform`.
    explicit LaunchAtLogin(platform::Platform &platform) : m_loginItem(platform.loginItem()) {}

    // Asks the login item afresh on every call.
    bool isEnabled() const;
    // Registers or removes the login item. On success stores launchAtLogin
    // (written by AppSettings' delayed save, or at once by flush()) and
    // returns nothing; on failure changes nothing and returns one line for
    // the person, "Failed to enable launch at login: <why>" (or "disable"),
    // for the caller to show where it was asked.
    [[nodiscard]] std::optional<QString> setEnabled(bool enabled);

private:
    platform::LoginItem &m_loginItem;
};
