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
#include <QLoggingCategory>
#include <QTimer>

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

class KWinPointer : public PointerMonitor
{
public:
    KWinPointer(QDBusConnection bus, QString script)
        : m_bus(std::move(bus)), m_script(std::move(script)),
          m_receiver(&m_kwinOwner, [this](QPoint p) { push(p); }),
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
    std::unique_ptr<TovaniBusName> m_busName; // asked for at the first start
    QString m_kwinOwner; // the unique name of KWin's connection, empty while there is none
    Receiver m_receiver;
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

std::unique_ptr<PointerMonitor> createPointerMonitor()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(kwinService).value())
        return nullptr;
    const QString script = scriptPath();
    if (script.isEmpty()) {
        qCWarning(lcKWinPointer) << "the KWin script" << scriptName << "is not installed";
        return nullptr;
    }
    return std::make_unique<KWinPointer>(bus, script);
}

} // namespace platform::kwin

#include "KWinPointer.moc"
