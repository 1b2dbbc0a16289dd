#include "platform/gnome/GnomeShell.h"

#include "platform/Keysyms.h"
#include "platform/dbus/DBusTypes.h"
#include "platform/dbus/TovaniBusName.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cmath>

Q_LOGGING_CATEGORY(lcGnome, "tovani.gnome")

namespace {

// One picture of SetGuide: (iuddddiiay).
struct WirePiece
{
    int monitor = 0;
    uint anchor = 0;
    double x = 0, y = 0, width = 0, height = 0;
    int pixelWidth = 0, pixelHeight = 0;
    QByteArray pixels; // premultiplied BGRA, rows tight
};

struct WireColor
{
    double r = 0, g = 0, b = 0, a = 0;
};

// A monitor of the Monitors property: (iiiid).
struct WireMonitor
{
    int x = 0, y = 0, width = 0, height = 0;
    double scale = 1;
};

QDBusArgument &operator<<(QDBusArgument &arg, const WirePiece &p)
{
    arg.beginStructure();
    arg << p.monitor << p.anchor << p.x << p.y << p.width << p.height << p.pixelWidth << p.pixelHeight
        << p.pixels;
    arg.endStructure();
    return arg;
}

const QDBusArgument &operator>>(const QDBusArgument &arg, WirePiece &p)
{
    arg.beginStructure();
    arg >> p.monitor >> p.anchor >> p.x >> p.y >> p.width >> p.height >> p.pixelWidth >> p.pixelHeight >>
        p.pixels;
    arg.endStructure();
    return arg;
}

QDBusArgument &operator<<(QDBusArgument &arg, const WireColor &c)
{
    arg.beginStructure();
    arg << c.r << c.g << c.b << c.a;
    arg.endStructure();
    return arg;
}

const QDBusArgument &operator>>(const QDBusArgument &arg, WireColor &c)
{
    arg.beginStructure();
    arg >> c.r >> c.g >> c.b >> c.a;
    arg.endStructure();
    return arg;
}

QDBusArgument &operator<<(QDBusArgument &arg, const WireMonitor &m)
{
    arg.beginStructure();
    arg << m.x << m.y << m.width << m.height << m.scale;
    arg.endStructure();
    return arg;
}

const QDBusArgument &operator>>(const QDBusArgument &arg, WireMonitor &m)
{
    arg.beginStructure();
    arg >> m.x >> m.y >> m.width >> m.height >> m.scale;
    arg.endStructure();
    return arg;
}

// A window of PointerRested and FocusChanged: (ddddddx).
struct WireWindow
{
    double x = 0, y = 0, width = 0, height = 0, originX = 0, originY = 0;
    qint64 pid = 0;
};

const QDBusArgument &operator>>(const QDBusArgument &arg, WireWindow &w)
{
    arg.beginStructure();
    arg >> w.x >> w.y >> w.width >> w.height >> w.originX >> w.originY >> w.pid;
    arg.endStructure();
    return arg;
}

QDBusArgument &operator<<(QDBusArgument &arg, const WireWindow &w)
{
    arg.beginStructure();
    arg << w.x << w.y << w.width << w.height << w.originX << w.originY << w.pid;
    arg.endStructure();
    return arg;
}

} // namespace

Q_DECLARE_METATYPE(WireWindow)
Q_DECLARE_METATYPE(WirePiece)
Q_DECLARE_METATYPE(WireColor)
Q_DECLARE_METATYPE(WireMonitor)

namespace platform::gnome {

namespace {

const QString shellService = QStringLiteral("org.gnome.Shell");
const QString shellPath = QStringLiteral("/org/gnome/Shell");
const QString extensionsInterface = QStringLiteral("org.gnome.Shell.Extensions");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

// What org.gnome.Shell.Extensions reports of an extension.
enum ShellExtensionState
{
    Enabled = 1,
    Disabled = 2,
    Error = 3,
    OutOfDate = 4,
    Initialized = 6
};

// Where the Shell finds extensions of this user, and of the whole system.
QStringList extensionDirs()
{
    QStringList dirs{QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)};
    dirs << QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    for (QString &dir : dirs)
        dir = QDir(dir).filePath(QStringLiteral("gnome-shell/extensions/") + QLatin1String(extensionUuid));
    dirs.removeDuplicates();
    return dirs;
}

bool isInstalled()
{
    const QStringList dirs = extensionDirs();
    return std::any_of(dirs.cbegin(), dirs.cend(), [](const QString &dir) {
        return QFileInfo(dir + QStringLiteral("/metadata.json")).isFile();
    });
}

bool copyTree(const QString &from, const QString &to, QString *error)
{
    QDir source(from);
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = QDir(to).filePath(source.relativeFilePath(file));
        QDir().mkpath(QFileInfo(target).path());
        QFile::remove(target);
        if (!QFile::copy(file, target)) {
            *error = QCoreApplication::translate("Platform", "could not write %1").arg(target);
            return false;
        }
        QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                     QFile::ReadOther);
    }
    return true;
}

