// The pointer from a KWin script (see KWinPointer.h).
//
// start() loads the script and runs it: four short calls to KWin, answered in
// a millisecond or two; stop() unloads it. The script then calls Moved(x, y) on
// our object for every change of whole pixel. Only the connection that owns
// org.kde.KWin is heard: any other caller gets an error and moves nothing. When
// KWin goes away the monitor falls silent, and when a new KWin takes the name
// the script is loaded into it again.
#include "platform/kwin/KWinPointer.h"

#include "platform/dbus/DBusTypes.h"
#include "platform/dbus/TovaniBusName.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

Q_LOGGING_CATEGORY(lcKWinPointer, "tovani.platform.kwin")

namespace platform::kwin {

namespace {

const QString kwinService = QStringLiteral("org.kde.KWin");
// A reply from KWin takes a millisecond; one that has not come after this long
// will not come.
constexpr int callTimeoutMs = 2000;
// No desktop is this wide: a larger coordinate is a fault of the caller.
constexpr int maxCoordinate = 1 << 20;
// After KWin (re)starts, its scripting object appears a moment after its bus
// name: loading is retried this often, this many times.
constexpr int retryIntervalMs = 250;
constexpr int maxRetries = 20;

// The object the script calls. It hands on the positions that come from the
// owner of org.kde.KWin and refuses every other caller.
class Receiver : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.tovani.Pointer")
public:
    using Sink = std::function<void(QPoint)>;
    Receiver(QString *kwinOwner, Sink sink) : m_kwinOwner(kwinOwner), m_sink(std::move(sink)) {}

public Q_SLOTS:
    // KWin 5 passes whole pixels as int32; a script engine may hand over
    // doubles instead.
    Q_SCRIPTABLE void Moved(int x, int y)
    {
        if (accept() && std::abs(x) <= maxCoordinate && std::abs(y) <= maxCoordinate)
            m_sink(QPoint(x, y));
    }
    Q_SCRIPTABLE void Moved(double x, double y)
    {
        if (accept() && std::isfinite(x) && std::isfinite(y) && std::abs(x) <= maxCoordinate &&
            std::abs(y) <= maxCoordinate)
            m_sink(QPoint(int(std::lround(x)), int(std::lround(y))));
    }

private:
    bool accept()
    {
        const QString sender = message().service();
        if (!m_kwinOwner->isEmpty() && sender == *m_kwinOwner)
            return true;
        sendErrorReply(QDBusError::AccessDenied, QStringLiteral("only KWin reports the pointer"));
        return false;
    }

    const QString *m_kwinOwner;
    Sink m_sink;
};

// A window as the script describes it (tovani-pointer.js, describe()), or
// nothing when a value is missing or of another type. `shown` false: it is
// there but not on the screen.
std::optional<CompositorWindow> windowFrom(const QJsonValue &value, bool *shown)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject o = value.toObject();
    const QJsonValue id = o.value(QLatin1String("id")), pid = o.value(QLatin1String("pid")),
                     frame = o.value(QLatin1String("frame")), surface = o.value(QLatin1String("surface")),
                     active = o.value(QLatin1String("active")), stacking = o.value(QLatin1String("stacking"));
    const QJsonArray f = frame.toArray(), s = surface.toArray();
    if (!id.isString() || !pid.isDouble() || !active.isBool() || !stacking.isDouble() ||
        !o.value(QLatin1String("shown")).isBool() || f.size() != 4 || s.size() != 2)
        return std::nullopt;
    for (const QJsonValue &n : {f[0], f[1], f[2], f[3], s[0], s[1]}) {
        if (!n.isDouble())
            return std::nullopt;
    }
    CompositorWindow w;
    w.id = id.toString();
    w.pid = qint64(pid.toDouble());
    w.frame = QRectF(f[0].toDouble(), f[1].toDouble(), f[2].toDouble(), f[3].toDouble());
    w.surface = QPointF(s[0].toDouble(), s[1].toDouble());
    w.active = active.toBool();
    w.stacking = int(std::clamp(stacking.toDouble(), -1e6, 1e6));
    if (!CompositorWindows::plausible(w.frame) || !CompositorWindows::plausible(w.surface.x()) ||
        !CompositorWindows::plausible(w.surface.y()))
        return std::nullopt;
    *shown = o.value(QLatin1String("shown")).toBool();
    return w;
}

// The object the script tells the windows: all of them (Windows) when one
// opens, closes or is activated, one (Window) as it moves or is resized. Each
// a JSON text, so that what KWin 5's and KWin 6's script engines make of
// numbers does not matter. Only the connection that owns org.kde.KWin is
// heard, and only so many windows.
class WindowsReceiver : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.tovani.Windows")
public:
    // A few hundred windows are some tens of kilobytes.
    static constexpr qsizetype maxText = 1 << 20;

    WindowsReceiver(QString *kwinOwner, std::shared_ptr<CompositorWindows> windows)
        : m_kwinOwner(kwinOwner), m_windows(std::move(windows))
    {
    }

