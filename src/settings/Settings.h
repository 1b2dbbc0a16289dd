#pragma once

// The vocabulary of the reading guide (styles, palette, stored colour) and the
// one shared settings object that loads, publishes and saves every setting.

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <optional>

// ---------------------------------------------------------------------------
// LineStyle

enum class LineStyle { underline = 0, highlightBar = 1, focusWindow = 2, ruler = 3, readingStrip = 4 };

namespace LineStyles {
inline constexpr int count = 5;
inline constexpr std::array<LineStyle, count> allCases{LineStyle::underline, LineStyle::highlightBar,
                                                       LineStyle::focusWindow, LineStyle::ruler,
                                                       LineStyle::readingStrip};
// The stored form, which is also the English name ("Highlight Bar").
QString rawValue(LineStyle style);
// The name shown to the person, in their language.
QString displayName(LineStyle style);
// Exact, case-sensitive match against the five display names.
std::optional<LineStyle> fromRawValue(const QString &text);
// Freedesktop-ish symbol name shown beside the style in the HUD ("ruler").
QString hudSymbolName(LineStyle style);
inline int index(LineStyle style) { return static_cast<int>(style); }
// The style at index 0..4, or nothing for any other index.
std::optional<LineStyle> fromIndex(int index);
// Defaults loaded by applyStyle() and used when nothing is stored.
double defaultOpacity(LineStyle style);
double defaultThickness(LineStyle style);
} // namespace LineStyles

// ---------------------------------------------------------------------------
// Colours

// Fixed sRGB values standing in for the desktop's named system colours.
namespace SystemColors {
QColor red();    // also the ruler's red edge
QColor orange();
QColor blue();
QColor purple();
QColor cyan();
QColor mint();
QColor gray();
QColor standardRed(); // pure red, used when a colour has no RGB form
} // namespace SystemColors

struct CodableColor
{
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    // From a Qt colour: converted to RGB (device RGB is taken as sRGB); a colour
    // with no RGB form (invalid) becomes the standard red.
    static CodableColor fromColor(const QColor &color);
    static CodableColor amber(); // the default guide colour

    // Drawable colour; components are clamped to 0..1 and NaN counts as 0, so a
    // hand-edited value can never make an invalid QColor.
    QColor toColor() const;
    // The same colour with its own alpha multiplied by opacity.
    QColor toColor(double opacity) const;

    // Compact JSON, members in the order red, green, blue, alpha. Nothing when a
    // component is not finite (JSON cannot hold it).
    std::optional<QByteArray> encode() const;
    // Accepts members in any order and ignores unknown ones; all four must be
    // present and numeric.
    static std::optional<CodableColor> decode(const QByteArray &json);

    bool operator==(const CodableColor &other) const = default;
};

struct PresetColor
{
    QString id;
    QString name;
    QColor color;
    QString hint;

    // The 15 swatches offered in the preferences, in order.
    static const QList<PresetColor> &palette();
};

// ---------------------------------------------------------------------------
// AppSettings

// Every user setting, loaded at creation from
// $XDG_CONFIG_HOME/tovani/tovani.conf (INI, group General), and written back
// by itself about 300 ms after the last change (and at once by flush(), on quit
// and when destroyed).
//
// Each number has one range and one default, declared in Settings.cpp: a
// value out of range is clamped, in the file as in every setter; one that is
// not a number (NaN, infinity) is refused: a setter keeps the old value, the
// file gives the default.
//
// Change notification: a setter that really changes its value emits the
// matching signal (currentStyleChanged(), ...) and then changed(); one that
// changes nothing emits nothing.
class QSettings;

class AppSettings : public QObject
{
    Q_OBJECT
public:
    // Keys of the stored settings file.
    static inline const QString styleKey = QStringLiteral("currentStyle");
    static inline const QString colorKey = QStringLiteral("currentColor");
    static inline const QString opacityKey = QStringLiteral("customOpacity");
    static inline const QString thicknessKey = QStringLiteral("customThickness");
    static inline const QString launchKey = QStringLiteral("launchAtLogin");
    static inline const QString verticalEnabledKey = QStringLiteral("verticalGuidesEnabled");
    static inline const QString verticalMarginKey = QStringLiteral("verticalGuideMargin");
    static inline const QString verticalOpacityKey = QStringLiteral("verticalGuideOpacity");
    static inline const QString magnifierEnabledKey = QStringLiteral("magnifierEnabled");
    static inline const QString magnifierZoomKey = QStringLiteral("magnifierZoom");
    static inline const QString readingStripLineHeightKey = QStringLiteral("readingStripLineHeight");
    static inline const QString globalHotkeysEnabledKey = QStringLiteral("globalHotkeysEnabled");
    static inline const QString snapToTextLinesKey = QStringLiteral("snapToTextLines");
    static inline const QString followTextCursorKey = QStringLiteral("followTextCursor");
    static inline const QString lineStepKeysEnabledKey = QStringLiteral("lineStepKeysEnabled");
    static inline const QString speechRateKey = QStringLiteral("speechRate");
    static inline const QString speechVoiceKey = QStringLiteral("speechVoice");

    // The process-wide instance, created on first use from the default file.
    static AppSettings &shared();
    // $XDG_CONFIG_HOME/tovani/tovani.conf, or ~/.config/tovani/tovani.conf.
    static QString defaultFilePath();

    // Loads from the given file (tests use their own files).
    explicit AppSettings(const QString &filePath, QObject *parent = nullptr);
    ~AppSettings() override;