// gsettings, for the Shell's list of extensions to start: the Shell reads it
// at log-in, and an extension it does not know yet can be switched on only
// there.
bool runGsettings(const QStringList &arguments, QString *output, QString *error)
{
    QProcess process;
    process.start(QStringLiteral("gsettings"), arguments);
    if (!process.waitForFinished(5000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        *error = process.error() == QProcess::FailedToStart
                     ? QCoreApplication::translate("Platform", "the gsettings program is missing")
                     : QCoreApplication::translate("Platform", "gsettings failed: %1")
                           .arg(QString::fromLocal8Bit(process.readAllStandardError()).trimmed());
        process.kill();
        return false;
    }
    if (output) *output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    return true;
}

// The extension is in the Shell's list of extensions to start.
bool isSwitchedOn()
{
    QString list, error;
    return runGsettings({QStringLiteral("get"), QStringLiteral("org.gnome.shell"),
                         QStringLiteral("enabled-extensions")},
                        &list, &error) &&
           list.contains(QLatin1Char('\'') + QLatin1String(extensionUuid) + QLatin1Char('\''));
}

bool userExtensionsOff()
{
    QString value, error;
    return runGsettings({QStringLiteral("get"), QStringLiteral("org.gnome.shell"),
                         QStringLiteral("disable-user-extensions")},
                        &value, &error) &&
           value == u"true";
}

// A call of the extension's interface.
QDBusMessage extensionCall(const char *method, const QVariantList &arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(serviceName), QLatin1String(objectPath),
                                                       QLatin1String(interfaceName), QLatin1String(method));
    call.setArguments(arguments);
    return call;
}

WireColor wireColor(const QColor &color)
{
    if (!color.isValid()) return {};
    return {color.redF(), color.greenF(), color.blueF(), color.alphaF()};
}

} // namespace

QString shellAccelerator(const HotkeyService::Key &key)
{
    const QString sym = usKeysym(key.xkbKeyName);
    if (sym.isEmpty()) return {};
    QString accelerator;
    const std::pair<Qt::KeyboardModifier, const char *> names[] = {{Qt::ControlModifier, "<Control>"},
                                                                   {Qt::AltModifier, "<Alt>"},
                                                                   {Qt::ShiftModifier, "<Shift>"},
                                                                   {Qt::MetaModifier, "<Super>"}};
    for (const auto &[modifier, name] : names) {
        if (key.modifiers.testFlag(modifier)) accelerator += QLatin1String(name);
    }
    return accelerator + sym;
}