public Q_SLOTS:
    Q_SCRIPTABLE void Windows(const QString &json)
    {
        if (!accept(json))
            return;
        const QJsonArray list = QJsonDocument::fromJson(json.toUtf8()).array();
        QList<CompositorWindow> windows;
        for (const auto &value : list) {
            bool shown = false;
            if (std::optional<CompositorWindow> w = windowFrom(value, &shown); w && shown)
                windows.append(*w);
            if (windows.size() >= CompositorWindows::maxWindows)
                break;
        }
        m_windows->setWindows(windows);
    }
    Q_SCRIPTABLE void Window(const QString &json)
    {
        if (!accept(json))
            return;
        bool shown = false;
        if (std::optional<CompositorWindow> w = windowFrom(QJsonDocument::fromJson(json.toUtf8()).object(), &shown);
            w && shown)
            m_windows->update(*w);
    }

private:
    bool accept(const QString &json)
    {
        const QString sender = message().service();
        if (!m_kwinOwner->isEmpty() && sender == *m_kwinOwner && json.size() <= maxText)
            return true;
        sendErrorReply(QDBusError::AccessDenied, QStringLiteral("only KWin reports windows"));
        return false;
    }

    const QString *m_kwinOwner;
    std::shared_ptr<CompositorWindows> m_windows;
};

const QString windowsPath = QStringLiteral("/org/tovani/Windows");

class KWinPointer : public PointerMonitor
{
public:
    KWinPointer(QDBusConnection bus, QString script, std::shared_ptr<CompositorWindows> windows)
        : m_bus(std::move(bus)), m_script(std::move(script)), m_windows(std::move(windows)),
          m_receiver(&m_kwinOwner, [this](QPoint p) { push(p); }),
          m_windowsReceiver(&m_kwinOwner, m_windows),
          m_watcher(kwinService, m_bus, QDBusServiceWatcher::WatchForOwnerChange)
    {
        m_kwinOwner = m_bus.interface()->serviceOwner(kwinService).value();
        QObject::connect(&m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
                         [this](const QString &, const QString &, const QString &newOwner) { kwinChanged(newOwner); });
        m_retry.setSingleShot(true);
        m_retry.setInterval(retryIntervalMs);
        QObject::connect(&m_retry, &QTimer::timeout, this, [this] {
            if (m_running && !m_kwinOwner.isEmpty() && !load() && ++m_retries < maxRetries)
                m_retry.start();
        });
        // The script must not outlive Tovani in KWin: by the time objects are
        // destroyed at exit, the bus may be gone.
        if (QCoreApplication *app = QCoreApplication::instance())
            QObject::connect(app, &QCoreApplication::aboutToQuit, this, [this] { stop(); });
    }
    ~KWinPointer() override { stop(); }

    QPointF position() const override
    {
        m_reported = false;
        return m_position;
    }

    bool start() override
    {
        if (m_running)
            return true;
        if (m_kwinOwner.isEmpty())
            return false;
        if (!m_bus.registerObject(QString::fromLatin1(objectPath), &m_receiver,
                                  QDBusConnection::ExportScriptableSlots)) {
            qCWarning(lcKWinPointer) << "cannot export" << objectPath << "on the session bus";
            return false;
        }
        // The name is asked for when the pointer is first wanted, and kept.
        if (!m_busName)
            m_busName = std::make_unique<TovaniBusName>();
        if (!m_busName->isOwned()) {
            qCWarning(lcKWinPointer) << "the bus name" << tovaniBusName << "is taken by another program";
            m_bus.unregisterObject(QString::fromLatin1(objectPath));
            return false;
        }
        m_bus.registerObject(windowsPath, &m_windowsReceiver, QDBusConnection::ExportScriptableSlots);
        m_running = true;
        m_reported = false;
        if (!load()) {
            stop();
            return false;
        }
        return true;
    }

    void stop() override
    {
        if (!m_running)
            return;
        m_running = false;
        m_retry.stop();
        if (m_loaded && !m_kwinOwner.isEmpty())
            call(QStringLiteral("/Scripting"), QStringLiteral("org.kde.kwin.Scripting"), QStringLiteral("unloadScript"),
                 {QString::fromLatin1(scriptName)});
        m_loaded = false;
        m_bus.unregisterObject(QString::fromLatin1(objectPath));
        m_bus.unregisterObject(windowsPath);
        m_windows->clear(); // no longer kept up to date
    }

