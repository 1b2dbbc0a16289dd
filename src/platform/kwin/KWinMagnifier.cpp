// KWin's magnifier effect, driven through KWin's /Effects object and its
// configuration file (see KWinMagnifier.h).
#include "platform/kwin/KWinMagnifier.h"

#include "platform/AtomicFile.h"
#include "platform/dbus/DBusTypes.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cmath>

Q_LOGGING_CATEGORY(lcKWinMagnifier, "tovani.platform.kwin")

namespace platform::kwin {

namespace {

const QString kwinService = QStringLiteral("org.kde.KWin");
const QString effectsPath = QStringLiteral("/Effects");
const QString effectsInterface = QStringLiteral("org.kde.kwin.Effects");
const QString effectName = QStringLiteral("magnifier");
const QByteArray group = QByteArrayLiteral("Effect-magnifier");
constexpr int callTimeoutMs = 1000;
// The effect zooms in and out over a few frames; what it did is read back
// this often, this many times, before Tovani gives up on it.
constexpr int checkIntervalMs = 250;
constexpr int maxChecks = 16;
// The effect's texture is this many points at most on a side.
constexpr int maxSide = 4096;
constexpr int minSide = 10;
constexpr double maxZoom = 64;
// The keys Tovani sets in the group, the person's own kept aside meanwhile.
constexpr std::array<const char *, 3> savedKeys{"InitialZoom", "Width", "Height"};

bool isKey(const QByteArray &line, const QByteArray &key)
{
    const qsizetype eq = line.indexOf('=');
    return eq > 0 && line.left(eq).trimmed() == key;
}

// The group a line opens ("[Effect-magnifier]"), or nothing for any other line.
std::optional<QByteArray> groupOf(const QByteArray &line)
{
    const QByteArray trimmed = line.trimmed();
    if (!trimmed.startsWith('[') || !trimmed.endsWith(']')) return std::nullopt;
    return trimmed.mid(1, trimmed.size() - 2);
}

struct Look
{
    int width = 0;
    int height = 0;
    double zoom = 1;
    bool operator==(const Look &) const = default;
};

class KWinMagnifier : public QObject, public DesktopMagnifier
{
public:
    KWinMagnifier()
        : m_bus(QDBusConnection::sessionBus()), m_configPath(configPath()),
          m_savedPath(QFileInfo(m_configPath).path() + QStringLiteral("/tovani/kwin-magnifier"))
    {
        m_check.setSingleShot(true);
        m_check.setInterval(checkIntervalMs);
        connect(&m_check, &QTimer::timeout, this, &KWinMagnifier::readBack);
        recover();
    }

    ~KWinMagnifier() override
    {
        if (m_phase != Phase::Off) {
            writeLook(std::nullopt);
            call(QStringLiteral("reconfigureEffect"), QDBus::Block);
        }
        if (m_loadedHere) call(QStringLiteral("unloadEffect"), QDBus::Block);
        // The effect saves its zoom as it goes: the person's values go back
        // after it.
        restoreEntries();
    }

    Capability capability() override
    {
        if (!m_capability) {
            const std::optional<QVariantList> answer =
                platform::dbus::replyArguments(call(QStringLiteral("isEffectSupported"), QDBus::Block), u"b");
            if (!answer)
                m_capability = Capability::missing(QCoreApplication::translate(
                    "MagnifierView", "KWin did not say whether it can magnify the screen"));
            else if (!answer->at(0).toBool())
                m_capability = Capability::missing(QCoreApplication::translate(
                    "MagnifierView",
                    "KWin's magnifier needs KWin to draw with OpenGL, which it does not here"));
            else
                m_capability = Capability{};
        }
        return *m_capability;
    }

    void setMagnifier(bool visible, double zoom, const QSizeF &size) override
    {
        std::optional<Look> want;
        if (visible && std::isfinite(zoom) && zoom > 1 && std::isfinite(size.width()) &&
            std::isfinite(size.height()))
            want = Look{std::clamp(qRound(std::clamp(size.width(), 0.0, 1e6)), minSide, maxSide),
                        std::clamp(qRound(std::clamp(size.height(), 0.0, 1e6)), minSide, maxSide),
                        std::min(zoom, maxZoom)};
        if (want == m_want) return;
        m_want = want;
        step();
    }

private:
    enum class Phase
    {
        Off,
        TurningOn,
        On,
        TurningOff
    };

    static QString configPath()
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
               QStringLiteral("/kwinrc");
    }