    QString filePath() const { return m_filePath; }

    LineStyle currentStyle() const { return m_currentStyle; }
    CodableColor currentColor() const { return m_currentColor; }
    double customOpacity() const { return m_customOpacity; }
    double customThickness() const { return m_customThickness; }
    bool verticalGuidesEnabled() const { return m_verticalGuidesEnabled; }
    double verticalGuideMargin() const { return m_verticalGuideMargin; }
    double verticalGuideOpacity() const { return m_verticalGuideOpacity; }
    bool magnifierEnabled() const { return m_magnifierEnabled; }
    double magnifierZoom() const { return m_magnifierZoom; }
    double readingStripLineHeight() const { return m_readingStripLineHeight; }
    bool launchAtLogin() const { return m_launchAtLogin; }
    bool globalHotkeysEnabled() const { return m_globalHotkeysEnabled; }
    // The guide moves onto the line of text the pointer rests on, where the
    // application reports its text.
    bool snapToTextLines() const { return m_snapToTextLines; }
    // The guide goes to the text cursor's line when the cursor moves.
    bool followTextCursor() const { return m_followTextCursor; }
    // Among the global shortcuts (while those are on): the line-step and lock
    // keys, which other applications use too (Ctrl+Shift+Up selects a
    // paragraph in many editors).
    bool lineStepKeysEnabled() const { return m_lineStepKeysEnabled; }
    // Reading aloud: speech-dispatcher's rate, -100 (slowest) to 100, 0 its
    // usual speed; and its voice by name, empty for its default voice.
    double speechRate() const { return m_speechRate; }
    QString speechVoice() const { return m_speechVoice; }

    void setCurrentStyle(LineStyle value);
    void setCurrentColor(const CodableColor &value);
    void setCustomOpacity(double value);
    void setCustomThickness(double value);
    void setVerticalGuidesEnabled(bool value);
    void setVerticalGuideMargin(double value);
    void setVerticalGuideOpacity(double value);
    void setMagnifierEnabled(bool value);
    void setMagnifierZoom(double value);
    void setReadingStripLineHeight(double value);
    void setLaunchAtLogin(bool value);
    void setGlobalHotkeysEnabled(bool value);
    void setSnapToTextLines(bool value);
    void setFollowTextCursor(bool value);
    void setLineStepKeysEnabled(bool value);
    void setSpeechRate(double value);
    void setSpeechVoice(const QString &value);

    // The range a number setting is kept in.
    enum class Number { opacity, thickness, bracketWidth, bracketOpacity, zoom, lineHeight, speechRate };
    struct Range
    {
        double lower;
        double upper;
    };
    static Range range(Number number);

    // Writes now any change not written yet (a command from another launch
    // waits for it, so it can answer whether its change was kept). The file
    // is replaced atomically: a crash leaves the old file or the new one.
    // Returns false when the file could not be written (a full disk, a
    // read-only file or folder, something other than a regular file in its
    // place): the old file, if any, is then untouched, and the change stays
    // waiting for the next try.
    bool flush();
    // Whether a change waits to be written.
    bool hasUnsavedChanges() const { return m_dirty; }
    // Why the last save failed, or empty when it succeeded (or none was tried).
    QString saveError() const { return m_saveError; }
    // Saves that failed since this object was made; a command compares the
    // count before and after to tell whether its change reached the disk.
    int failedSaves() const { return m_failedSaves; }
    // Style plus that style's default opacity and thickness.
    void applyStyle(LineStyle style);
    // Everything but launch at login back to the reset values.
    void resetToDefaults();

Q_SIGNALS:
    void changed();
    void currentStyleChanged();
    void currentColorChanged();
    void customOpacityChanged();
    void customThicknessChanged();
    void verticalGuidesEnabledChanged();
    void verticalGuideMarginChanged();
    void verticalGuideOpacityChanged();
    void magnifierEnabledChanged();
    void magnifierZoomChanged();
    void readingStripLineHeightChanged();
    void launchAtLoginChanged();
    void globalHotkeysEnabledChanged();
    void snapToTextLinesChanged();
    void followTextCursorChanged();
    void lineStepKeysEnabledChanged();
    void speechRateChanged();
    void speechVoiceChanged();
    // A save failed after the previous one had succeeded: the change lives
    // only in memory until a later save gets through.
    void saveFailed(const QString &reason);

private:
    template <typename T>
    void assign(T &field, const T &value, void (AppSettings::*changedSignal)());
    void setNumber(Number number, double &field, double value, void (AppSettings::*changedSignal)());
    bool save();
    void load();
    void loadFrom(const QSettings &store);
    QString writeFile();

    QString m_filePath;
    LineStyle m_currentStyle = LineStyle::underline;
    CodableColor m_currentColor;
    double m_customOpacity = 0.6;
    double m_customThickness = 4.0;
    bool m_verticalGuidesEnabled = false;
    double m_verticalGuideMargin = 20.0;
    double m_verticalGuideOpacity = 0.5;
    bool m_magnifierEnabled = false;
    double m_magnifierZoom = 2.0;
    double m_readingStripLineHeight = 22.0;
    bool m_launchAtLogin = false;
    bool m_globalHotkeysEnabled = false;
    bool m_snapToTextLines = true;
    bool m_followTextCursor = false;
    bool m_lineStepKeysEnabled = true;
    double m_speechRate = 0;
    QString m_speechVoice;
    QString m_saveError;
    int m_failedSaves = 0;
    bool m_dirty = false;
    QTimer *m_saveTimer = nullptr;
};
