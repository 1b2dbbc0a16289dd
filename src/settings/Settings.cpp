#include "settings/Settings.h"

#include "platform/AtomicFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

// ---------------------------------------------------------------------------
// LineStyle

namespace {
struct StyleInfo
{
    const char *rawValue; // also the English display name (translated in "LineStyle")
    const char *symbol;
    double opacity;
    double thickness;
};

constexpr std::array<StyleInfo, LineStyles::count> styleTable{{
    {QT_TRANSLATE_NOOP("LineStyle", "Underline"), "minus", 0.6, 4.0},
    {QT_TRANSLATE_NOOP("LineStyle", "Highlight Bar"), "highlighter", 0.5, 28.0},
    {QT_TRANSLATE_NOOP("LineStyle", "Focus Window"), "rectangle.center.inset.filled", 0.6, 50.0},
    {QT_TRANSLATE_NOOP("LineStyle", "Ruler"), "ruler", 0.85, 45.0},
    {QT_TRANSLATE_NOOP("LineStyle", "Reading Strip"), "rectangle.split.3x1", 0.55, 55.0},
}};

const StyleInfo &info(LineStyle style) { return styleTable[static_cast<size_t>(style)]; }
} // namespace

QString LineStyles::rawValue(LineStyle style) { return QString::fromLatin1(info(style).rawValue); }

QString LineStyles::displayName(LineStyle style)
{
    return QCoreApplication::translate("LineStyle", info(style).rawValue);
}

std::optional<LineStyle> LineStyles::fromRawValue(const QString &text)
{
    for (LineStyle style : allCases) {
        if (text == QLatin1String(info(style).rawValue))
            return style;
    }
    return std::nullopt;
}

QString LineStyles::hudSymbolName(LineStyle style) { return QString::fromLatin1(info(style).symbol); }

std::optional<LineStyle> LineStyles::fromIndex(int index)
{
    if (index < 0 || index >= count)
        return std::nullopt;
    return allCases[static_cast<size_t>(index)];
}

double LineStyles::defaultOpacity(LineStyle style) { return info(style).opacity; }
double LineStyles::defaultThickness(LineStyle style) { return info(style).thickness; }

// ---------------------------------------------------------------------------
// Colours

QColor SystemColors::red() { return QColor::fromRgbF(1.0f, 0.231f, 0.188f); }
QColor SystemColors::orange() { return QColor::fromRgbF(1.0f, 0.584f, 0.0f); }
QColor SystemColors::blue() { return QColor::fromRgbF(0.0f, 0.478f, 1.0f); }
QColor SystemColors::purple() { return QColor::fromRgbF(0.686f, 0.322f, 0.871f); }
QColor SystemColors::cyan() { return QColor::fromRgbF(0.196f, 0.678f, 0.902f); }
QColor SystemColors::mint() { return QColor::fromRgbF(0.0f, 0.78f, 0.745f); }
QColor SystemColors::gray() { return QColor::fromRgbF(0.557f, 0.557f, 0.576f); }
QColor SystemColors::standardRed() { return QColor::fromRgbF(1.0f, 0.0f, 0.0f); }

CodableColor CodableColor::fromColor(const QColor &color)
{
    const QColor rgb = color.isValid() ? color.toRgb() : SystemColors::standardRed();
    float r, g, b, a;
    rgb.getRgbF(&r, &g, &b, &a);
    return {r, g, b, a};
}

CodableColor CodableColor::amber()
{
    // Exact components: the stored default must read back as 1, 0.75, 0, 1.
    return {1.0, 0.75, 0.0, 1.0};
}

namespace {
float unit(double v)
{
    if (!(v > 0)) // NaN and negatives
        return 0.0f;
    return v >= 1 ? 1.0f : static_cast<float>(v);
}
} // namespace

QColor CodableColor::toColor() const { return QColor::fromRgbF(unit(red), unit(green), unit(blue), unit(alpha)); }

