#include "app/AppDelegate.h"

#include "feedback/HUDNotification.h"
#include "magnifier/MagnifierWindow.h"
#include "overlay/OverlayManager.h"
#include "speech/Reader.h"
#include "speech/SpeechDispatcher.h"
#include "textlines/AtspiTextLines.h"
#include "ui/AboutView.h"
#include "ui/LaunchAtLogin.h"
#include "ui/Notices.h"
#include "ui/PreferencesView.h"
#include "ui/TrayMenu.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>

AppDelegate::AppDelegate(platform::Platform &platform, AppSettings &settings, QObject *parent)
    : QObject(parent), m_platform(platform), m_settings(settings), m_hud(std::make_unique<HUDNotification>(platform)),
      m_commands(*this, platform.hotkeys(), *m_hud),
      m_notices(std::make_unique<Notices>(platform, QFileInfo(settings.filePath()).dir().path()))
{
}

AppDelegate::~AppDelegate()
{
    // The settings outlive this object; nothing they say may reach it now.
    disconnect(&m_settings, nullptr, this, nullptr);
    m_reader.reset();
    delete m_preferencesWindow.data();
    delete m_aboutWindow.data();
}

// ---------------------------------------------------------------------------
// Launch

void AppDelegate::applicationDidFinishLaunching(bool plainLaunch)
{
    m_hasTray = QSystemTrayIcon::isSystemTrayAvailable();
    m_tray = std::make_unique<TrayMenu>([this] { return m_commands.trayState(); });
    connect(&m_commands, &CommandRegistry::ran, m_tray.get(), &TrayMenu::update);
    connect(&m_commands, &CommandRegistry::hotkeysChanged, m_tray.get(), &TrayMenu::update);
    connect(&m_settings, &AppSettings::changed, m_tray.get(), &TrayMenu::update);

    m_overlay = std::make_unique<OverlayManager>(m_platform, m_settings);
    m_overlay->setupOverlay();
    // The accessibility bus is reached only once snapping to lines or
    // following the text cursor is switched on.
    m_overlay->lineGuide().setSourceFactory([this]() -> std::unique_ptr<textlines::TextLineSource> {
        return textlines::AtspiTextLines::create(m_platform);
    });
    // Reading aloud: the reader speaks a line, the guide steps to the next
    // one when it asks, and anything else that moves the guide stops it.
    m_reader = std::make_unique<speech::Reader>([this]() -> speech::Speech * { return speech(); });
    LineGuide &lineGuide = m_overlay->lineGuide();
    connect(m_reader.get(), &speech::Reader::stepWanted, &lineGuide, [&lineGuide] { lineGuide.stepToText(1); });
    connect(&lineGuide, &LineGuide::textStepped, m_reader.get(), [this, &lineGuide](std::optional<QRectF> line) {
        textlines::TextLineSource *source = lineGuide.source();
        m_reader->lineStepped(line && source ? std::optional<QString>(source->lineText(*line)) : std::nullopt);
    });
    connect(&lineGuide, &LineGuide::guideTaken, m_reader.get(), [this] {
        if (!m_reader->isReading())
            return;
        m_reader->stop();
        m_hud->show(tr("Stopped reading"));
    });
    connect(m_reader.get(), &speech::Reader::ended, this, [this](const QString &why) { m_hud->show(why); });
    m_magnifierWindow = std::make_unique<MagnifierWindow>(m_platform, m_settings);
    m_magnifierWindow->setupAsMagnifier();
    MagnifierWindow *magnifier = m_magnifierWindow.get();
    connect(m_overlay.get(), &OverlayManager::magnifierShown, magnifier, &MagnifierWindow::showAt);
    connect(m_overlay.get(), &OverlayManager::magnifierMoved, magnifier, &MagnifierWindow::updatePosition);
    connect(m_overlay.get(), &OverlayManager::magnifierHidden, magnifier, &MagnifierWindow::hideMagnifier);
    m_overlay->setupMouseTracker();

    m_commands.setHotkeysEnabled(m_settings.globalHotkeysEnabled());
    const auto takeHotkeys = [this] { m_commands.setHotkeysEnabled(m_settings.globalHotkeysEnabled()); };
    connect(&m_settings, &AppSettings::globalHotkeysEnabledChanged, this, takeHotkeys);
    connect(&m_settings, &AppSettings::lineStepKeysEnabledChanged, this, takeHotkeys);
    // The line keys are taken only where the guide can be held, which a
    // desktop extension may learn late (it starts after Tovani, or an older
    // one is replaced at the next log-in).
    if (platform::DesktopExtension *extension = m_platform.extension()) {
        connect(extension, &platform::DesktopExtension::stateChanged, this,
                [this, takeHotkeys, held = canHoldGuide()]() mutable {
                    if (canHoldGuide() == held) return;
                    held = !held;
                    takeHotkeys();
                });
    }
    // Switched from anywhere (a command, the preferences), the magnifier
    // comes and goes at once while the guide shows.
    connect(&m_settings, &AppSettings::magnifierEnabledChanged, this,
            [this] { m_overlay->setMagnifierVisible(m_isEnabled && m_settings.magnifierEnabled()); });
    // Shown after whatever message the change itself brings, which would
    // otherwise replace it at once.
    connect(&m_settings, &AppSettings::saveFailed, this, [this](const QString &reason) {
        QTimer::singleShot(0, m_hud.get(), [this, reason] { m_hud->show(tr("Settings not saved: %1").arg(reason)); });
    });

    m_notices->setHasTray(m_hasTray);
    m_notices->start(m_promptDelayMs);
    // Without a tray (stock GNOME has none) the preferences window is the way in.
    if (!m_hasTray && plainLaunch) showPreferences();
}