int shellMajorVersion(const QString &version)
{
    static const QRegularExpression major(QStringLiteral("^\\s*(\\d+)"));
    const QRegularExpressionMatch match = major.match(version);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

QString shippedExtensionDir(int shellMajor)
{
    // Shells before 45 load extensions as scripts, later ones as modules.
    const QString variant =
        shellMajor > 0 && shellMajor < 45 ? QStringLiteral("legacy") : QStringLiteral("modules");
    const QString tail = variant + QLatin1Char('/') + QLatin1String(extensionUuid);
    QStringList candidates;
    if (QCoreApplication::instance())
        candidates << QDir(QCoreApplication::applicationDirPath())
                          .filePath(QStringLiteral("../share/tovani/gnome-shell/") + tail);
    candidates << QStringLiteral(TOVANI_GNOME_SHELL_BUILD_DIR "/") + tail;
    for (const QString &candidate : std::as_const(candidates)) {
        if (QFileInfo(candidate + QStringLiteral("/metadata.json")).isFile())
            return QFileInfo(candidate).canonicalFilePath();
    }
    return {};
}

std::optional<WindowAtPoint> windowFromWire(const QVariant &value)
{
    const std::optional<WireWindow> wire = dbus::read<WireWindow>(value, u"(ddddddx)");
    if (!wire) return std::nullopt;
    // Beyond this no screen reaches; NaN fails every comparison.
    constexpr double limit = 1e6;
    const double numbers[] = {wire->x, wire->y, wire->width, wire->height, wire->originX, wire->originY};
    if (!std::all_of(std::begin(numbers), std::end(numbers), [](double v) { return std::abs(v) <= limit; }) ||
        !(wire->width > 0) || !(wire->height > 0) || wire->pid <= 0)
        return std::nullopt;
    return WindowAtPoint::onSurface(wire->pid, QRectF(wire->x, wire->y, wire->width, wire->height),
                                    QPointF(wire->originX, wire->originY));
}

QString addToStringList(const QString &list, const QString &uuid)
{
    static const QRegularExpression shape(QStringLiteral("^(?:@as\\s*)?\\[(.*)\\]$"));
    static const QRegularExpression item(QStringLiteral("\\s*'([^'\\\\]*)'\\s*(,|$)"));
    const QRegularExpressionMatch whole = shape.match(list.trimmed());
    if (!whole.hasMatch()) return {};
    const QString body = whole.captured(1);
    QStringList items;
    qsizetype at = 0;
    while (at < body.size()) {
        const QRegularExpressionMatch m = item.match(body, at, QRegularExpression::NormalMatch,
                                                     QRegularExpression::AnchorAtOffsetMatchOption);
        if (!m.hasMatch()) return body.trimmed().isEmpty() ? QStringLiteral("['%1']").arg(uuid) : QString();
        items << m.captured(1);
        at = m.capturedEnd();
    }
    if (!items.contains(uuid)) items << uuid;
    for (QString &i : items)
        i = QLatin1Char('\'') + i + QLatin1Char('\'');
    return QLatin1Char('[') + items.join(QStringLiteral(", ")) + QLatin1Char(']');
}

ShellExtension::ShellExtension(const QDBusConnection &bus, TovaniBusName &busName, QObject *parent)
    : ShellGuide(parent), m_bus(bus), m_busName(busName)
{
    qDBusRegisterMetaType<WirePiece>();
    qDBusRegisterMetaType<QList<WirePiece>>();
    qDBusRegisterMetaType<WireColor>();
    qDBusRegisterMetaType<WireMonitor>();
    qDBusRegisterMetaType<QList<WireMonitor>>();
    qDBusRegisterMetaType<WireWindow>();

    auto *watcher = new QDBusServiceWatcher(QLatin1String(serviceName), m_bus,
                                            QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &owner) {
                if (owner.isEmpty())
                    vanished();
                else
                    appeared();
            });
    m_bus.connect(QLatin1String(serviceName), QLatin1String(objectPath), propertiesInterface,
                  QStringLiteral("PropertiesChanged"), this,
                  SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    m_bus.connect(QLatin1String(serviceName), QLatin1String(objectPath), QLatin1String(interfaceName),
                  QStringLiteral("ShortcutActivated"), this, SLOT(onShortcutActivated(QString)));
    // Any arguments: they are read only once their types are checked.
    m_bus.connect(QLatin1String(serviceName), QLatin1String(objectPath), QLatin1String(interfaceName),
                  QStringLiteral("PointerRested"), this, SLOT(onPointerRested(QDBusMessage)));
    m_bus.connect(QLatin1String(serviceName), QLatin1String(objectPath), QLatin1String(interfaceName),
                  QStringLiteral("FocusChanged"), this, SLOT(onFocusChanged(QDBusMessage)));
    m_bus.connect(QLatin1String(serviceName), QLatin1String(objectPath), QLatin1String(interfaceName),
                  QStringLiteral("GuideReleased"), this, SLOT(onGuideReleased()));
    const auto extensionRuns = [this] {
        return m_bus.interface() &&
               m_bus.interface()->isServiceRegistered(QLatin1String(serviceName)).value();
    };
    // The extension serves the holder of Tovani's name: without it, there is
    // nothing to ask of it until the program that has it goes.
    connect(&m_busName, &TovaniBusName::ownedChanged, this,
            [this, extensionRuns](bool owned) {
                if (!owned)
                    vanished();
                else if (extensionRuns())
                    appeared();
            });
    if (extensionRuns())
        appeared();
    else
        askShell();
}

ShellExtension::~ShellExtension()
{
    // The extension hides the guide when Tovani's connection closes; saying
    // so first clears it at once, also when the connection outlives us.
    if (m_state == State::Active) {
        m_bus.call(extensionCall("SetVisible", {false}), QDBus::NoBlock);
    }
}

void ShellExtension::appeared()
{
    const int generation = ++m_generation;
    if (!m_busName.isOwned()) {
        qCWarning(lcGnome) << "another program holds" << tovaniBusName << "on the session bus";
        setState(State::Failed);
        return;
    }
    // The extension answers on the Shell's own connection: a name held by
    // any other program is not it, and neither its shortcuts nor its
    // monitors are taken.
    if (QDBusConnectionInterface *bus = m_bus.interface()) {
        const QString owner = bus->serviceOwner(QLatin1String(serviceName));
        if (owner.isEmpty() || owner != bus->serviceOwner(shellService).value()) {
            qCWarning(lcGnome) << "org.tovani.ShellExtension is held by" << owner << ", not by GNOME Shell";
            setState(State::Failed,
                     QCoreApplication::translate("Platform", "another program holds its name on "
                                                             "the session bus"));
            return;
        }
    }
    QDBusMessage get = QDBusMessage::createMethodCall(QLatin1String(serviceName), QLatin1String(objectPath),
                                                      propertiesInterface, QStringLiteral("GetAll"));
    get << QLatin1String(interfaceName);
    auto *call = new QDBusPendingCallWatcher(m_bus.asyncCall(get, 5000), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, generation](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        if (generation != m_generation) return;
        const QDBusPendingReply<QVariantMap> reply = *w;
        if (reply.isError()) {
            qCWarning(lcGnome) << "the Shell extension did not answer:" << reply.error().message();
            setState(State::Failed, reply.error().message());
            return;
        }
        const QVariant versionValue = reply.value().value(QStringLiteral("ApiVersion"));
        const uint version = versionValue.typeId() == QMetaType::UInt ? versionValue.toUInt() : 0;
        if (version < oldestApiVersion || version > apiVersion) {
            setState(State::Failed,
                     QCoreApplication::translate(
                         "Platform", "it speaks version %1 of Tovani's interface, this Tovani version %2; "
                                     "log out and log in again to load the one installed with Tovani")
                         .arg(version)
                         .arg(apiVersion));
            return;
        }
        readMonitors(reply.value().value(QStringLiteral("Monitors")));
        m_version = version;
        setState(State::Active);
        sendAll();
    });
}