QColor CodableColor::toColor(double opacity) const
{
    return QColor::fromRgbF(unit(red), unit(green), unit(blue), unit(static_cast<double>(unit(alpha)) * opacity));
}

std::optional<QByteArray> CodableColor::encode() const
{
    const double values[] = {red, green, blue, alpha};
    const char *names[] = {"red", "green", "blue", "alpha"};
    QByteArray out = "{";
    for (int i = 0; i < 4; ++i) {
        if (!std::isfinite(values[i]))
            return std::nullopt;
        if (i)
            out += ',';
        out += '"';
        out += names[i];
        out += "\":";
        out += QByteArray::number(values[i], 'g', QLocale::FloatingPointShortest);
    }
    out += '}';
    return out;
}

std::optional<CodableColor> CodableColor::decode(const QByteArray &json)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonObject object = doc.object();
    CodableColor color;
    double *fields[] = {&color.red, &color.green, &color.blue, &color.alpha};
    const char *names[] = {"red", "green", "blue", "alpha"};
    for (int i = 0; i < 4; ++i) {
        const QJsonValue value = object.value(QLatin1String(names[i]));
        if (!value.isDouble())
            return std::nullopt;
        *fields[i] = value.toDouble();
    }
    return color;
}

const QList<PresetColor> &PresetColor::palette()
{
    static const QList<PresetColor> entries = [] {
        auto rgb = [](double r, double g, double b) {
            return QColor::fromRgbF(float(r), float(g), float(b));
        };
        return QList<PresetColor>{
            {"amber", QT_TRANSLATE_NOOP("PresetColor", "Amber"), rgb(1.0, 0.75, 0.0), QT_TRANSLATE_NOOP("PresetColor", "Best for light mode")},
            {"gold", QT_TRANSLATE_NOOP("PresetColor", "Gold"), rgb(1.0, 0.84, 0.0), QT_TRANSLATE_NOOP("PresetColor", "Best for light mode")},
            {"peach", QT_TRANSLATE_NOOP("PresetColor", "Peach"), rgb(1.0, 0.8, 0.6), QT_TRANSLATE_NOOP("PresetColor", "Gentle on eyes")},
            {"coral", QT_TRANSLATE_NOOP("PresetColor", "Coral"), rgb(1.0, 0.5, 0.4), QT_TRANSLATE_NOOP("PresetColor", "High contrast")},
            {"cyan", QT_TRANSLATE_NOOP("PresetColor", "Cyan"), SystemColors::cyan(), QT_TRANSLATE_NOOP("PresetColor", "Best for dark mode")},
            {"mint", QT_TRANSLATE_NOOP("PresetColor", "Mint"), SystemColors::mint(), QT_TRANSLATE_NOOP("PresetColor", "Best for dark mode")},
            {"lime", QT_TRANSLATE_NOOP("PresetColor", "Lime"), rgb(0.7, 1.0, 0.3), QT_TRANSLATE_NOOP("PresetColor", "Best for dark mode")},
            {"sky", QT_TRANSLATE_NOOP("PresetColor", "Sky"), rgb(0.4, 0.8, 1.0), QT_TRANSLATE_NOOP("PresetColor", "Best for dark mode")},
            {"red", QT_TRANSLATE_NOOP("PresetColor", "Red"), SystemColors::red(), QT_TRANSLATE_NOOP("PresetColor", "High visibility")},
            {"orange", QT_TRANSLATE_NOOP("PresetColor", "Orange"), SystemColors::orange(), QT_TRANSLATE_NOOP("PresetColor", "Warm, visible")},
            {"blue", QT_TRANSLATE_NOOP("PresetColor", "Blue"), SystemColors::blue(), QT_TRANSLATE_NOOP("PresetColor", "Calming")},
            {"purple", QT_TRANSLATE_NOOP("PresetColor", "Purple"), SystemColors::purple(), QT_TRANSLATE_NOOP("PresetColor", "Soft contrast")},
            {"ruler-yellow", QT_TRANSLATE_NOOP("PresetColor", "Ruler"), rgb(1.0, 0.9, 0.2), QT_TRANSLATE_NOOP("PresetColor", "Classic ruler")},
            {"steel", QT_TRANSLATE_NOOP("PresetColor", "Steel"), rgb(0.75, 0.75, 0.78), QT_TRANSLATE_NOOP("PresetColor", "Subtle")},
            {"gray", QT_TRANSLATE_NOOP("PresetColor", "Gray"), SystemColors::gray(), QT_TRANSLATE_NOOP("PresetColor", "Minimal")},
        };
    }();
    return entries;
}

