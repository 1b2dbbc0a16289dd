#include "ui/Notices.h"

#include "platform/AtomicFile.h"
#include "ui/PreferencesView.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

namespace {
QString title() { return QCoreApplication::translate("AppDelegate", "Tovani"); }
} // namespace

Notices::Notices(platform::Platform &platform, const QString &settingsDir, QObject *parent)
    : QObject(parent), m_platform(platform), m_settingsDir(settingsDir)
{
}

void Notices::start(int delayMs)
{
    // Where the desktop shows the guide through Tovani's extension, it is
    // offered once the desktop has said whether it has it.
    if (platform::DesktopExtension *extension = m_platform.extension()) {
        connect(extension, &platform::DesktopExtension::stateChanged, this, &Notices::extensionChanged);
        QTimer::singleShot(delayMs, this, &Notices::extensionChanged);
        return;
    }
    const platform::Capability pointer = m_platform.capability(platform::Feature::Pointer);
    if (pointer) return;
    if (pointer.otherSessionHelps) {
        QTimer::singleShot(delayMs, this, [this, reason = pointer.reason] { showPointerPrompt(reason); });
        return;
    }
    // Where nothing but the commands helps, that is said once, at the
    // first start.
    const QString marker = QDir(m_settingsDir).filePath(QStringLiteral("pointerless-notice-shown"));
    if (QFileInfo::exists(marker)) return;
    QTimer::singleShot(delayMs, this, [this, marker, reason = pointer.reason] {
        // Written first: a notice that is still open when Tovani ends was
        // seen all the same.
        QDir().mkpath(QFileInfo(marker).path());
        platform::replaceFileContents(marker, QByteArray());
        showPointerlessNotice(reason);
    });
}

void Notices::setPreferencesWindow(QWidget *window)
{
    m_preferences = window;
    if (window) setPreferencesNotice(window, preferencesText());
}

QString Notices::preferencesText() const
{
    QStringList notices;
    if (!m_hasTray)
        notices << QCoreApplication::translate(
            "AppDelegate", "No system tray is available: use this window, the shortcuts or the tovani command.");
    const platform::DesktopExtension *extension = m_platform.extension();
    if (extension && extension->state() != platform::DesktopExtension::State::Active)
        notices << extension->stateText();
    // An extension that is not active has said so above.
    if (const platform::Capability hold = m_platform.capability(platform::Feature::HoldGuide);
        !hold && (!extension || extension->state() == platform::DesktopExtension::State::Active))
        notices << hold.reason;
    return notices.join(QLatin1Char(' '));
}

void Notices::extensionChanged()
{
    platform::DesktopExtension *extension = m_platform.extension();
    if (m_preferences) setPreferencesNotice(m_preferences, preferencesText());
    using State = platform::DesktopExtension::State;
    if (m_offeredExtension || (extension->state() != State::NotInstalled && extension->state() != State::Disabled))
        return;
    // Once per run: "Not Now" is an answer.
    m_offeredExtension = true;
    offerExtension();
}

void Notices::offerExtension()
{
    platform::DesktopExtension *extension = m_platform.extension();
    // Over the preferences when they are open: in front, where the person looks.
    QMessageBox box(m_preferences);
    box.setIcon(QMessageBox::Question);
    box.setWindowTitle(title());
    box.setText(QCoreApplication::translate("AppDelegate", "Switch on Tovani's GNOME Shell extension?"));
    box.setInformativeText(extension->stateText() + QLatin1Char(' ') +
                           QCoreApplication::translate(
                               "AppDelegate",
                               "GNOME Shell shows the guide through it, above every window, and follows the "
                               "pointer. It is installed for you alone."));
    QPushButton *install = box.addButton(QCoreApplication::translate("AppDelegate", "Install"), QMessageBox::AcceptRole);
    box.addButton(QCoreApplication::translate("AppDelegate", "Not Now"), QMessageBox::RejectRole);
    box.setDefaultButton(install);
    box.exec();
    if (box.clickedButton() != install) return;
    QString error;
    if (!extension->install(&error)) {
        QMessageBox::warning(
            nullptr, title(),
            QCoreApplication::translate("AppDelegate", "The extension could not be installed: %1").arg(error));
        return;
    }
    if (extension->state() == platform::DesktopExtension::State::Active) return;
    QMessageBox done(m_preferences);
    done.setIcon(QMessageBox::Information);
    done.setWindowTitle(title());
    done.setText(QCoreApplication::translate("AppDelegate", "Log out and log in again once"));
    done.setInformativeText(QCoreApplication::translate(
        "AppDelegate", "GNOME Shell starts new extensions only at log-in; from then on Tovani's guide "
                       "shows and follows the pointer."));
    done.exec();
}

void Notices::showPointerlessNotice(const QString &reason)
{
    QMessageBox box;
    box.setIcon(QMessageBox::Information);
    box.setWindowTitle(title());
    box.setText(QCoreApplication::translate("AppDelegate", "The guide works without the pointer here"));
    box.setInformativeText(reason);
    box.addButton(QMessageBox::Ok);
    box.exec();
}

void Notices::showPointerPrompt(const QString &reason)
{
    // Say plainly what does not work here, and what helps.
    QMessageBox box;
    box.setIcon(QMessageBox::Information);
    box.setWindowTitle(title());
    box.setText(QCoreApplication::translate("AppDelegate", "Limited in a Wayland session"));
    const QString commands = QCoreApplication::translate(
        "AppDelegate", "You can also bind \"tovani toggle\", \"tovani cycle-style\" and the other commands of "
                       "\"tovani --help\" to shortcuts in your desktop's keyboard settings.");
    box.setInformativeText(reason + QStringLiteral(" ") + commands);
    QPushButton *open =
        box.addButton(QCoreApplication::translate("AppDelegate", "Open Keyboard Settings"), QMessageBox::AcceptRole);
    box.addButton(QCoreApplication::translate("AppDelegate", "Later"), QMessageBox::RejectRole);
    box.setDefaultButton(open);
    box.exec();
    if (box.clickedButton() == open) openKeyboardSettings();
}

void Notices::openKeyboardSettings()
{
    const QList<QStringList> candidates = {
        {QStringLiteral("gnome-control-center"), QStringLiteral("keyboard")},
        {QStringLiteral("systemsettings"), QStringLiteral("kcm_keys")},
        {QStringLiteral("xfce4-keyboard-settings")},
    };
    for (const QStringList &command : candidates) {
        if (!QStandardPaths::findExecutable(command.first()).isEmpty()) {
            QProcess::startDetached(command.first(), command.mid(1));
            return;
        }
    }
}
