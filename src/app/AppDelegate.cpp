#include "app/AppDelegate.h"

#include "app/TrayMenu.h"
#include "feedback/HUDNotification.h"
#include "magnifier/MagnifierWindow.h"
#include "overlay/OverlayManager.h"
#include "platform/AtomicFile.h"
#include "textlines/AtspiTextLines.h"
#include "ui/AboutView.h"
#include "ui/PreferencesView.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTimer>

AppDelegate::AppDelegate(platform::Platform &platform, AppSettings &settings, QObject *parent)
    : QObject(parent), m_platform(platform), m_settings(settings), m_commands(*this, platform.hotkeys())
{
}

AppDelegate::~AppDelegate()
{
    // The settings outlive this object; nothing they say may reach it now.
    disconnect(&m_settings, nullptr, this, nullptr);
    delete m_preferencesWindow.data();
    delete m_aboutWindow.data();
}

// ---------------------------------------------------------------------------
// Launch

void AppDelegate::applicationDidFinishLaunching(bool plainLaunch)
{
    m_hasTray = QSystemTrayIcon::isSystemTrayAvailable();
    m_tray = std::make_unique<TrayMenu>(m_commands);

    m_overlay = std::make_unique<OverlayManager>(m_platform, m_settings);
    m_overlay->setupOverlay();
    // The accessibility bus is reached only once snapping to lines or
    // following the text cursor is switched on.
    m_overlay->lineGuide().setSourceFactory([this]() -> std::unique_ptr<textlines::TextLineSource> {
        return textlines::AtspiTextLines::create(m_platform);
    });
    m_magnifierWindow = std::make_unique<MagnifierWindow>(m_settings);
    m_magnifierWindow->setupAsMagnifier();
    setupMouseTracker();

    m_commands.setHotkeysEnabled(m_settings.globalHotkeysEnabled());
    const auto takeHotkeys = [this] { m_commands.setHotkeysEnabled(m_settings.globalHotkeysEnabled()); };
    connect(&m_settings, &AppSettings::globalHotkeysEnabledChanged, this, takeHotkeys);
    connect(&m_settings, &AppSettings::lineStepKeysEnabledChanged, this, takeHotkeys);
    // Switched from anywhere (a command, the preferences), the magnifier
    // comes and goes at once while the guide shows.
    connect(&m_settings, &AppSettings::magnifierEnabledChanged, this, [this] {
        if (m_isEnabled && m_settings.magnifierEnabled())
            m_overlay->magnifierShow();
        else
            m_overlay->magnifierHide();
    });
    // Shown after whatever message the change itself brings, which would
    // otherwise replace it at once.
    connect(&m_settings, &AppSettings::saveFailed, this, [](const QString &reason) {
        QTimer::singleShot(0, &HUDNotification::shared(), [reason] {
            HUDNotification::shared().show(tr("Settings not saved: %1").arg(reason));
        });
    });

    checkAccessibilityPermission();
    // Without a tray (stock GNOME has none) the preferences window is the way in.
    if (!m_hasTray && plainLaunch) showPreferences();
}

void AppDelegate::applicationWillTerminate()
{
    m_commands.setHotkeysEnabled(false);
}

void AppDelegate::setupMouseTracker()
{
    // Where the shell moves the guide, it shows the magnifier too.
    if (ShellOverlay *shell = m_overlay->shellOverlay()) {
        m_overlay->magnifierShow = [shell] { shell->setMagnifierVisible(true); };
        m_overlay->magnifierHide = [shell] { shell->setMagnifierVisible(false); };
        // No pointer to track: the Shell follows it.
        return;
    }
    m_overlay->magnifierUpdatePosition = [this](double x, double y) {
        if (m_magnifierWindow) m_magnifierWindow->updatePosition(x, y);
    };
    m_overlay->magnifierShow = [this] {
        if (!m_magnifierWindow) return;
        // Centre it on the pointer now rather than where it was last.
        const QPointF pointer = m_platform.pointer().position();
        m_magnifierWindow->updatePosition(pointer.x(), pointer.y());
        m_magnifierWindow->show();
    };
    m_overlay->magnifierHide = [this] {
        if (m_magnifierWindow) m_magnifierWindow->hide();
    };
    m_overlay->setupMouseTracker();
}