// ---------------------------------------------------------------------------
// AppSettings: reading the store

namespace {
// What a hand-edited file may hold where a number belongs: text, "nan", "inf",
// a list, an @Variant(...) QSettings cannot load. Anything that is not one
// finite number reads as absent (0), which the loading rules then replace by
// the default.
double readDouble(const QSettings &store, const QString &key, bool *damaged)
{
    if (!store.contains(key))
        return 0;
    const QVariant value = store.value(key);
    bool ok = false;
    const double number = value.toString().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(number)) {
        *damaged = true;
        return 0;
    }
    return number;
}

bool readBool(const QSettings &store, const QString &key, bool *damaged, bool fallback = false)
{
    if (!store.contains(key))
        return fallback;
    const QVariant value = store.value(key);
    const QString text = value.toString().trimmed().toLower();
    if (text == u"true" || text == u"yes")
        return true;
    if (text == u"false" || text == u"no")
        return false;
    bool ok = false;
    const double number = text.toDouble(&ok);
    if (!ok || std::isnan(number)) {
        *damaged = true;
        return fallback;
    }
    return number != 0;
}

QByteArray readBytes(const QSettings &store, const QString &key)
{
    const QVariant value = store.value(key);
    // An unquoted value is split at its commas by the INI reader; put the
    // pieces back together. (The reader also drops the double quotes of an
    // unquoted hand-written JSON object, which then does not decode: the
    // file counts as damaged and is backed up. Tovani writes the colour
    // quoted.)
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(',')).toUtf8();
    if (value.typeId() == QMetaType::QByteArray)
        return value.toByteArray();
    return value.toString().toUtf8();
}

// Each number setting: its range and, where one default serves every style,
// that default (the opacity and thickness defaults depend on the style).
struct NumberInfo
{
    double lower;
    double upper;
    double fallback;
};

NumberInfo numberInfo(AppSettings::Number number)
{
    switch (number) {
    case AppSettings::Number::opacity: return {0.1, 1.0, 0.6};
    case AppSettings::Number::thickness: return {1.0, 100.0, 4.0};
    case AppSettings::Number::bracketWidth: return {1.0, 40.0, 20.0};
    case AppSettings::Number::bracketOpacity: return {0.1, 0.8, 0.5};
    case AppSettings::Number::zoom: return {1.1, 3.0, 2.0};
    case AppSettings::Number::lineHeight: return {8.0, 80.0, 22.0};
    case AppSettings::Number::speechRate: return {-100.0, 100.0, 0.0};
    }
    return {1.0, 1.0, 1.0};
}

// A stored number as it is used: nothing (absent, not a number, or zero or
// negative where the range is above zero) gives the default, anything else
// is brought into range.
double storedNumber(AppSettings::Number number, double stored, double fallback)
{
    const NumberInfo info = numberInfo(number);
    if (!std::isfinite(stored) || (info.lower > 0 && !(stored > 0)))
        return fallback;
    return std::clamp(stored, info.lower, info.upper);
}

// A colour component: 0..1; NaN (not from JSON, but from a caller) is 0.
double unitComponent(double v) { return v > 0 ? std::min(v, 1.0) : 0.0; }

constexpr int saveDelayMs = 300;

