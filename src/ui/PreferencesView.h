#pragma once

// The preferences window: every user setting as a control, written straight
// into the settings object (so the guide on screen changes while a slider is
// dragged) and saved at once. A header, then a scrolling column of eight
// sections: Style, Color, Appearance, Vertical Brackets, Magnifier, Text
// Lines, Read Aloud, General, Preview. Detail blocks of switched-off features fold away.

#include "settings/Settings.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class ColorButton;
class ColorWell;
class FoldingBlock;
class PreviewPanel;
class QComboBox;
class QLabel;
class QMessageBox;
class QPushButton;
class SliderBlock;
class StyleButton;
class ToggleSwitch;

namespace platform {
class Platform;
}

// The live preview at the bottom: the rounded panel with the mock page and the
// guide as the overlay draws it (preview::previewSection).
class PreviewPanel : public QWidget
{
    Q_OBJECT
public:
    explicit PreviewPanel(const AppSettings &settings, QWidget *parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const AppSettings &m_settings;
};

class PreferencesView : public QWidget
{
    Q_OBJECT
public:
    // How the launch-at-login switch reads and changes the login item. The
    // default asks the platform's (through LaunchAtLogin) afresh on every
    // read. setEnabled returns why a change was refused, or nothing.
    struct LoginSwitch
    {
        std::function<bool()> isEnabled;
        std::function<std::optional<QString>(bool)> setEnabled;
    };

    // The desktop's hint for binding keys and whether the magnifier can work
    // come from `platform`.
    PreferencesView(platform::Platform &platform, AppSettings &settings, QWidget *parent = nullptr);
    PreferencesView(platform::Platform &platform, AppSettings &settings, LoginSwitch login, QWidget *parent = nullptr);

    AppSettings &settings() const { return m_settings; }

    // The controls, for the window's owner and for tests.
    StyleButton *styleButton(LineStyle style) const;
    const QList<ColorButton *> &colorButtons() const { return m_swatches; }
    ColorWell *colorWell() const { return m_well; }
    SliderBlock *opacityBlock() const { return m_opacity; }
    SliderBlock *thicknessBlock() const { return m_thickness; }
    SliderBlock *lineHeightBlock() const { return m_lineHeight; }
    SliderBlock *bracketWidthBlock() const { return m_bracketWidth; }
    SliderBlock *bracketOpacityBlock() const { return m_bracketOpacity; }
    SliderBlock *zoomBlock() const { return m_zoom; }
    ToggleSwitch *bracketSwitch() const { return m_bracketSwitch; }
    ToggleSwitch *magnifierSwitch() const { return m_magnifierSwitch; }
    // Why the magnifier can show nothing in this session, in its section
    // (hidden when it works); known from the first showing on.
    QLabel *magnifierNotice() const { return m_magnifierNotice; }
    ToggleSwitch *loginSwitch() const { return m_loginSwitch; }
    // Why the last change of the login switch was refused, under the switch
    // (hidden after a change that worked, and when the window shows again).
    QLabel *loginNotice() const { return m_loginNotice; }
    ToggleSwitch *shortcutSwitch() const { return m_shortcutSwitch; }
    ToggleSwitch *snapSwitch() const { return m_snapSwitch; }
    ToggleSwitch *caretSwitch() const { return m_caretSwitch; }
    ToggleSwitch *lineKeysSwitch() const { return m_lineKeysSwitch; }
    // What the text-line switches do as they are set now.
    QLabel *textLinesExplanation() const { return m_linesExplanation; }
    // "Restart Qt applications ...", shown while snapping or following is on.
    QWidget *qtRestartNotice() const { return m_qtRestartNotice; }
    SliderBlock *speechRateBlock() const { return m_speechRate; }
    QComboBox *voiceBox() const { return m_voiceBox; }
    QLabel *readAloudExplanation() const { return m_readAloudExplanation; }
    // Why nothing can be read aloud (speech-dispatcher missing or not
    // answering), in the Read Aloud section; hidden when empty.
    QLabel *speechNotice() const { return m_speechNotice; }
    void setSpeechProblem(const QString &text);
    // The voices speech-dispatcher offers: name and language.
    void setVoices(const QList<std::pair<QString, QString>> &voices);
    QPushButton *resetButton() const { return m_resetButton; }
    FoldingBlock *lineHeightFold() const { return m_lineHeightFold; }
    FoldingBlock *bracketFold() const { return m_bracketFold; }
    FoldingBlock *magnifierFold() const { return m_magnifierFold; }
    PreviewPanel *previewPanel() const { return m_preview; }
    // The reset confirmation while it is shown, else null.
    QMessageBox *resetConfirmation() const;
    // A line of information above the sections (hidden when empty).
    void setNotice(const QString &text);

    // What the desktop bound to the hot keys of a command, by its verb
    // ("toggle", "style"), for people ("Ctrl+Alt+G"); empty where the keys
    // asked for are the keys taken.
    using BoundKeys = std::function<QString(const QString &verb)>;
    // Shows the shortcuts as the desktop bound them from now on.
    void setBoundKeys(BoundKeys boundKeys);
    // Where the desktop binds keys to "tovani <command>" when Tovani can't
    // take global hot keys here, under the shortcut switch (hidden when
    // there is nothing to say).
    QLabel *shortcutHint() const { return m_shortcutHint; }

