#include "ui/LaunchAtLogin.h"

#include "settings/Settings.h"

#include <QCoreApplication>

namespace {

platform::LoginItem *g_loginItem = nullptr;

platform::LoginItem &loginItem()
{
    return g_loginItem ? *g_loginItem : platform::Platform::instance().loginItem();
}

// The reason goes on one line whatever the backend put in it.
QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text;
}

} // namespace

bool LaunchAtLogin::isEnabled() { return loginItem().isEnabled(); }

std::optional<QString> LaunchAtLogin::setEnabled(bool enabled)
{
    QString error;
    if (loginItem().setEnabled(enabled, &error)) {
        AppSettings &settings = AppSettings::shared();
        settings.setLaunchAtLogin(enabled);
        return std::nullopt;
    }

    if (error.isEmpty())
        error = QCoreApplication::translate("LaunchAtLogin", "unknown error");
    return (enabled ? QCoreApplication::translate("LaunchAtLogin", "Failed to enable launch at login: %1")
                    : QCoreApplication::translate("LaunchAtLogin", "Failed to disable launch at login: %1"))
        .arg(oneLine(error));
}

void LaunchAtLogin::setLoginItem(platform::LoginItem *item) { g_loginItem = item; }