    bool isRunning() const override { return m_running; }

private:
    QDBusMessage call(const QString &path, const QString &interface, const QString &method,
                      const QVariantList &arguments) const
    {
        QDBusMessage message = QDBusMessage::createMethodCall(kwinService, path, interface, method);
        message.setArguments(arguments);
        return m_bus.call(message, QDBus::Block, callTimeoutMs);
    }

    // Loads the script into the KWin that owns the name now and runs it. A
    // script of that name loaded before (by a Tovani that crashed) goes first:
    // KWin refuses a second one.
    bool load()
    {
        const QString scripting = QStringLiteral("/Scripting");
        const QString scriptingInterface = QStringLiteral("org.kde.kwin.Scripting");
        const QString name = QString::fromLatin1(scriptName);
        call(scripting, scriptingInterface, QStringLiteral("unloadScript"), {name});
        const QDBusMessage loaded = call(scripting, scriptingInterface, QStringLiteral("loadScript"), {m_script, name});
        const std::optional<QVariantList> answer = platform::dbus::replyArguments(loaded, u"i");
        const int id = answer ? answer->at(0).toInt() : -1;
        if (id < 0) {
            qCWarning(lcKWinPointer) << "KWin did not load" << m_script << loaded.errorMessage();
            return false;
        }
        m_loaded = true;
        const QDBusMessage ran = call(scriptObject(id), QStringLiteral("org.kde.kwin.Script"), QStringLiteral("run"), {});
        if (ran.type() == QDBusMessage::ReplyMessage)
            return true;
        qCWarning(lcKWinPointer) << "KWin did not run the script" << m_script << ran.errorMessage();
        return false;
    }

    // KWin 6 exports a loaded script as /Scripting/Script<id>, KWin 5 as
    // /<id>. The objects under /Scripting say which KWin this is, where a
    // call to the wrong path would only fail.
    QString scriptObject(int id) const
    {
        const QString node = QStringLiteral("Script") + QString::number(id);
        const QDBusMessage tree = call(QStringLiteral("/Scripting"), QStringLiteral("org.freedesktop.DBus.Introspectable"),
                                       QStringLiteral("Introspect"), {});
        if (tree.arguments().value(0).toString().contains(QStringLiteral("<node name=\"%1\"/>").arg(node)))
            return QStringLiteral("/Scripting/") + node;
        return QLatin1Char('/') + QString::number(id);
    }

    void kwinChanged(const QString &newOwner)
    {
        m_kwinOwner = newOwner;
        m_loaded = false; // the script went with the KWin that had it
        m_windows->clear();
        m_retry.stop();
        if (m_running && !newOwner.isEmpty()) {
            m_retries = 0;
            m_retry.start();
        }
    }

    void push(QPoint p)
    {
        m_position = p;
        if (m_running && !m_reported) {
            m_reported = true;
            Q_EMIT moved();
        }
    }

    QDBusConnection m_bus;
    QString m_script;
    std::shared_ptr<CompositorWindows> m_windows;
    std::unique_ptr<TovaniBusName> m_busName; // asked for at the first start
    QString m_kwinOwner; // the unique name of KWin's connection, empty while there is none
    Receiver m_receiver;
    WindowsReceiver m_windowsReceiver;
    QDBusServiceWatcher m_watcher;
    QTimer m_retry;
    int m_retries = 0;
    bool m_running = false;
    bool m_loaded = false;
    QPointF m_position;
    // Reading the position is what re-arms the report, so position() const
    // changes it.
    mutable bool m_reported = false;
};

} // namespace

QString scriptPath()
{
    const QString file = QString::fromLatin1(scriptName) + QStringLiteral(".js");
    QStringList candidates;
    if (QCoreApplication::instance())
        candidates << QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../share/tovani/kwin/") + file);
    candidates << QStringLiteral(TOVANI_KWIN_SCRIPT_DIR "/") + file;
    for (const QString &candidate : std::as_const(candidates)) {
        if (QFileInfo(candidate).isFile())
            return QFileInfo(candidate).canonicalFilePath();
    }
    return {};
}

std::unique_ptr<PointerMonitor> createPointerMonitor(std::shared_ptr<CompositorWindows> windows)
{
    if (!windows)
        windows = std::make_shared<CompositorWindows>();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(kwinService).value())
        return nullptr;
    const QString script = scriptPath();
    if (script.isEmpty()) {
        qCWarning(lcKWinPointer) << "the KWin script" << scriptName << "is not installed";
        return nullptr;
    }
    return std::make_unique<KWinPointer>(bus, script, std::move(windows));
}

} // namespace platform::kwin

#include "KWinPointer.moc"
