#include "platform/Keysyms.h"

#include <QHash>
#include <QStringList>

namespace platform {

QString usKeysym(const QString &xkbKeyName)
{
    static const QHash<QString, QString> map = [] {
        QHash<QString, QString> m;
        const auto row = [&m](const char *prefix, const QStringList &syms) {
            for (qsizetype i = 0; i < syms.size(); ++i)
                m.insert(QString::asprintf("%s%02d", prefix, int(i + 1)), syms.at(i));
        };
        row("AE", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "minus", "equal"});
        row("AD", {"q", "w", "e", "r", "t", "y", "u", "i", "o", "p", "bracketleft", "bracketright"});
        row("AC", {"a", "s", "d", "f", "g", "h", "j", "k", "l", "semicolon", "apostrophe"});
        row("AB", {"z", "x", "c", "v", "b", "n", "m", "comma", "period", "slash"});
        const std::pair<const char *, const char *> named[] = {
            {"TLDE", "grave"}, {"BKSL", "backslash"}, {"SPCE", "space"}, {"UP", "Up"},
            {"DOWN", "Down"},  {"LEFT", "Left"},      {"RGHT", "Right"},
        };
        for (const auto &[position, sym] : named)
            m.insert(QLatin1String(position), QLatin1String(sym));
        return m;
    }();
    return map.value(xkbKeyName);
}

} // namespace platform