    // The toggle shortcut in the desktop's notation ("Ctrl+Shift+R").
    static QString toggleShortcutText(const BoundKeys &bound = {});
    // The caption of the global-shortcut switch ("Ctrl+1-5, Ctrl+Shift+R, ...").
    static QString shortcutListText(const BoundKeys &bound = {});

public Q_SLOTS:
    // Re-reads every setting (and the login item) into the controls.
    void refresh();
    // Shows the "Reset to Defaults?" confirmation (window-modal, non-blocking).
    void confirmReset();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void build();
    QWidget *buildHeader();
    QWidget *buildStyleSection();
    QWidget *buildColorSection();
    QWidget *buildAppearanceSection();
    QWidget *buildBracketSection();
    QWidget *buildMagnifierSection();
    QWidget *buildTextLinesSection();
    QWidget *buildReadAloudSection();
    void showVoices();
    QWidget *buildGeneralSection();
    QWidget *buildPreviewSection();

    void showShortcutTexts();

    platform::Platform &m_platform;
    AppSettings &m_settings;
    LoginSwitch m_login;
    BoundKeys m_boundKeys;
    bool m_refreshedOnce = false;
    bool m_captureChecked = false;
    CodableColor m_colorBeforeChooser;

    std::array<StyleButton *, LineStyles::count> m_styleButtons{};
    QList<ColorButton *> m_swatches;
    ColorWell *m_well = nullptr;
    SliderBlock *m_opacity = nullptr;
    SliderBlock *m_thickness = nullptr;
    SliderBlock *m_lineHeight = nullptr;
    SliderBlock *m_bracketWidth = nullptr;
    SliderBlock *m_bracketOpacity = nullptr;
    SliderBlock *m_zoom = nullptr;
    ToggleSwitch *m_bracketSwitch = nullptr;
    ToggleSwitch *m_magnifierSwitch = nullptr;
    QLabel *m_magnifierNotice = nullptr;
    QWidget *m_magnifierNoticeBox = nullptr;
    ToggleSwitch *m_loginSwitch = nullptr;
    QLabel *m_loginNotice = nullptr;
    QWidget *m_loginNoticeBox = nullptr;
    ToggleSwitch *m_shortcutSwitch = nullptr;
    QLabel *m_shortcutCaption = nullptr;
    QLabel *m_shortcutHint = nullptr;
    QLabel *m_lineKeysCaption = nullptr;
    QWidget *m_toggleBadge = nullptr;
    ToggleSwitch *m_snapSwitch = nullptr;
    ToggleSwitch *m_caretSwitch = nullptr;
    ToggleSwitch *m_lineKeysSwitch = nullptr;
    QLabel *m_linesExplanation = nullptr;
    QWidget *m_qtRestartNotice = nullptr;
    SliderBlock *m_speechRate = nullptr;
    QComboBox *m_voiceBox = nullptr;
    QLabel *m_readAloudExplanation = nullptr;
    QLabel *m_speechNotice = nullptr;
    QWidget *m_speechNoticeBox = nullptr;
    QList<std::pair<QString, QString>> m_voices;
    QPushButton *m_resetButton = nullptr;
    FoldingBlock *m_lineHeightFold = nullptr;
    FoldingBlock *m_bracketFold = nullptr;
    FoldingBlock *m_magnifierFold = nullptr;
    PreviewPanel *m_preview = nullptr;
    QLabel *m_notice = nullptr;
    QPointer<QMessageBox> m_resetBox;
};

// The window around the view, titled "Tovani Preferences": 480 x 720 at
// first, wider when large text needs it, and resizable. Closing only hides
// it, so the owner can show the same window again; Escape closes it.
class PreferencesWindow : public QWidget
{
    Q_OBJECT
public:
    PreferencesWindow(platform::Platform &platform, AppSettings &settings, QWidget *parent = nullptr);
    PreferencesWindow(platform::Platform &platform, AppSettings &settings, PreferencesView::LoginSwitch login,
                      QWidget *parent = nullptr);
    PreferencesView *view() const { return m_view; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    PreferencesView *m_view;
};

// Builds the preferences window (not shown yet).
QWidget *createPreferencesWindow(platform::Platform &platform, AppSettings &settings);
// Shows `text` as a notice at the top of a window made by
// createPreferencesWindow (for example when no system tray is available).
void setPreferencesNotice(QWidget *preferencesWindow, const QString &text);
// Lets a window made by createPreferencesWindow show the shortcuts as the
// desktop bound them (see PreferencesView::setBoundKeys).
void setPreferencesBoundKeys(QWidget *preferencesWindow, PreferencesView::BoundKeys boundKeys);
// Lets a window made by createPreferencesWindow show speech-dispatcher's
// voices, or why it can't be reached (see PreferencesView::setVoices).
void setPreferencesVoices(QWidget *preferencesWindow, const QList<std::pair<QString, QString>> &voices);
void setPreferencesSpeechProblem(QWidget *preferencesWindow, const QString &text);