// The switches whose default is not simply off: a file without them, or with
// a value that is not a truth value, gives these (and so does a reset).
constexpr bool defaultSnapToTextLines = true;
constexpr bool defaultFollowTextCursor = false;
constexpr bool defaultLineStepKeysEnabled = true;
} // namespace

AppSettings::Range AppSettings::range(Number number)
{
    const NumberInfo info = numberInfo(number);
    return {info.lower, info.upper};
}

template <typename T>
void AppSettings::assign(T &field, const T &value, void (AppSettings::*changedSignal)())
{
    if (field == value)
        return;
    field = value;
    m_dirty = true;
    m_saveTimer->start(saveDelayMs);
    Q_EMIT(this->*changedSignal)();
    Q_EMIT changed();
}

void AppSettings::setNumber(Number number, double &field, double value, void (AppSettings::*changedSignal)())
{
    if (!std::isfinite(value))
        return;
    const NumberInfo info = numberInfo(number);
    assign(field, std::clamp(value, info.lower, info.upper), changedSignal);
}

QString AppSettings::defaultFilePath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/tovani/tovani.conf");
}

AppSettings &AppSettings::shared()
{
    static AppSettings *instance = new AppSettings(defaultFilePath()); // lives until the process ends
    return *instance;
}

AppSettings::AppSettings(const QString &filePath, QObject *parent) : QObject(parent), m_filePath(filePath)
{
    load();
    m_saveTimer = new QTimer(this);
    m_saveTimer->setSingleShot(true);
    connect(m_saveTimer, &QTimer::timeout, this, &AppSettings::flush);
    // However the application ends (a quit command, SIGTERM), what is
    // waiting is written first.
    if (QCoreApplication *app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &AppSettings::flush);
}

AppSettings::~AppSettings() { flush(); }

bool AppSettings::flush()
{
    m_saveTimer->stop();
    if (!m_dirty)
        return true;
    return save();
}

void AppSettings::load()
{
    // Only a regular file is read: opening a FIFO put in its place would block
    // for ever, and a device or a folder is nothing we wrote. Such a path is
    // left as it is (saves refuse to replace it) and the defaults apply.
    struct stat info = {};
    if (::stat(QFile::encodeName(m_filePath).constData(), &info) == 0 && !S_ISREG(info.st_mode)) {
        qWarning("tovani: %s is not a regular file; using the default settings", qPrintable(m_filePath));
        QSettings defaults(QString(), QSettings::IniFormat);
        loadFrom(defaults);
        return;
    }
    QSettings store(m_filePath, QSettings::IniFormat);
    loadFrom(store);
}