void AppDelegate::checkAccessibilityPermission()
{
    // On GNOME the Shell shows the guide through Tovani's extension: it is
    // offered once the Shell has said whether it has it.
    if (platform::ShellGuide *shell = m_platform.shellGuide()) {
        connect(shell, &platform::ShellGuide::stateChanged, this, &AppDelegate::shellGuideChanged);
        QTimer::singleShot(m_promptDelayMs, this, &AppDelegate::shellGuideChanged);
        return;
    }
    if (m_platform.isTrusted()) return;
    // On a Wayland desktop that gives no program the pointer nothing helps
    // but the commands: that is said once, at the first start.
    if (m_platform.name() == u"wayland") {
        const QString marker =
            QFileInfo(m_settings.filePath()).dir().filePath(QStringLiteral("pointerless-notice-shown"));
        if (QFileInfo::exists(marker)) return;
        QTimer::singleShot(m_promptDelayMs, this, [this, marker] {
            // Written first: a notice that is still open when Tovani ends
            // was seen all the same.
            QDir().mkpath(QFileInfo(marker).path());
            platform::replaceFileContents(marker, QByteArray());
            showPointerlessNotice();
        });
        return;
    }
    QTimer::singleShot(m_promptDelayMs, this, &AppDelegate::showAccessibilityPrompt);
}

void AppDelegate::shellGuideChanged()
{
    platform::ShellGuide *shell = m_platform.shellGuide();
    if (m_preferencesWindow) setPreferencesNotice(m_preferencesWindow, preferencesNotice());
    using State = platform::ShellGuide::State;
    if (m_offeredExtension || (shell->state() != State::NotInstalled && shell->state() != State::Disabled))
        return;
    // Once per run: "Not Now" is an answer.
    m_offeredExtension = true;
    offerShellExtension();
}

void AppDelegate::offerShellExtension()
{
    platform::ShellGuide *shell = m_platform.shellGuide();
    // Over the preferences when they are open: in front, where the person looks.
    QMessageBox box(m_preferencesWindow);
    box.setIcon(QMessageBox::Question);
    box.setWindowTitle(tr("Tovani"));
    box.setText(tr("Switch on Tovani's GNOME Shell extension?"));
    box.setInformativeText(shell->stateText() + QLatin1Char(' ') +
                           tr("GNOME Shell shows the guide through it, above every window, and follows the "
                              "pointer. It is installed for you alone."));
    QPushButton *install = box.addButton(tr("Install"), QMessageBox::AcceptRole);
    box.addButton(tr("Not Now"), QMessageBox::RejectRole);
    box.setDefaultButton(install);
    box.exec();
    if (box.clickedButton() != install) return;
    QString error;
    if (!shell->install(&error)) {
        QMessageBox::warning(nullptr, tr("Tovani"),
                             tr("The extension could not be installed: %1").arg(error));
        return;
    }
    if (shell->state() == platform::ShellGuide::State::Active) return;
    QMessageBox done(m_preferencesWindow);
    done.setIcon(QMessageBox::Information);
    done.setWindowTitle(tr("Tovani"));
    done.setText(tr("Log out and log in again once"));
    done.setInformativeText(
        tr("GNOME Shell starts new extensions only at log-in; from then on Tovani's guide "
           "shows and follows the pointer."));
    done.exec();
}

QString AppDelegate::preferencesNotice() const
{
    QStringList notices;
    if (!m_hasTray)
        notices << tr("No system tray is available: use this window, the shortcuts or the tovani command.");
    const platform::ShellGuide *shell = m_platform.shellGuide();
    if (shell && shell->state() != platform::ShellGuide::State::Active) notices << shell->stateText();
    if (shell)
        notices << tr("On GNOME the guide follows the pointer only: snapping to text lines, line steps and the "
                      "lock are not available there yet.");
    return notices.join(QLatin1Char(' '));
}

void AppDelegate::showPointerlessNotice()
{
    QMessageBox box;
    box.setIcon(QMessageBox::Information);
    box.setWindowTitle(tr("Tovani"));
    box.setText(tr("The guide works without the pointer here"));
    box.setInformativeText(
        tr("This desktop does not tell programs where the pointer is, so the guide cannot follow it. "
           "It starts in the middle third of the screen, and you move it a line at a time with the "
           "commands \"tovani next-line\" and \"tovani previous-line\".\n\n"
           "Bind them, and \"tovani toggle\", to keys in your desktop's settings: in sway, for "
           "example, add \"bindsym $mod+j exec tovani next-line\" to its configuration file."));
    box.addButton(QMessageBox::Ok);
    box.exec();
}