    // A Tovani that was killed while its look was in kwinrc left the person's
    // values in a file of its own, and KWin's magnifier perhaps on: it is
    // turned off, and the values go back.
    void recover()
    {
        QFile file(m_savedPath);
        if (!file.open(QIODevice::ReadOnly)) return;
        const QByteArray saved = file.read(4096);
        if (!saved.startsWith('[' + group + "]\n")) {
            qCWarning(lcKWinMagnifier) << "ignoring an unreadable" << m_savedPath;
            QFile::remove(m_savedPath);
            return;
        }
        m_saved = QList<ConfigEntry>();
        for (const QByteArray key : savedKeys)
            m_saved->append({key, entryOf(saved, group, key)});
        if (!isActive(m_bus.call(activeEffects(), QDBus::Block, callTimeoutMs))) {
            restoreEntries();
            return;
        }
        m_loaded = m_loadedHere = true;
        m_phase = Phase::On;
        m_shown = Look{};
        step();
    }

    static QDBusMessage activeEffects()
    {
        QDBusMessage get = QDBusMessage::createMethodCall(kwinService, effectsPath,
                                                          QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("Get"));
        get.setArguments({effectsInterface, QStringLiteral("activeEffects")});
        return get;
    }

    // Whether the effect is zoomed (or zooming), from KWin's list of active
    // effects.
    static bool isActive(const QDBusMessage &reply)
    {
        const std::optional<QVariantList> value = platform::dbus::replyArguments(reply, u"v");
        const std::optional<QStringList> active =
            value ? platform::dbus::read<QStringList>(value->at(0), u"as") : std::nullopt;
        return active && active->contains(effectName);
    }

    // Moves towards what is wanted from where the effect is.
    void step()
    {
        switch (m_phase) {
        case Phase::Off:
            if (!m_want || !capability() || !load()) return;
            m_shown = *m_want;
            turn(Phase::TurningOn, m_shown);
            return;
        case Phase::TurningOn:
        case Phase::On:
            // The effect takes any other zoom than its own for "off".
            if (!m_want || *m_want != m_shown) turn(Phase::TurningOff, std::nullopt);
            return;
        case Phase::TurningOff:
            return; // readBack() goes on once it is off
        }
    }

    void turn(Phase phase, const std::optional<Look> &look)
    {
        m_phase = phase;
        m_checks = 0;
        ask(look);
    }

    // `look` in KWin's file, the effect told to read it, and what it did
    // read back shortly.
    void ask(const std::optional<Look> &look)
    {
        writeLook(look);
        call(QStringLiteral("reconfigureEffect"), QDBus::NoBlock);
        m_check.start();
    }

    bool load()
    {
        if (m_loaded) return true;
        const std::optional<QVariantList> loaded =
            platform::dbus::replyArguments(call(QStringLiteral("isEffectLoaded"), QDBus::Block), u"b");
        if (loaded && loaded->at(0).toBool()) {
            m_loaded = true;
            return true;
        }
        const std::optional<QVariantList> answer =
            platform::dbus::replyArguments(call(QStringLiteral("loadEffect"), QDBus::Block), u"b");
        if (!answer || !answer->at(0).toBool()) {
            qCWarning(lcKWinMagnifier) << "KWin did not load its magnifier effect";
            return false;
        }
        m_loaded = m_loadedHere = true;
        return true;
    }