void AppSettings::loadFrom(const QSettings &store)
{
    bool damaged = false;

    const QVariant styleValue = store.value(styleKey);
    m_currentStyle = LineStyles::fromRawValue(styleValue.toString()).value_or(LineStyle::underline);
    if (styleValue.isValid() && !LineStyles::fromRawValue(styleValue.toString()))
        damaged = true;

    const QByteArray colorBytes = readBytes(store, colorKey);
    const auto color = CodableColor::decode(colorBytes);
    if (!color && store.contains(colorKey))
        damaged = true;
    m_currentColor = color.value_or(CodableColor::amber());
    for (double *component : {&m_currentColor.red, &m_currentColor.green, &m_currentColor.blue, &m_currentColor.alpha})
        *component = unitComponent(*component);

    m_customOpacity = storedNumber(Number::opacity, readDouble(store, opacityKey, &damaged),
                                   LineStyles::defaultOpacity(m_currentStyle));
    m_customThickness = storedNumber(Number::thickness, readDouble(store, thicknessKey, &damaged),
                                     LineStyles::defaultThickness(m_currentStyle));
    m_launchAtLogin = readBool(store, launchKey, &damaged);
    m_verticalGuidesEnabled = readBool(store, verticalEnabledKey, &damaged);
    m_verticalGuideMargin = storedNumber(Number::bracketWidth, readDouble(store, verticalMarginKey, &damaged), numberInfo(Number::bracketWidth).fallback);
    m_verticalGuideOpacity = storedNumber(Number::bracketOpacity, readDouble(store, verticalOpacityKey, &damaged), numberInfo(Number::bracketOpacity).fallback);
    m_magnifierEnabled = readBool(store, magnifierEnabledKey, &damaged);
    m_magnifierZoom = storedNumber(Number::zoom, readDouble(store, magnifierZoomKey, &damaged), numberInfo(Number::zoom).fallback);
    m_readingStripLineHeight = storedNumber(Number::lineHeight, readDouble(store, readingStripLineHeightKey, &damaged), numberInfo(Number::lineHeight).fallback);
    m_globalHotkeysEnabled = readBool(store, globalHotkeysEnabledKey, &damaged);
    m_snapToTextLines = readBool(store, snapToTextLinesKey, &damaged, defaultSnapToTextLines);
    m_followTextCursor = readBool(store, followTextCursorKey, &damaged, defaultFollowTextCursor);
    m_lineStepKeysEnabled = readBool(store, lineStepKeysEnabledKey, &damaged, defaultLineStepKeysEnabled);
    m_speechRate = storedNumber(Number::speechRate, readDouble(store, speechRateKey, &damaged),
                                numberInfo(Number::speechRate).fallback);
    m_speechVoice = store.value(speechVoiceKey).toString().trimmed();

    // QSettings parses the file at the first lookup, so its status is only
    // known now. A file that holds something but none of our keys (random
    // bytes, another program's file) is one we could not read either.
    const QString keys[] = {styleKey, colorKey, opacityKey, thicknessKey, launchKey, verticalEnabledKey,
                            verticalMarginKey, verticalOpacityKey, magnifierEnabledKey, magnifierZoomKey,
                            readingStripLineHeightKey, globalHotkeysEnabledKey, snapToTextLinesKey,
                            followTextCursorKey, lineStepKeysEnabledKey, speechRateKey, speechVoiceKey};
    const bool noKey = std::none_of(std::begin(keys), std::end(keys),
                                    [&store](const QString &key) { return store.contains(key); });
    if (store.status() == QSettings::FormatError || (noKey && QFileInfo(m_filePath).size() > 0))
        damaged = true;

    // A hand-edited value we could not read is replaced by its default at the
    // next save; keep the file as it was beside it so nothing typed is lost.
    if (damaged && QFileInfo(m_filePath).isFile()) {
        const QString backup = m_filePath + QStringLiteral(".bak");
        QFile::remove(backup);
        QFile::copy(m_filePath, backup);
    }
}

// ---------------------------------------------------------------------------
// AppSettings: writing