void ShellExtension::sendAll()
{
    sendPieces();
    sendVisible();
    sendMagnifier();
    sendHold();
    for (auto it = m_shortcuts.cbegin(); it != m_shortcuts.cend(); ++it)
        sendShortcut(it.key());
}

bool ShellExtension::wantsShown() const
{
    const bool pictures = std::any_of(m_pieces.cbegin(), m_pieces.cend(), [this](const Piece &p) {
        return !p.image.isNull() && p.display >= 0 && p.display < m_monitors.size();
    });
    return m_visible && (pictures || (m_shade.isValid() && m_shade.alpha() > 0) ||
                         (m_magnifier.visible && !m_magnifier.size.isEmpty()));
}

void ShellExtension::vanished()
{
    ++m_generation;
    m_version = 0;
    m_rested.reset();
    m_focused.reset();
    if (!m_monitors.isEmpty()) {
        m_monitors.clear();
        Q_EMIT monitorsChanged();
    }
    for (auto it = m_shortcuts.cbegin(); it != m_shortcuts.cend(); ++it)
        Q_EMIT shortcutBound(it.key(), false);
    if (!m_busName.isOwned()) {
        setState(State::Failed);
        return;
    }
    setState(State::Starting);
    askShell();
}

// Why the extension does not run: asked of the Shell, and of the files.
void ShellExtension::askShell()
{
    const int generation = m_generation;
    QDBusMessage info = QDBusMessage::createMethodCall(shellService, shellPath, extensionsInterface,
                                                       QStringLiteral("GetExtensionInfo"));
    info << QLatin1String(extensionUuid);
    auto *call = new QDBusPendingCallWatcher(m_bus.asyncCall(info, 5000), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, generation](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        if (generation != m_generation || m_state == State::Active) return;
        const QDBusPendingReply<QVariantMap> reply = *w;
        if (reply.isError()) {
            setState(State::Failed,
                     QCoreApplication::translate("Platform", "GNOME Shell does not answer (%1)")
                         .arg(reply.error().message()));
            return;
        }
        const QVariantMap values = reply.value();
        // The Shell reads extensions at log-in only: one installed since is
        // unknown to it.
        if (values.isEmpty()) {
            // Installed since (a package, say), it also has to be in the
            // Shell's list to start at the next log-in.
            setState(!isInstalled()   ? State::NotInstalled
                     : isSwitchedOn() ? State::NeedsLogin
                                      : State::Disabled);
            return;
        }
        switch (int(values.value(QStringLiteral("state")).toDouble())) {
        case Enabled:
            // Switched on, its name not yet owned: it is starting.
            setState(State::Starting);
            break;
        case Disabled:
        case Initialized:
            // GNOME's switch for all of the person's own extensions is
            // theirs to turn: said, not turned.
            setState(State::Disabled,
                     userExtensionsOff()
                         ? QCoreApplication::translate(
                               "Platform", "Extensions are switched off in GNOME's Extensions app "
                                           "(\"Use Extensions\"); switch them on to see Tovani's guide.")
                         : QString());
            break;
        case OutOfDate:
            setState(State::Failed, QCoreApplication::translate(
                                        "Platform", "it does not support this version of GNOME Shell"));
            break;
        default:
            setState(State::Failed, values.value(QStringLiteral("error")).toString());
            break;
        }
    });
}

