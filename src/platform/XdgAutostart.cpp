// The login item on freedesktop desktops: an autostart entry,
// ~/.config/autostart/tovani.desktop ($XDG_CONFIG_HOME/autostart), which the
// session starts at login unless it is marked Hidden=true or
// X-GNOME-Autostart-enabled=false.

#include "platform/AtomicFile.h"
#include "platform/Backends.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace platform {

namespace {

const QLatin1String entryFileName("tovani.desktop");
const QLatin1String entryGroup("Desktop Entry");
// A hand-made entry is a few hundred bytes; anything far bigger is not ours.
constexpr qint64 maximumEntrySize = 1 << 20;

QString defaultAutostartDir()
{
    // Only an absolute XDG_CONFIG_HOME counts; otherwise ~/.config.
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QLatin1String("/.config");
    return QDir::cleanPath(config + QLatin1String("/autostart"));
}

QString defaultExecutable()
{
    QString path = QCoreApplication::applicationFilePath();
    if (path.isEmpty())
        return path;
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

// Desktop-entry booleans as the session reads them: "true"/"1" and
// "false"/"0"; anything else is no value at all.
std::optional<bool> parseBoolean(const QString &value)
{
    if (value == QLatin1String("true") || value == QLatin1String("1"))
        return true;
    if (value == QLatin1String("false") || value == QLatin1String("0"))
        return false;
    return std::nullopt;
}

struct EntryState
{
    bool hasEntryGroup = false;
    std::optional<bool> hidden;
    std::optional<bool> autostartEnabled;
};

// Reads the keys that decide whether the entry is active. Keys are
// case-sensitive and only count inside [Desktop Entry]; comments, blank lines,
// other groups, localised keys and lines that are no key=value pair or group
// header are skipped (a hand-edited entry with a stray line still counts). A
// later duplicate key wins.
EntryState parseEntry(const QByteArray &contents)
{
    EntryState state;
    bool inEntryGroup = false;
    QString text = QString::fromUtf8(contents);
    if (text.startsWith(QChar(0xfeff))) // byte-order mark left by some editors
        text.remove(0, 1);
    const QList<QStringView> lines = QStringView(text).split(QLatin1Char('\n'));
    for (QStringView line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            // A header that never closes is junk like any other: skipped.
            if (line.endsWith(QLatin1Char(']'))) {
                inEntryGroup = line.sliced(1, line.size() - 2) == entryGroup;
                state.hasEntryGroup = state.hasEntryGroup || inEntryGroup;
            }
            continue;
        }
        if (!inEntryGroup)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        const QStringView key = line.first(equals).trimmed();
        const QString value = line.sliced(equals + 1).trimmed().toString();
        if (key == QLatin1String("Hidden"))
            state.hidden = parseBoolean(value);
        else if (key == QLatin1String("X-GNOME-Autostart-enabled"))
            state.autostartEnabled = parseBoolean(value);
    }
    return state;
}

// Characters no Exec line can carry to every launcher, though the desktop
// entry format has a way to quote each: GLib looks for the program
// before it turns "%%" back into "%"; systemd's autostart generator unescapes
// backslashes a second time, and the unit it writes for a program whose path
// holds a quote, "$" or "`" is refused when systemd loads it.
const QLatin1String unstartableCharacters("%\\\"'$`");

// Why an autostart entry can't start the executable, or empty when it can.
QString unstartableReason(const QString &executable)
{
    for (QChar c : executable) {
        if (c.category() == QChar::Other_Control) {
            return QCoreApplication::translate("Platform", "the program's path holds a control character such as a line break, "
                                  "which an autostart entry cannot hold; move Tovani to a folder whose "
                                  "path has none");
        }
        if (unstartableCharacters.contains(c)) {
            return QCoreApplication::translate("Platform", "the program's path %1 holds \"%2\", from which session launchers "
                                  "cannot start it; move Tovani to a folder whose path has none of "
                                  "% \\ \" ' $ `")
                .arg(QDir::toNativeSeparators(executable), QString(c));
        }
    }
    return QString();
}

// The executable as the one argument of the Exec line: in double quotes, so
// spaces and the shell's characters stay part of it. Nothing inside needs
// escaping: unstartableReason() turned away the characters that would.
QString quoteExecArgument(const QString &path) { return QLatin1Char('"') + path + QLatin1Char('"'); }

QByteArray entryContents(const QString &executable)
{
    QString text;
    text += QLatin1String("[Desktop Entry]\n");
    text += QLatin1String("Type=Application\n");
    text += QLatin1String("Name=Tovani\n");
    text += QLatin1String("Comment=Reading guide that follows the pointer\n");
    text += QLatin1String("Exec=") + quoteExecArgument(executable) + QLatin1Char('\n');
    text += QLatin1String("Icon=tovani\n");
    text += QLatin1String("Terminal=false\n");
    text += QLatin1String("X-GNOME-Autostart-enabled=true\n");
    return text.toUtf8();
}

class XdgAutostart final : public LoginItem
{
public:
    XdgAutostart(QString autostartDir, QString executable)
        : m_dir(std::move(autostartDir))
        , m_executable(std::move(executable))
    {
    }