void AppSettings::setCurrentStyle(LineStyle v) { assign(m_currentStyle, v, &AppSettings::currentStyleChanged); }
void AppSettings::setCurrentColor(const CodableColor &v)
{
    if (std::isnan(v.red) || std::isnan(v.green) || std::isnan(v.blue) || std::isnan(v.alpha))
        return;
    const CodableColor clamped{unitComponent(v.red), unitComponent(v.green), unitComponent(v.blue),
                               unitComponent(v.alpha)};
    assign(m_currentColor, clamped, &AppSettings::currentColorChanged);
}
void AppSettings::setCustomOpacity(double v)
{
    setNumber(Number::opacity, m_customOpacity, v, &AppSettings::customOpacityChanged);
}
void AppSettings::setCustomThickness(double v)
{
    setNumber(Number::thickness, m_customThickness, v, &AppSettings::customThicknessChanged);
}
void AppSettings::setVerticalGuidesEnabled(bool v)
{
    assign(m_verticalGuidesEnabled, v, &AppSettings::verticalGuidesEnabledChanged);
}
void AppSettings::setVerticalGuideMargin(double v)
{
    setNumber(Number::bracketWidth, m_verticalGuideMargin, v, &AppSettings::verticalGuideMarginChanged);
}
void AppSettings::setVerticalGuideOpacity(double v)
{
    setNumber(Number::bracketOpacity, m_verticalGuideOpacity, v, &AppSettings::verticalGuideOpacityChanged);
}
void AppSettings::setMagnifierEnabled(bool v) { assign(m_magnifierEnabled, v, &AppSettings::magnifierEnabledChanged); }
void AppSettings::setMagnifierZoom(double v)
{
    setNumber(Number::zoom, m_magnifierZoom, v, &AppSettings::magnifierZoomChanged);
}
void AppSettings::setReadingStripLineHeight(double v)
{
    setNumber(Number::lineHeight, m_readingStripLineHeight, v, &AppSettings::readingStripLineHeightChanged);
}
void AppSettings::setLaunchAtLogin(bool v) { assign(m_launchAtLogin, v, &AppSettings::launchAtLoginChanged); }
void AppSettings::setGlobalHotkeysEnabled(bool v)
{
    assign(m_globalHotkeysEnabled, v, &AppSettings::globalHotkeysEnabledChanged);
}
void AppSettings::setSnapToTextLines(bool v) { assign(m_snapToTextLines, v, &AppSettings::snapToTextLinesChanged); }
void AppSettings::setFollowTextCursor(bool v)
{
    assign(m_followTextCursor, v, &AppSettings::followTextCursorChanged);
}
void AppSettings::setLineStepKeysEnabled(bool v)
{
    assign(m_lineStepKeysEnabled, v, &AppSettings::lineStepKeysEnabledChanged);
}
void AppSettings::setSpeechRate(double v)
{
    setNumber(Number::speechRate, m_speechRate, std::round(v), &AppSettings::speechRateChanged);
}
void AppSettings::setSpeechVoice(const QString &v)
{
    assign(m_speechVoice, v.trimmed(), &AppSettings::speechVoiceChanged);
}

namespace {
// One value as the INI reader of QSettings reads it back.
QByteArray iniNumber(double value) { return QByteArray::number(value, 'g', QLocale::FloatingPointShortest); }
QByteArray iniBool(bool value) { return value ? QByteArrayLiteral("true") : QByteArrayLiteral("false"); }
// In double quotes, with quotes and backslashes escaped: a voice's name may
// hold commas, which the INI reader would otherwise split into a list.
QByteArray iniString(const QString &value)
{
    QByteArray text = value.toUtf8();
    text.replace('\\', "\\\\");
    text.replace('"', "\\\"");
    return '"' + text + '"';
}
QByteArray iniByteArray(const QByteArray &bytes)
{
    // "@ByteArray(...)" in double quotes, with quotes and backslashes escaped.
    QByteArray text = "@ByteArray(" + bytes + ")";
    text.replace('\\', "\\\\");
    text.replace('"', "\\\"");
    return '"' + text + '"';
}
} // namespace

namespace {
// Why the settings file at `finalPath` must not be replaced, or empty.
QString replaceRefusal(const QString &finalPath)
{
    struct stat existing = {};
    const QByteArray target = QFile::encodeName(finalPath);
    if (::stat(target.constData(), &existing) != 0)
        return QString();
    if (!S_ISREG(existing.st_mode))
        return QCoreApplication::translate("AppSettings", "%1 is not a regular file").arg(finalPath);
    // A file the user made read-only stays as it is.
    if (::access(target.constData(), W_OK) != 0)
        return QCoreApplication::translate("AppSettings", "%1 is read-only").arg(finalPath);
    return QString();
}
} // namespace

bool AppSettings::save()
{
    const QString error = writeFile();
    if (error.isEmpty()) {
        m_saveError.clear();
        m_dirty = false;
        return true;
    }
    ++m_failedSaves;
    const bool first = m_saveError.isEmpty();
    m_saveError = error;
    qWarning("tovani: settings not saved: %s", qPrintable(error));
    // Once per run of failures, not once per slider step; the next change
    // tries again, and a success ends the run.
    if (first)
        Q_EMIT saveFailed(error);
    return false;
}