void ShellExtension::setState(State state, const QString &detail)
{
    if (state == m_state && detail == m_detail) return;
    m_state = state;
    m_detail = detail;
    Q_EMIT stateChanged();
}

QString ShellExtension::stateText() const
{
    switch (m_state) {
    case State::Active:
        return QCoreApplication::translate("Platform",
                                           "GNOME Shell shows the guide through Tovani's extension.");
    case State::Starting:
        return QCoreApplication::translate("Platform", "GNOME Shell is starting Tovani's extension.");
    case State::NotInstalled:
        return QCoreApplication::translate(
            "Platform",
            "Tovani shows its guide on GNOME through a small extension of GNOME Shell, which is not "
            "installed yet.");
    case State::Disabled:
        if (!m_detail.isEmpty()) return m_detail;
        return QCoreApplication::translate("Platform", "Tovani's GNOME Shell extension is switched off.");
    case State::NeedsLogin:
        return QCoreApplication::translate(
            "Platform", "Log out and log in again once: GNOME Shell starts Tovani's extension at log-in.");
    case State::Failed:
        if (!m_busName.isOwned())
            return QCoreApplication::translate(
                       "Platform",
                       "Another program holds Tovani's name on the session bus (%1), so Tovani "
                       "does not use its GNOME Shell extension; quit that program to see the guide.")
                .arg(QLatin1String(tovaniBusName));
        break;
    }
    return QCoreApplication::translate("Platform", "GNOME Shell could not run Tovani's extension: %1")
        .arg(m_detail);
}

QString ShellExtension::shippedExtension(QString *error) const
{
    QDBusMessage get =
        QDBusMessage::createMethodCall(shellService, shellPath, propertiesInterface, QStringLiteral("Get"));
    get << shellService << QStringLiteral("ShellVersion");
    const QDBusReply<QDBusVariant> version = m_bus.call(get, QDBus::Block, 5000);
    const int major = version.isValid() ? shellMajorVersion(version.value().variant().toString()) : 0;
    QString dir = shippedExtensionDir(major);
    if (dir.isEmpty())
        *error = QCoreApplication::translate("Platform", "Tovani's files do not include the extension");
    return dir;
}

bool ShellExtension::install(QString *error)
{
    QString ignored;
    if (!error) error = &ignored;
    if (m_state == State::Active) return true;
    if (!isInstalled()) {
        const QString from = shippedExtension(error);
        if (from.isEmpty()) return false;
        if (!copyTree(from, extensionDirs().constFirst(), error)) return false;
    }
    // In the Shell's list, so that it starts at the next log-in; a Shell
    // that knows the extension already switches it on at once.
    const QString key = QStringLiteral("enabled-extensions");
    QString list;
    if (!runGsettings({QStringLiteral("get"), QStringLiteral("org.gnome.shell"), key}, &list, error))
        return false;
    const QString updated = addToStringList(list, QLatin1String(extensionUuid));
    if (updated.isEmpty()) {
        *error = QCoreApplication::translate("Platform", "GNOME Shell's list of extensions is unreadable: %1")
                     .arg(list);
        return false;
    }
    if (updated != list &&
        !runGsettings({QStringLiteral("set"), QStringLiteral("org.gnome.shell"), key, updated}, nullptr,
                      error))
        return false;
    QDBusMessage enable = QDBusMessage::createMethodCall(shellService, shellPath, extensionsInterface,
                                                         QStringLiteral("EnableExtension"));
    enable << QLatin1String(extensionUuid);
    m_bus.call(enable, QDBus::Block, 5000);
    if (m_state != State::Active) askShell();
    return true;
}