    void readBack()
    {
        auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(activeEffects(), callTimeoutMs), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *call) {
            call->deleteLater();
            settle(isActive(call->reply()));
        });
    }

    void settle(bool active)
    {
        if (m_phase == Phase::On || m_phase == Phase::Off) return;
        const bool done = m_phase == Phase::TurningOn ? active : !active;
        if (!done) {
            if (++m_checks >= maxChecks) {
                qCWarning(lcKWinMagnifier) << "KWin's magnifier did not turn" << (active ? "off" : "on");
                m_phase = active ? Phase::On : Phase::Off;
                if (m_phase == Phase::Off) restoreEntries();
                // A KWin started anew since has no effect loaded: asked again
                // at the next show.
                m_loaded = false;
                return;
            }
            // On: a reconfiguration during the effect's zoom-out reads as
            // "off"; asked again once it is out.
            if (m_phase == Phase::TurningOn && m_checks % 4 == 0)
                ask(m_shown);
            else
                m_check.start();
            return;
        }
        m_phase = m_phase == Phase::TurningOn ? Phase::On : Phase::Off;
        if (m_phase == Phase::Off) restoreEntries();
        step();
    }

    // Tovani's look for the effect in KWin's file (none: zoom 1, off). The
    // person's own values are kept the first time, for restoreEntries(), and
    // on disk until then, for recover().
    void writeLook(const std::optional<Look> &look)
    {
        QFile file(m_configPath);
        const QByteArray before = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        QList<ConfigEntry> entries{{"InitialZoom", QByteArray::number(look ? look->zoom : 1.0, 'g', 6)}};
        if (look)
            entries +=
                {{"Width", QByteArray::number(look->width)}, {"Height", QByteArray::number(look->height)}};
        if (!m_saved) {
            m_saved = QList<ConfigEntry>();
            for (const QByteArray key : savedKeys)
                m_saved->append({key, entryOf(before, group, key)});
            QDir().mkpath(QFileInfo(m_savedPath).path());
            // Even the group alone: a file with no key says there were none.
            const QString error =
                replaceFileContents(m_savedPath, withEntries('[' + group + "]\n", group, *m_saved));
            if (!error.isEmpty())
                qCWarning(lcKWinMagnifier) << "cannot keep KWin's magnifier settings:" << error;
        }
        const QString error = replaceFileContents(m_configPath, withEntries(before, group, entries));
        if (!error.isEmpty()) qCWarning(lcKWinMagnifier) << "cannot set KWin's magnifier:" << error;
    }

    void restoreEntries()
    {
        if (!m_saved) return;
        QFile file(m_configPath);
        if (!file.open(QIODevice::ReadOnly)) return;
        const QString error = replaceFileContents(m_configPath, withEntries(file.readAll(), group, *m_saved));
        if (!error.isEmpty()) {
            qCWarning(lcKWinMagnifier) << "cannot put KWin's magnifier settings back:" << error;
            return;
        }
        QFile::remove(m_savedPath);
        m_saved.reset();
    }

    QDBusMessage call(const QString &method, QDBus::CallMode mode) const
    {
        QDBusMessage message =
            QDBusMessage::createMethodCall(kwinService, effectsPath, effectsInterface, method);
        message.setArguments({effectName});
        if (mode == QDBus::NoBlock) {
            m_bus.send(message);
            return {};
        }
        return m_bus.call(message, mode, callTimeoutMs);
    }

    QDBusConnection m_bus;
    QString m_configPath;
    QString m_savedPath; // the person's values while Tovani's are in kwinrc
    std::optional<Capability> m_capability;
    bool m_loaded = false;
    bool m_loadedHere = false;
    Phase m_phase = Phase::Off;
    std::optional<Look> m_want;
    Look m_shown;
    int m_checks = 0;
    QTimer m_check;
    std::optional<QList<ConfigEntry>> m_saved;
};

} // namespace

std::unique_ptr<DesktopMagnifier> createMagnifier()
{
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    if (!bus || !bus->isServiceRegistered(kwinService)) return nullptr;
    return std::make_unique<KWinMagnifier>();
}

QByteArray withEntries(const QByteArray &file, const QByteArray &group, const QList<ConfigEntry> &entries)
{
    QList<QByteArray> lines = file.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    QList<bool> placed(entries.size(), false);
    qsizetype end = -1; // the line after the group's last entry
    bool inGroup = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (const std::optional<QByteArray> opened = groupOf(lines[i])) {
            inGroup = *opened == group;
            continue;
        }
        if (!inGroup) continue;
        if (!lines[i].trimmed().isEmpty()) end = i + 1;
        for (qsizetype e = 0; e < entries.size(); ++e) {
            if (!isKey(lines[i], entries[e].key)) continue;
            placed[e] = true;
            if (entries[e].value) {
                lines[i] = entries[e].key + '=' + *entries[e].value;
            } else {
                lines.removeAt(i--);
                --end;
            }
            break;
        }
    }
    QList<QByteArray> added;
    for (qsizetype e = 0; e < entries.size(); ++e)
        if (!placed[e] && entries[e].value) added.append(entries[e].key + '=' + *entries[e].value);
    if (!added.isEmpty()) {
        if (end < 0) {
            const qsizetype header =
                std::find_if(lines.cbegin(), lines.cend(),
                             [&](const QByteArray &line) { return groupOf(line) == group; }) -
                lines.cbegin();
            if (header < lines.size()) {
                end = header + 1;
            } else {
                if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) lines.append(QByteArray());
                lines.append('[' + group + ']');
                end = lines.size();
            }
        }
        for (const QByteArray &line : std::as_const(added))
            lines.insert(end++, line);
    }
    QByteArray out = lines.join('\n');
    if (!out.isEmpty()) out += '\n';
    return out;
}

std::optional<QByteArray> entryOf(const QByteArray &file, const QByteArray &group, const QByteArray &key)
{
    bool inGroup = false;
    for (const QByteArray &line : file.split('\n')) {
        if (const std::optional<QByteArray> opened = groupOf(line))
            inGroup = *opened == group;
        else if (inGroup && isKey(line, key))
            return line.mid(line.indexOf('=') + 1).trimmed();
    }
    return std::nullopt;
}

} // namespace platform::kwin
