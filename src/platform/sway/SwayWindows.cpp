#include "platform/sway/SwayWindows.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QtEndian>

Q_LOGGING_CATEGORY(lcSway, "tovani.platform.sway")

namespace platform::sway {

namespace {

const QByteArray magic = QByteArrayLiteral("i3-ipc");
constexpr int headerSize = 6 + 4 + 4;
// A tree of a few hundred windows is a few hundred kilobytes; a larger
// message is a fault, and the connection is dropped rather than fed.
constexpr quint32 maxPayload = 8u << 20;
// Deeper trees are broken or hostile; real ones are a dozen levels deep.
constexpr int maxDepth = 64;
constexpr qint64 staleMs = 500;

enum : quint32 {
    subscribe = 2,
    getTree = 4,
    eventBit = 0x80000000u,
};

std::optional<QRectF> rectOf(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject o = value.toObject();
    const QJsonValue x = o.value(QLatin1String("x")), y = o.value(QLatin1String("y")),
                     w = o.value(QLatin1String("width")), h = o.value(QLatin1String("height"));
    if (!x.isDouble() || !y.isDouble() || !w.isDouble() || !h.isDouble())
        return std::nullopt;
    const QRectF rect(x.toDouble(), y.toDouble(), w.toDouble(), h.toDouble());
    return CompositorWindows::plausible(rect) ? std::optional(rect) : std::nullopt;
}

// Tiled views first, then floating ones (which sway draws above), each in
// the tree's order; a fullscreen view above all of its workspace.
void collect(const QJsonObject &node, int depth, bool floating, QList<CompositorWindow> &out)
{
    if (depth > maxDepth || out.size() >= CompositorWindows::maxWindows)
        return;
    const QJsonValue pid = node.value(QLatin1String("pid"));
    if (pid.isDouble() && node.value(QLatin1String("visible")).toBool(false)) {
        const std::optional<QRectF> frame = rectOf(node.value(QLatin1String("rect")));
        const std::optional<QRectF> content = rectOf(node.value(QLatin1String("window_rect")));
        if (frame && content) {
            CompositorWindow w;
            w.id = QString::number(node.value(QLatin1String("id")).toDouble());
            w.pid = qint64(pid.toDouble());
            w.frame = *frame;
            w.surface = frame->topLeft() + content->topLeft();
            w.active = node.value(QLatin1String("focused")).toBool(false);
            w.stacking = (node.value(QLatin1String("fullscreen_mode")).toInt(0) != 0 ? 2 : floating ? 1 : 0) *
                             CompositorWindows::maxWindows +
                         int(out.size());
            out.append(w);
        }
    }
    for (const char *key : {"nodes", "floating_nodes"}) {
        const QJsonValue children = node.value(QLatin1String(key));
        if (!children.isArray())
            continue;
        const bool childrenFloat = floating || qstrcmp(key, "floating_nodes") == 0;
        const QJsonArray array = children.toArray();
        for (const auto &child : array) {
            if (child.isObject())
                collect(child.toObject(), depth + 1, childrenFloat, out);
        }
    }
}

class SwayConnection : public QObject
{
public:
    explicit SwayConnection(std::shared_ptr<CompositorWindows> windows) : m_windows(std::move(windows))
    {
        connect(&m_socket, &QLocalSocket::readyRead, this, &SwayConnection::read);
        connect(&m_socket, &QLocalSocket::disconnected, this, [this] { m_windows->clear(); });
        connect(&m_socket, &QLocalSocket::connected, this, [this] {
            send(subscribe, R"(["window","workspace"])");
            askTree();
        });
        // sway sends no event when a floating window is moved or a tiled one
        // resized: a question that finds the tree older than this asks for
        // it again, for the next question (sway gives no pointer, so
        // questions come from keys, a few a second at most).
        m_windows->setAskedHook([this] {
            if (m_socket.state() == QLocalSocket::ConnectedState && !m_treeAsked && m_age.isValid() &&
                m_age.elapsed() > staleMs)
                askTree();
        });
    }
    ~SwayConnection() override
    {
        m_windows->setAskedHook({});
        m_socket.abort();
    }

    void open(const QString &path) { m_socket.connectToServer(path); }

private:
    void send(quint32 type, const QByteArray &payload)
    {
        QByteArray message = magic;
        message.resize(headerSize);
        qToLittleEndian<quint32>(quint32(payload.size()), message.data() + 6);
        qToLittleEndian<quint32>(type, message.data() + 10);
        m_socket.write(message + payload);
    }

    // One tree asked at a time; events while it is out ask once more after.
    void askTree()
    {
        if (m_treeAsked) {
            m_stale = true;
            return;
        }
        m_treeAsked = true;
        send(getTree, {});
    }

    void read()
    {
        m_buffer += m_socket.readAll();
        while (m_buffer.size() >= headerSize) {
            const quint32 length = qFromLittleEndian<quint32>(m_buffer.constData() + 6);
            const quint32 type = qFromLittleEndian<quint32>(m_buffer.constData() + 10);
            if (!m_buffer.startsWith(magic) || length > maxPayload) {
                qCWarning(lcSway) << "sway sent a message Tovani cannot read; no windows from it";
                m_windows->clear();
                m_buffer.clear();
                m_socket.abort();
                return;
            }
            if (quint32(m_buffer.size()) < headerSize + length)
                return;
            const QByteArray payload = m_buffer.mid(headerSize, length);
            m_buffer.remove(0, headerSize + length);
            if (type & eventBit) {
                askTree();
            } else if (type == getTree) {
                m_windows->setWindows(parseTree(payload));
                m_age.start();
                m_treeAsked = false;
                if (std::exchange(m_stale, false))
                    askTree();
            }
        }
    }

    std::shared_ptr<CompositorWindows> m_windows;
    QLocalSocket m_socket;
    QByteArray m_buffer;
    bool m_treeAsked = false;
    bool m_stale = false;
    QElapsedTimer m_age; // since the tree came
};

} // namespace

QList<CompositorWindow> parseTree(const QByteArray &json)
{
    QList<CompositorWindow> windows;
    const QJsonDocument tree = QJsonDocument::fromJson(json);
    if (tree.isObject())
        collect(tree.object(), 0, false, windows);
    return windows;
}

std::unique_ptr<QObject> connectWindows(std::shared_ptr<CompositorWindows> windows)
{
    const QString path = qEnvironmentVariable("SWAYSOCK");
    if (path.isEmpty() || !windows)
        return nullptr;
    auto connection = std::make_unique<SwayConnection>(std::move(windows));
    connection->open(path);
    return connection;
}

} // namespace platform::sway