void ShellExtension::readMonitors(const QVariant &value)
{
    // Any other shape reads as no monitors.
    const QList<WireMonitor> wire =
        dbus::read<QList<WireMonitor>>(value, u"a(iiiid)").value_or(QList<WireMonitor>());
    QList<ShellMonitor> monitors;
    for (const WireMonitor &m : std::as_const(wire)) {
        if (m.width <= 0 || m.height <= 0) continue;
        const qreal scale = std::isfinite(m.scale) && m.scale >= 0.25 && m.scale <= 8 ? m.scale : 1.0;
        monitors.append({QRectF(m.x, m.y, m.width, m.height), scale});
    }
    if (monitors == m_monitors) return;
    m_monitors = monitors;
    Q_EMIT monitorsChanged();
}

void ShellExtension::propertiesChanged(const QString &interface, const QVariantMap &changed,
                                       const QStringList &)
{
    if (interface != QLatin1String(interfaceName) || m_state != State::Active) return;
    if (changed.contains(QStringLiteral("Monitors"))) readMonitors(changed.value(QStringLiteral("Monitors")));
    // What the extension shows is not what Tovani wants: it lost what it was
    // given (it cleared all for a client it took for gone, say). Everything
    // again, whatever Tovani thinks it sent.
    const QVariant visible = changed.value(QStringLiteral("Visible"));
    if (visible.typeId() == QMetaType::Bool && visible.toBool() != wantsShown()) {
        qCInfo(lcGnome) << "the Shell extension shows" << (visible.toBool() ? "a guide" : "no guide")
                        << "against what was sent: sending everything again";
        sendAll();
    }
}

void ShellExtension::onShortcutActivated(const QString &name)
{
    if (m_state == State::Active) Q_EMIT shortcutActivated(name);
}

void ShellExtension::onPointerRested(const QDBusMessage &message)
{
    if (m_state != State::Active || message.signature() != u"dd(ddddddx)") return;
    const QVariantList args = message.arguments();
    const double x = args.at(0).toDouble(), y = args.at(1).toDouble();
    if (!(std::abs(x) <= 1e6) || !(std::abs(y) <= 1e6)) return;
    m_rested = windowFromWire(args.at(2));
    Q_EMIT pointerRested(QPointF(x, y));
}

void ShellExtension::onFocusChanged(const QDBusMessage &message)
{
    if (m_state != State::Active || message.signature() != u"(ddddddx)") return;
    m_focused = windowFromWire(message.arguments().at(0));
}

void ShellExtension::onGuideReleased()
{
    if (m_state != State::Active || !m_hold.held) return;
    m_hold.held = false;
    Q_EMIT released();
}

std::optional<WindowAtPoint> ShellExtension::windowAt(const QPointF &point) const
{
    // Asked right after a rest, for the point of the rest; the focused
    // window also answers for a point inside it (the text cursor).
    for (const std::optional<WindowAtPoint> &w : {m_rested, m_focused}) {
        if (w && holds(w->frame, point)) return w;
    }
    return std::nullopt;
}

QString ShellExtension::holdProblem() const
{
    if (m_state != State::Active) return stateText();
    if (m_version >= holdApiVersion) return {};
    return QCoreApplication::translate(
        "Platform", "Line steps, the lock and snapping to text lines need the newer Tovani extension that "
                    "came with this Tovani: log out and log in again to load it.");
}

void ShellExtension::hold(double row, double height, Until until)
{
    const Hold wanted{true, row, height, until};
    if (wanted == m_hold) return;
    m_hold = wanted;
    sendHold();
}

void ShellExtension::release()
{
    if (!m_hold.held) return;
    m_hold.held = false;
    sendHold();
}

