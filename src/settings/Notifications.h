#pragma once

#include <QObject>

// Application-wide notifications that have no natural sender.
class AppNotifications : public QObject
{
    Q_OBJECT
public:
    static AppNotifications &shared()
    {
        static AppNotifications *instance = new AppNotifications; // lives until the process ends
        return *instance;
    }

Q_SIGNALS:
    // Posted by the preferences window after the global-shortcut switch was
    // flipped and saved; the application registers or releases the hot keys.
    void globalHotkeysToggled();
};
