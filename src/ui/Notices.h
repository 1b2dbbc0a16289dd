#pragma once

// What Tovani tells the person about the desktop it runs on: once after
// launch, in a message box, what does not work here and what helps (the
// platform's Capability reasons); where the desktop needs Tovani's extension,
// the offer to install it; and the notice at the top of the preferences
// window. Its texts keep the translation context "AppDelegate", where they
// were first written.

#include "platform/Platform.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

class Notices : public QObject
{
    Q_OBJECT
public:
    // The first-run marker is kept in settingsDir.
    Notices(platform::Platform &platform, const QString &settingsDir, QObject *parent = nullptr);

    // After launch: says after delayMs what keeps the guide from following
    // the pointer here, or, where the desktop needs Tovani's extension,
    // offers it once the desktop has said whether it has it.
    void start(int delayMs);

    void setHasTray(bool hasTray) { m_hasTray = hasTray; }
    // The preferences window, while it exists: its notice follows the
    // extension's state, and the offer shows over it.
    void setPreferencesWindow(QWidget *window);
    // The notice for the preferences window; empty when there is nothing to say.
    QString preferencesText() const;

private:
    void extensionChanged();
    void offerExtension();
    void showPointerlessNotice(const QString &reason);
    void showPointerPrompt(const QString &reason);
    static void openKeyboardSettings();

    platform::Platform &m_platform;
    QString m_settingsDir;
    QPointer<QWidget> m_preferences;
    bool m_hasTray = false;
    bool m_offeredExtension = false;
};