    bool isEnabled() const override
    {
        // Only a regular file (or a link to one) is read: opening a named
        // pipe someone left there would block.
        if (!QFileInfo(entryPath()).isFile())
            return false;
        QFile file(entryPath());
        if (!file.open(QIODevice::ReadOnly)) // unreadable
            return false;
        if (file.size() > maximumEntrySize)
            return false;
        const EntryState state = parseEntry(file.read(maximumEntrySize));
        if (!state.hasEntryGroup)
            return false;
        if (state.hidden.value_or(false))
            return false;
        return state.autostartEnabled.value_or(true);
    }

    bool setEnabled(bool enabled, QString *error) override
    {
        QString reason;
        const bool ok = enabled ? enable(&reason) : disable(&reason);
        if (!ok && error)
            *error = reason;
        return ok;
    }

private:
    QString entryPath() const { return m_dir + QLatin1Char('/') + entryFileName; }

    bool enable(QString *reason) const
    {
        QString executable = m_executable.isEmpty() ? defaultExecutable() : m_executable;
        if (executable.isEmpty()) {
            *reason = QCoreApplication::translate("Platform", "the location of the program is unknown");
            return false;
        }
        executable = QFileInfo(executable).absoluteFilePath();
        const QString unstartable = unstartableReason(executable);
        if (!unstartable.isEmpty()) {
            *reason = unstartable;
            return false;
        }

        const QFileInfo dirInfo(m_dir);
        if (dirInfo.exists() && !dirInfo.isDir()) {
            *reason = QCoreApplication::translate("Platform", "%1 is not a folder").arg(QDir::toNativeSeparators(m_dir));
            return false;
        }
        if (!dirInfo.exists() && !QDir().mkpath(m_dir)) {
            *reason = QCoreApplication::translate("Platform", "could not create the folder %1").arg(QDir::toNativeSeparators(m_dir));
            return false;
        }
        const QString path = entryPath();
        if (QFileInfo(path).isDir()) {
            *reason = QCoreApplication::translate("Platform", "%1 is a folder").arg(QDir::toNativeSeparators(path));
            return false;
        }

        const QString failure = replaceFileContents(path, entryContents(executable));
        if (!failure.isEmpty() && reason)
            *reason = failure;
        return failure.isEmpty();
    }

    bool disable(QString *reason) const
    {
        const QString path = entryPath();
        const QFileInfo info(path);
        if (!info.exists() && !info.isSymLink())
            return true;
        if (info.isDir() && !info.isSymLink()) {
            *reason = QCoreApplication::translate("Platform", "%1 is a folder").arg(QDir::toNativeSeparators(path));
            return false;
        }
        QFile file(path);
        if (!file.remove()) {
            *reason = QCoreApplication::translate("Platform", "could not remove %1: %2")
                          .arg(QDir::toNativeSeparators(path), file.errorString());
            return false;
        }
        return true;
    }

    QString m_dir;
    QString m_executable;
};

} // namespace

// An empty autostartDir stands for $XDG_CONFIG_HOME/autostart (or
// ~/.config/autostart); an empty executable for this program's own file.
std::unique_ptr<LoginItem> createXdgAutostart(const QString &autostartDir, const QString &executable)
{
    const QString dir = autostartDir.isEmpty() ? defaultAutostartDir() : QDir::cleanPath(autostartDir);
    return std::make_unique<XdgAutostart>(dir, executable);
}

} // namespace platform