void ShellExtension::sendHold()
{
    if (!canHold()) return;
    if (!m_hold.held) {
        m_bus.call(extensionCall("ReleaseGuide", {}), QDBus::NoBlock);
        return;
    }
    callReportingErrors(extensionCall("HoldGuide", {m_hold.row, m_hold.height, uint(m_hold.until)}), 5000,
                        "holding the guide");
}

void ShellExtension::setPieces(const QList<Piece> &pieces, const QColor &shade)
{
    if (pieces == m_pieces && shade == m_shade) return;
    m_pieces = pieces;
    m_shade = shade;
    sendPieces();
}

void ShellExtension::sendPieces()
{
    if (m_state != State::Active) return;
    QList<WirePiece> wire;
    for (const Piece &piece : std::as_const(m_pieces)) {
        if (piece.image.isNull() || piece.display < 0 || piece.display >= m_monitors.size()) continue;
        const QImage image = piece.image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QSizeF size = image.deviceIndependentSize();
        WirePiece w;
        w.monitor = piece.display;
        w.anchor = piece.anchor == Anchor::Pointer ? 1 : 0;
        w.x = piece.offset.x();
        w.y = piece.offset.y();
        w.width = size.width();
        w.height = size.height();
        w.pixelWidth = image.width();
        w.pixelHeight = image.height();
        // 32-bit rows are never padded; little-endian ARGB32 is BGRA in bytes.
        w.pixels = QByteArray(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes());
        wire.append(w);
    }
    callReportingErrors(
        extensionCall("SetGuide", {QVariant::fromValue(wire), QVariant::fromValue(wireColor(m_shade))}),
        10000, "the guide");
}

void ShellExtension::callReportingErrors(const QDBusMessage &call, int timeoutMs, const char *what)
{
    auto *pending = new QDBusPendingCallWatcher(m_bus.asyncCall(call, timeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [what](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        if (w->isError()) qCWarning(lcGnome) << "the Shell extension refused" << what << w->error().message();
    });
}

void ShellExtension::setVisible(bool visible)
{
    if (visible == m_visible) return;
    m_visible = visible;
    sendVisible();
}

void ShellExtension::sendVisible()
{
    if (m_state != State::Active) return;
    m_bus.call(extensionCall("SetVisible", {m_visible}), QDBus::NoBlock);
}

void ShellExtension::showMessage(const QString &text)
{
    if (m_state != State::Active) return;
    m_bus.call(extensionCall("ShowMessage", {text}), QDBus::NoBlock);
}

void ShellExtension::setMagnifier(bool visible, double zoom, const QSizeF &size, const QColor &frame)
{
    const Magnifier magnifier{visible, zoom, size, frame};
    if (magnifier == m_magnifier) return;
    m_magnifier = magnifier;
    sendMagnifier();
}

void ShellExtension::sendMagnifier()
{
    // Nothing to say until there is something to show.
    if (m_state != State::Active || m_magnifier.size.isEmpty()) return;
    callReportingErrors(extensionCall("SetMagnifier", {m_magnifier.visible, m_magnifier.zoom,
                                                       m_magnifier.size.width(), m_magnifier.size.height(),
                                                       QVariant::fromValue(wireColor(m_magnifier.frame))}),
                        5000, "the magnifier");
}

void ShellExtension::bindShortcut(const QString &name, const QString &accelerator)
{
    if (accelerator.isEmpty())
        m_shortcuts.remove(name);
    else
        m_shortcuts.insert(name, accelerator);
    sendShortcut(name);
}

void ShellExtension::sendShortcut(const QString &name)
{
    if (m_state != State::Active) return;
    const QString accelerator = m_shortcuts.value(name);
    const int generation = m_generation;
    auto *pending = new QDBusPendingCallWatcher(
        m_bus.asyncCall(extensionCall("BindShortcut", {name, accelerator}), 5000), this);
    connect(
        pending, &QDBusPendingCallWatcher::finished, this,
        [this, name, accelerator, generation](QDBusPendingCallWatcher *w) {
            w->deleteLater();
            const QDBusPendingReply<bool> reply = *w;
            // Only the answer to what is wanted now counts.
            if (generation != m_generation || m_shortcuts.value(name) != accelerator || accelerator.isEmpty())
                return;
            if (reply.isError())
                qCWarning(lcGnome) << "the Shell extension did not bind" << name << reply.error().message();
            Q_EMIT shortcutBound(name, !reply.isError() && reply.value());
        });
}

} // namespace platform::gnome