void AppDelegate::applicationWillTerminate()
{
    m_commands.setHotkeysEnabled(false);
    if (m_reader)
        m_reader->stop();
}

speech::SpeechDispatcher *AppDelegate::speech()
{
    if (!m_speech) {
        m_speech = std::make_unique<speech::SpeechDispatcher>();
        m_speech->setRate(int(m_settings.speechRate()));
        m_speech->setVoice(m_settings.speechVoice());
        connect(&m_settings, &AppSettings::speechRateChanged, m_speech.get(),
                [this] { m_speech->setRate(int(m_settings.speechRate())); });
        connect(&m_settings, &AppSettings::speechVoiceChanged, m_speech.get(),
                [this] { m_speech->setVoice(m_settings.speechVoice()); });
    }
    return m_speech.get();
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

bool AppDelegate::canHoldGuide() const
{
    return bool(m_platform.capability(platform::Feature::HoldGuide));
}

QString AppDelegate::magnifierProblem() const
{
    // Asked once, as the magnifier window and the preferences do: whether the
    // screen can be magnified does not change during a session, and finding
    // out may set up a capture. The tray asks at every change.
    if (!m_magnifierProblem) {
        const platform::Capability magnifier = m_platform.capability(platform::Feature::Magnifier);
        m_magnifierProblem = magnifier ? QString() : magnifier.reason;
    }
    return *m_magnifierProblem;
}

bool AppDelegate::launchesAtLogin() const { return LaunchAtLogin(m_platform).isEnabled(); }

QString AppDelegate::setLaunchAtLogin(bool enabled)
{
    return LaunchAtLogin(m_platform).setEnabled(enabled).value_or(QString());
}

QString AppDelegate::stepLine(int direction)
{
    if (!m_isEnabled) return tr("The guide is off");
    if (const platform::Capability hold = m_platform.capability(platform::Feature::HoldGuide); !hold)
        return hold.reason;
    m_overlay->lineGuide().step(direction);
    return {};
}

QString AppDelegate::setGuideLocked(bool locked)
{
    if (!m_isEnabled) return tr("The guide is off");
    if (const platform::Capability hold = m_platform.capability(platform::Feature::HoldGuide); !hold)
        return hold.reason;
    m_overlay->lineGuide().setLocked(locked);
    return {};
}

QString AppDelegate::toggleReadAloud()
{
    if (m_reader && m_reader->isReading()) {
        m_reader->stop();
        m_overlay->lineGuide().cancelTextStep(); // stopped between two lines: no further
        return {};
    }
    if (!m_isEnabled) return tr("The guide is off");
    if (const platform::Capability hold = m_platform.capability(platform::Feature::HoldGuide); !hold)
        return hold.reason;
    LineGuide &guide = m_overlay->lineGuide();
    if (!m_settings.snapToTextLines() || !guide.source())
        return tr("Reading aloud needs Snap to Text Lines: switch it on in the preferences.");
    const std::optional<QRectF> line = guide.line();
    const QString text = line ? guide.source()->lineText(*line) : QString();
    if (text.trimmed().isEmpty())
        return tr("No text to read here: rest the pointer on a line in an application that reports its text.");
    if (QString missing = speech::SpeechDispatcher::unavailableReason(); !missing.isEmpty())
        return missing;
    m_reader->start(text);
    return {};
}

bool AppDelegate::isReadingAloud() const { return m_reader && m_reader->isReading(); }

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
        auto *window = createPreferencesWindow(m_platform, m_settings);
        const auto showBoundKeys = [this, window] {
            setPreferencesBoundKeys(window, [this](const QString &verb) {
                const Command *command = Commands::find(verb);
                return command ? m_commands.boundKeyText(*command) : QString();
            });
        };
        showBoundKeys();
        // The desktop answers later, and the person may bind other keys in its settings.
        connect(&m_commands, &CommandRegistry::hotkeysChanged, window, showBoundKeys);
        m_notices->setPreferencesWindow(window);
        m_preferencesWindow = window;
        // The voices come from speech-dispatcher, reached now if it is there.
        if (const QString missing = speech::SpeechDispatcher::unavailableReason(); !missing.isEmpty()) {
            setPreferencesSpeechProblem(window, missing);
        } else {
            connect(speech(), &speech::Speech::voicesListed, window, [window](const QList<speech::Voice> &voices) {
                QList<std::pair<QString, QString>> list;
                for (const speech::Voice &voice : voices)
                    list.append({voice.name, voice.language});
                setPreferencesVoices(window, list);
            });
            connect(speech(), &speech::Speech::failed, window,
                    [window](const QString &reason) { setPreferencesSpeechProblem(window, reason); });
            speech()->requestVoices();
        }
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
    if (const platform::DesktopExtension *extension = m_platform.extension()) {
        static const char *const states[] = {"active",   "starting",    "not-installed",
                                             "disabled", "needs-login", "failed"};
        text += QStringLiteral(", extension: ") + QLatin1String(states[int(extension->state())]);
    }
    return text;
}