void AppDelegate::showAccessibilityPrompt()
{
    // Say plainly what does not work here, and what helps. Through XWayland
    // the pointer and the keys are seen only over other X11 windows; on
    // Wayland itself (Qt chose it) not at all yet.
    QMessageBox box;
    box.setIcon(QMessageBox::Information);
    box.setWindowTitle(tr("Tovani"));
    box.setText(tr("Limited in a Wayland session"));
    const QString commands =
        tr("You can also bind \"tovani toggle\", \"tovani cycle-style\" and the other commands of "
           "\"tovani --help\" to shortcuts in your desktop's keyboard settings.");
    if (m_platform.isX11()) {
        box.setInformativeText(
            tr("Tovani follows the pointer and answers its keyboard shortcuts only while the pointer "
               "is over windows of X11 programs. Over other windows the guide stays where it was.\n\n"
               "To use Tovani everywhere, log in with an X11 session (often called \"Xorg\" on the "
               "login screen).") +
            QStringLiteral(" ") + commands);
    } else {
        box.setInformativeText(
            tr("Tovani runs on Wayland directly, where it cannot see the pointer outside its own "
               "windows or take global keyboard shortcuts, and the magnifier cannot show the "
               "screen: the guide does not follow the pointer.\n\n"
               "Log in with an X11 session (often called \"Xorg\" on the login screen), or start "
               "Tovani with QT_QPA_PLATFORM=xcb to follow the pointer over X11 programs.") +
            QStringLiteral(" ") + commands);
    }
    QPushButton *open = box.addButton(tr("Open Keyboard Settings"), QMessageBox::AcceptRole);
    box.addButton(tr("Later"), QMessageBox::RejectRole);
    box.setDefaultButton(open);
    box.exec();
    if (box.clickedButton() != open) return;
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

// ---------------------------------------------------------------------------
// What the commands act on

void AppDelegate::setGuideEnabled(bool enabled)
{
    if (enabled == m_isEnabled) return;
    m_isEnabled = enabled;
    if (!enabled) {
        m_overlay->disableGuide(); // overlays, magnifier, tracking
        return;
    }
    // Place the guide at the pointer before it shows: switched on by a
    // shortcut or the tovani command, the pointer may rest for a while, and
    // the guide would wait at its last position (or the display's corner
    // after launch) until it moves.
    const QPointF at = m_platform.pointer().position();
    m_overlay->handleMouseMove(at.x(), at.y());
    m_overlay->enableGuide();
}

namespace {
QString heldByShellText()
{
    return AppDelegate::tr("Line steps and the lock are not available on GNOME yet: the Shell moves the guide "
                           "with the pointer");
}
} // namespace

QString AppDelegate::stepLine(int direction)
{
    if (!m_isEnabled) return tr("The guide is off");
    if (!canHoldGuide()) return heldByShellText();
    m_overlay->lineGuide().step(direction);
    return {};
}

QString AppDelegate::setGuideLocked(bool locked)
{
    if (!m_isEnabled) return tr("The guide is off");
    if (!canHoldGuide()) return heldByShellText();
    m_overlay->lineGuide().setLocked(locked);
    return {};
}

bool AppDelegate::isGuideLocked() const
{
    return m_overlay && m_overlay->lineGuide().isLocked();
}

namespace {
void bringToFront(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

void centreOnPrimary(QWidget *window)
{
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
}
} // namespace

void AppDelegate::showPreferences()
{
    if (!m_preferencesWindow) {
        auto *window = createPreferencesWindow(m_settings);
        const auto showBoundKeys = [this, window] {
            setPreferencesBoundKeys(window, [this](const QString &verb) {
                const Command *command = Commands::find(verb);
                return command ? m_commands.boundKeyText(*command) : QString();
            });
        };
        showBoundKeys();
        // The desktop answers later, and the person may bind other keys in its settings.
        connect(&m_commands, &CommandRegistry::hotkeysChanged, window, showBoundKeys);
        setPreferencesNotice(window, preferencesNotice());
        m_preferencesWindow = window;
        centreOnPrimary(window);
    }
    bringToFront(m_preferencesWindow);
}

void AppDelegate::showAbout()
{
    if (!m_aboutWindow) {
        auto *window = createAboutWindow();
        m_aboutWindow = window;
        centreOnPrimary(window);
    }
    bringToFront(m_aboutWindow);
}

void AppDelegate::requestQuit()
{
    // Answer first; whoever sent the command is waiting for the reply.
    QTimer::singleShot(0, this, &AppDelegate::quitRequested);
}

QString AppDelegate::status() const
{
    // Words for scripts and bug reports, the same in every language.
    QString text =
        QStringLiteral("backend: %1, pointer: %2").arg(m_platform.name(), m_platform.pointerSource());
    if (const platform::ShellGuide *shell = m_platform.shellGuide()) {
        static const char *const states[] = {"active",   "starting",    "not-installed",
                                             "disabled", "needs-login", "failed"};
        text += QStringLiteral(", extension: ") + QLatin1String(states[int(shell->state())]);
    }
    return text;
}