QString AppSettings::writeFile()
{
    // The file is written whole under a temporary name beside it, synced to
    // disk and renamed over the old one. QSettings is only used to read: its
    // writer takes a lock file, and a lock file left empty by a process
    // killed while saving is only given up as stale after 30 seconds, during
    // which every save would hang the GUI thread.
    QFileInfo target(m_filePath);
    if (target.isSymLink())
        target = QFileInfo(target.symLinkTarget());
    const QString finalPath = target.absoluteFilePath();
    const QDir dir = target.absoluteDir();
    if (!QDir().mkpath(dir.absolutePath()))
        return QCoreApplication::translate("AppSettings", "cannot create the folder %1").arg(dir.absolutePath());

    // Always encodable: every component is kept within 0..1.
    const QByteArray color = iniByteArray(m_currentColor.encode().value_or(QByteArray()));

    QByteArray text = "[General]\n";
    const auto add = [&text](const QString &key, const QByteArray &value) {
        text += key.toLatin1() + '=' + value + '\n';
    };
    add(styleKey, LineStyles::rawValue(m_currentStyle).toUtf8());
    add(colorKey, color);
    add(opacityKey, iniNumber(m_customOpacity));
    add(thicknessKey, iniNumber(m_customThickness));
    add(launchKey, iniBool(m_launchAtLogin));
    add(verticalEnabledKey, iniBool(m_verticalGuidesEnabled));
    add(verticalMarginKey, iniNumber(m_verticalGuideMargin));
    add(verticalOpacityKey, iniNumber(m_verticalGuideOpacity));
    add(magnifierEnabledKey, iniBool(m_magnifierEnabled));
    add(magnifierZoomKey, iniNumber(m_magnifierZoom));
    add(readingStripLineHeightKey, iniNumber(m_readingStripLineHeight));
    add(globalHotkeysEnabledKey, iniBool(m_globalHotkeysEnabled));
    add(snapToTextLinesKey, iniBool(m_snapToTextLines));
    add(followTextCursorKey, iniBool(m_followTextCursor));
    add(lineStepKeysEnabledKey, iniBool(m_lineStepKeysEnabled));
    add(speechRateKey, iniNumber(m_speechRate));
    add(speechVoiceKey, iniString(m_speechVoice));

    // Within one process QSettings may serve a later load from its parse of
    // the previous file if the new one has the same size and modification
    // millisecond; only a test that saves and reloads in a tight loop could
    // meet that, the application loads once at start.
    if (QString refusal = replaceRefusal(finalPath); !refusal.isEmpty())
        return refusal;
    return platform::replaceFileContents(finalPath, text);
}

void AppSettings::applyStyle(LineStyle style)
{
    setCurrentStyle(style);
    setCustomOpacity(LineStyles::defaultOpacity(style));
    setCustomThickness(LineStyles::defaultThickness(style));
}

void AppSettings::resetToDefaults()
{
    setCurrentStyle(LineStyle::highlightBar);
    setCurrentColor(CodableColor::amber());
    setCustomOpacity(LineStyles::defaultOpacity(m_currentStyle));
    setCustomThickness(LineStyles::defaultThickness(m_currentStyle));
    setVerticalGuidesEnabled(false);
    setVerticalGuideMargin(20.0);
    setVerticalGuideOpacity(0.5);
    setMagnifierEnabled(false);
    setMagnifierZoom(2.0);
    setReadingStripLineHeight(22.0);
    setGlobalHotkeysEnabled(false);
    setSnapToTextLines(defaultSnapToTextLines);
    setFollowTextCursor(defaultFollowTextCursor);
    setLineStepKeysEnabled(defaultLineStepKeysEnabled);
    setSpeechRate(numberInfo(Number::speechRate).fallback);
    setSpeechVoice(QString());
}
