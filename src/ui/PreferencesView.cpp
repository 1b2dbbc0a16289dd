#include "ui/PreferencesView.h"

#include "magnifier/MagnifierWindow.h"
#include "platform/Platform.h"
#include "symbols/Symbols.h"
#include "ui/AppIcon.h"
#include "ui/ColorButton.h"
#include "ui/Controls.h"
#include "ui/LaunchAtLogin.h"
#include "ui/Preview.h"
#include "ui/SliderBlock.h"
#include "ui/StyleButton.h"
#include "ui/Theme.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

using N = AppSettings::Number;

namespace {

constexpr int outerMargin = 20; // around the header contents and the section column
constexpr int sectionSpacing = 20;
constexpr int blockSpacing = 16; // between the blocks of a section
constexpr int titleSpacing = 12; // under the Style, Color and Preview titles

QLabel *label(const QString &text, theme::TextStyle style, bool secondary = false)
{
    auto *l = new QLabel(text);
    l->setFont(theme::font(style));
    if (secondary) theme::setSecondaryText(l);
    return l;
}

QLabel *sectionTitle(const QString &text)
{
    return label(text, theme::TextStyle::headline);
}

QVBoxLayout *column(QWidget *owner, int spacing)
{
    auto *layout = new QVBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

// The shortcut badge of the header: the keys in a monospaced caption font on a
// faint rounded plate.
class KeyBadge : public QWidget
{
public:
    explicit KeyBadge(const QString &text, QWidget *parent = nullptr) : QWidget(parent), m_text(text)
    {
        QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        f.setPointSizeF(theme::font(theme::TextStyle::caption).pointSizeF());
        setFont(f);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        setAccessibleName(text);
    }
    void setText(const QString &text)
    {
        if (text == m_text) return;
        m_text = text;
        setAccessibleName(text);
        updateGeometry();
        update();
    }
    QSize sizeHint() const override
    {
        const QFontMetrics fm(font());
        return {fm.horizontalAdvance(m_text) + 16, fm.height() + 8};
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(Qt::NoPen);
        p.setBrush(theme::withOpacity(theme::secondary(palette()), 0.2));
        p.drawRoundedRect(QRectF(rect()), 4, 4);
        p.setPen(theme::primary(palette()));
        p.drawText(rect(), Qt::AlignCenter, m_text);
    }

private:
    QString m_text;
};

// A drawn glyph as a widget.
class SymbolView : public QWidget
{
public:
    SymbolView(symbols::Symbol symbol, const QColor &color, int size, QWidget *parent = nullptr)
        : QWidget(parent), m_symbol(symbol), m_color(color)
    {
        setFixedSize(size, size);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        symbols::paint(p, rect(), m_symbol, m_color);
    }

private:
    symbols::Symbol m_symbol;
    QColor m_color;
};

// An information line on a faint blue rounded plate.
class NoticeBox : public QWidget
{
public:
    explicit NoticeBox(const QString &text, QWidget *parent = nullptr) : QWidget(parent)
    {
        auto *row = new QHBoxLayout(this);
        row->setContentsMargins(10, 10, 10, 10);
        row->setSpacing(8);
        m_text = label(text, theme::TextStyle::caption, true);
        const int glyph = QFontMetrics(m_text->font()).height();
        row->addWidget(new SymbolView(symbols::Symbol::infoCircleFill, theme::systemBlue(), glyph), 0,
                       Qt::AlignVCenter);
        row->addWidget(m_text, 1, Qt::AlignVCenter);
    }
    QLabel *text() const { return m_text; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(Qt::NoPen);
        p.setBrush(theme::withOpacity(theme::systemBlue(), 0.1));
        p.drawRoundedRect(QRectF(rect()), 8, 8);
    }

private:
    QLabel *m_text;
};

// Title and caption on the left, a control on the right.
QWidget *controlRow(const QString &title, const QString &caption, bool headline, QWidget *control)
{
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *text = new QVBoxLayout;
    text->setSpacing(4);
    QLabel *titleLabel = label(title, headline ? theme::TextStyle::headline : theme::TextStyle::body);
    QLabel *captionLabel = label(caption, theme::TextStyle::caption, true);
    captionLabel->setObjectName(QStringLiteral("caption"));
    titleLabel->setWordWrap(true); // large text and long translations
    captionLabel->setWordWrap(true);
    text->addWidget(titleLabel);
    text->addWidget(captionLabel);
    layout->addLayout(text, 1); // the caption wraps only where the row is too narrow
    layout->addWidget(control, 0, Qt::AlignVCenter);
    control->setAccessibleName(title);
    control->setAccessibleDescription(caption);
    titleLabel->setBuddy(control);
    return row;
}

// A radio group takes the Tab focus at its checked button, or at its first
// when none is checked; the arrow keys move within it.
template<typename Buttons>
void keepTabStopAtChecked(const Buttons &group)
{
    const auto checked = std::find_if(group.begin(), group.end(), [](auto *b) { return b->isChecked(); });
    auto *stop = checked != group.end() ? *checked : *group.begin();
    for (auto *b : group)
        b->setFocusPolicy(b == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

bool swatchMatches(const CodableColor &swatch, const CodableColor &current)
{
    return std::abs(swatch.red - current.red) < 0.01 && std::abs(swatch.green - current.green) < 0.01 &&
           std::abs(swatch.blue - current.blue) < 0.01;
}

} // namespace

// ---------------------------------------------------------------------------
// PreviewPanel

PreviewPanel::PreviewPanel(const AppSettings &settings, QWidget *parent)
    : QWidget(parent), m_settings(settings)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(tr("Preview"));
}

QSize PreviewPanel::sizeHint() const
{
    return {408 + int(2 * preview::panelPadding), int(preview::stackHeight + 2 * preview::panelPadding)};
}

QSize PreviewPanel::minimumSizeHint() const
{
    return {200, int(preview::stackHeight + 2 * preview::panelPadding)};
}

void PreviewPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    preview::previewSection(p, QRectF(rect()), m_settings, palette());
}

// ---------------------------------------------------------------------------
// PreferencesView

namespace {
// The switch on the platform's login item.
PreferencesView::LoginSwitch loginItemSwitch(platform::Platform &platform)
{
    return {[&platform] { return LaunchAtLogin(platform).isEnabled(); },
            [&platform](bool enabled) { return LaunchAtLogin(platform).setEnabled(enabled); }};
}
} // namespace

PreferencesView::PreferencesView(platform::Platform &platform, AppSettings &settings, QWidget *parent)
    : PreferencesView(platform, settings, loginItemSwitch(platform), parent)
{
}

PreferencesView::PreferencesView(platform::Platform &platform, AppSettings &settings, LoginSwitch login,
                                 QWidget *parent)
    : QWidget(parent), m_platform(platform), m_settings(settings), m_login(std::move(login))
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    build();
    showShortcutTexts();
    refresh();
    connect(&m_settings, &AppSettings::changed, this, &PreferencesView::refresh);
}

namespace {
QString keyText(QKeyCombination combination)
{
    return QKeySequence(combination).toString(QKeySequence::NativeText);
}

// What the desktop bound to the command, else `asked`.
QString boundOr(const PreferencesView::BoundKeys &bound, const char *verb, const QString &asked)
{
    const QString text = bound ? bound(QLatin1String(verb)) : QString();
    return text.isEmpty() ? asked : text;
}
} // namespace

QString PreferencesView::toggleShortcutText(const BoundKeys &bound)
{
    return boundOr(bound, "toggle", keyText(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
}

QString PreferencesView::shortcutListText(const BoundKeys &bound)
{
    // "Ctrl+1" .. "Ctrl+5" shown as one range, "Ctrl+Shift+=" and "-" as "+/-",
    // unless the desktop bound other keys.
    QString size = keyText(Qt::CTRL | Qt::SHIFT | Qt::Key_T).chopped(1) + QStringLiteral("+/-");
    if (!boundOr(bound, "thicker", {}).isEmpty() || !boundOr(bound, "thinner", {}).isEmpty())
        size = boundOr(bound, "thicker", keyText(Qt::CTRL | Qt::SHIFT | Qt::Key_Plus)) + u'/' +
               boundOr(bound, "thinner", keyText(Qt::CTRL | Qt::SHIFT | Qt::Key_Minus));
    //: The global shortcuts, as in "Ctrl+1-5, Ctrl+Shift+R, Ctrl+Shift+T, Ctrl+Shift++/-"
    return tr("%1, %2, %3, %4")
        .arg(boundOr(bound, "style", keyText(Qt::CTRL | Qt::Key_1) + QStringLiteral("-5")),
             toggleShortcutText(bound),
             boundOr(bound, "cycle-style", keyText(Qt::CTRL | Qt::SHIFT | Qt::Key_T)), size);
}

void PreferencesView::setBoundKeys(BoundKeys boundKeys)
{
    m_boundKeys = std::move(boundKeys);
    showShortcutTexts();
}

void PreferencesView::showShortcutTexts()
{
    static_cast<KeyBadge *>(m_toggleBadge)->setText(toggleShortcutText(m_boundKeys));
    const QString list = shortcutListText(m_boundKeys);
    m_shortcutCaption->setText(list);
    m_shortcutSwitch->setAccessibleDescription(list);
    // One key per line: a list of long key names can't wrap at large text sizes.
    const QString lineKeys =
        QStringList{boundOr(m_boundKeys, "next-line", keyText(Qt::CTRL | Qt::SHIFT | Qt::Key_Down)),
                    boundOr(m_boundKeys, "previous-line", keyText(Qt::CTRL | Qt::SHIFT | Qt::Key_Up)),
                    boundOr(m_boundKeys, "lock", keyText(Qt::CTRL | Qt::SHIFT | Qt::Key_L))}
            .join(u'\n');
    m_lineKeysCaption->setText(lineKeys);
    m_lineKeysSwitch->setAccessibleDescription(lineKeys);
    // Asked each time: a desktop's settings can change while Tovani runs.
    const QString hint = m_platform.hotkeys().bindingHint();
    m_shortcutHint->setText(hint);
    m_shortcutHint->setVisible(!hint.isEmpty());
}

void PreferencesView::build()
{
    auto *outer = column(this, 0);
    outer->addWidget(buildHeader());

    auto *noticeBox = new NoticeBox(QString());
    m_notice = noticeBox->text();
    m_notice->setWordWrap(true);
    auto *noticeHolder = new QWidget;
    auto *noticeLayout = column(noticeHolder, 0);
    noticeLayout->setContentsMargins(outerMargin, 0, outerMargin, outerMargin);
    noticeLayout->addWidget(noticeBox);
    noticeHolder->setObjectName(QStringLiteral("notice"));
    noticeHolder->hide();
    outer->addWidget(noticeHolder);

    outer->addWidget(new Divider);

    auto *scroll = new OverlayScrollArea;
    auto *content = new QWidget;
    content->setAutoFillBackground(false);
    auto *sections = new QVBoxLayout(content);
    sections->setContentsMargins(outerMargin, outerMargin, outerMargin, outerMargin);
    sections->setSpacing(sectionSpacing);
    const QList<QWidget *> all{buildStyleSection(),   buildColorSection(),     buildAppearanceSection(),
                               buildBracketSection(), buildMagnifierSection(), buildTextLinesSection(),
                               buildReadAloudSection(),                 buildGeneralSection(),
                               buildPreviewSection()};
    for (int i = 0; i < all.size(); ++i) {
        if (i > 0) sections->addWidget(new Divider);
        sections->addWidget(all[i]);
    }
    sections->addStretch(1);
    scroll->setWidget(content);
    scroll->viewport()->setAutoFillBackground(false);
    content->setBackgroundRole(QPalette::Window);
    outer->addWidget(scroll, 1);
}

QWidget *PreferencesView::buildHeader()
{
    auto *header = new QWidget;
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(outerMargin, outerMargin, outerMargin, outerMargin);

    auto *left = new QVBoxLayout;
    left->setSpacing(4);
    left->addWidget(label(tr("Tovani"), theme::TextStyle::title2));
    left->addWidget(
        label(tr("Speed reading guide for Linux"), theme::TextStyle::subheadline, true));
    row->addLayout(left);
    row->addStretch(1);

    auto *right = new QVBoxLayout;
    right->setSpacing(4);
    m_toggleBadge = new KeyBadge(toggleShortcutText());
    right->addWidget(m_toggleBadge, 0, Qt::AlignRight);
    right->addWidget(label(tr("to toggle"), theme::TextStyle::caption2, true), 0, Qt::AlignRight);
    row->addLayout(right);
    return header;
}

QWidget *PreferencesView::buildStyleSection()
{
    auto *section = new QWidget;
    auto *layout = column(section, titleSpacing);
    layout->addWidget(sectionTitle(tr("Style")));
    auto *row = new QHBoxLayout;
    row->setSpacing(8);
    for (LineStyle style : LineStyles::allCases) {
        auto *button = new StyleButton(style);
        m_styleButtons[size_t(LineStyles::index(style))] = button;
        connect(button, &QAbstractButton::clicked, this, [this, style] { m_settings.applyStyle(style); });
        row->addWidget(button, 1);
    }
    layout->addLayout(row);
    return section;
}

QWidget *PreferencesView::buildColorSection()
{
    auto *section = new QWidget;
    auto *layout = column(section, titleSpacing);
    layout->addWidget(sectionTitle(tr("Color")));
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8 - 2 * theme::focusMargin); // the swatches keep that room for the focus ring
    constexpr int columns = 8;
    for (int c = 0; c < columns; ++c) {
        grid->setColumnStretch(c, 1);
        grid->setColumnMinimumWidth(c, 10);
    }
    const QList<PresetColor> &palette = PresetColor::palette();
    for (int i = 0; i < palette.size(); ++i) {
        const PresetColor &entry = palette[i];
        auto *swatch = new ColorButton(entry.color);
        // The palette's names and hints are translated in the "PresetColor" context.
        const QString name = QCoreApplication::translate("PresetColor", entry.name.toUtf8().constData());
        const QString hint = QCoreApplication::translate("PresetColor", entry.hint.toUtf8().constData());
        //: A swatch's tooltip: the colour's name and what it suits
        swatch->setToolTip(tr("%1 - %2").arg(name, hint));
        swatch->setAccessibleName(name);
        connect(swatch, &QAbstractButton::clicked, this, [this, color = entry.color] {
            m_settings.setCurrentColor(CodableColor::fromColor(color));
            m_colorBeforeChooser = m_settings.currentColor(); // cancelling an open chooser keeps this choice
        });
        m_swatches.append(swatch);
        grid->addWidget(swatch, i / columns, i % columns, Qt::AlignCenter);
    }
    m_well = new ColorWell;
    connect(m_well, &ColorWell::chooserOpened, this,
            [this] { m_colorBeforeChooser = m_settings.currentColor(); });
    connect(m_well, &ColorWell::colorPicked, this, [this](const QColor &color, bool final) {
        // Live while the chooser is open; cancelling puts the old one back.
        Q_UNUSED(final);
        m_settings.setCurrentColor(CodableColor::fromColor(color));
    });
    connect(m_well, &ColorWell::chooserCancelled, this, [this] {
        m_settings.setCurrentColor(m_colorBeforeChooser);
    });
    grid->addWidget(m_well, int(palette.size()) / columns, int(palette.size()) % columns, Qt::AlignCenter);
    layout->addLayout(grid);
    return section;
}

QWidget *PreferencesView::buildAppearanceSection()
{
    auto *section = new QWidget;
    auto *outer = column(section, 0);
    auto *blocks = new QVBoxLayout;
    blocks->setSpacing(blockSpacing);
    blocks->addWidget(sectionTitle(tr("Appearance")));

    m_opacity = new SliderBlock(tr("Opacity"), AppSettings::range(N::opacity), 0.05, &valuetext::percent);
    connect(m_opacity, &SliderBlock::valueEdited, &m_settings, &AppSettings::setCustomOpacity);
    blocks->addWidget(m_opacity);

    m_thickness = new SliderBlock(tr("Thickness"), AppSettings::range(N::thickness), 1, &valuetext::pixels);
    connect(m_thickness, &SliderBlock::valueEdited, &m_settings, &AppSettings::setCustomThickness);
    blocks->addWidget(m_thickness);
    outer->addLayout(blocks);

    auto *lineHeight = new QWidget;
    auto *lineHeightLayout = column(lineHeight, 8);
    m_lineHeight = new SliderBlock(tr("Reading line height"), AppSettings::range(N::lineHeight), 1, &valuetext::pixels);
    connect(m_lineHeight, &SliderBlock::valueEdited, &m_settings, &AppSettings::setReadingStripLineHeight);
    lineHeightLayout->addWidget(m_lineHeight);
    auto *tip = label(tr("Tip: Increase thickness for thicker colored bands"),
                      theme::TextStyle::caption2, true);
    tip->setWordWrap(true);
    lineHeightLayout->addWidget(tip);
    m_lineHeightFold = new FoldingBlock(lineHeight, blockSpacing);
    outer->addWidget(m_lineHeightFold);
    return section;
}

QWidget *PreferencesView::buildBracketSection()
{
    auto *section = new QWidget;
    auto *outer = column(section, 0);
    m_bracketSwitch = new ToggleSwitch;
    connect(m_bracketSwitch, &QAbstractButton::clicked, &m_settings, &AppSettings::setVerticalGuidesEnabled);
    outer->addWidget(controlRow(tr("Vertical Brackets"), tr("Crosshair-style reading zone"), true, m_bracketSwitch));

    auto *details = new QWidget;
    auto *layout = column(details, blockSpacing);
    m_bracketWidth = new SliderBlock(tr("Bracket width"), AppSettings::range(N::bracketWidth), 0.5, &valuetext::bracketWidth);
    connect(m_bracketWidth, &SliderBlock::valueEdited, &m_settings, &AppSettings::setVerticalGuideMargin);
    layout->addWidget(m_bracketWidth);
    m_bracketOpacity = new SliderBlock(tr("Opacity"), AppSettings::range(N::bracketOpacity), 0.05, &valuetext::percent);
    connect(m_bracketOpacity, &SliderBlock::valueEdited, &m_settings, &AppSettings::setVerticalGuideOpacity);
    layout->addWidget(m_bracketOpacity);
    m_bracketFold = new FoldingBlock(details, blockSpacing);
    outer->addWidget(m_bracketFold);
    return section;
}

QWidget *PreferencesView::buildMagnifierSection()
{
    auto *section = new QWidget;
    auto *outer = column(section, 0);
    m_magnifierSwitch = new ToggleSwitch;
    connect(m_magnifierSwitch, &QAbstractButton::clicked, &m_settings, &AppSettings::setMagnifierEnabled);
    outer->addWidget(controlRow(tr("Magnifier"), tr("Zoom on text around cursor"), true, m_magnifierSwitch));
    // Why the magnifier can show nothing here, beside its switch, which
    // stays off then; filled in and shown on the first showing, when that
    // is known.
    auto *captureNotice = new NoticeBox(QString());
    m_magnifierNotice = captureNotice->text();
    m_magnifierNoticeBox = captureNotice;
    captureNotice->hide();
    outer->addWidget(captureNotice, 0, Qt::AlignHCenter);

    auto *details = new QWidget;
    auto *layout = column(details, blockSpacing);
    m_zoom = new SliderBlock(tr("Zoom level"), AppSettings::range(N::zoom), 0.1, &valuetext::zoom);
    connect(m_zoom, &SliderBlock::valueEdited, &m_settings, &AppSettings::setMagnifierZoom);
    layout->addWidget(m_zoom);
    m_magnifierFold = new FoldingBlock(details, blockSpacing);
    outer->addWidget(m_magnifierFold);
    return section;
}

QWidget *PreferencesView::buildTextLinesSection()
{
    auto *section = new QWidget;
    auto *layout = column(section, blockSpacing);
    layout->addWidget(sectionTitle(tr("Text Lines")));

    m_snapSwitch = new ToggleSwitch;
    connect(m_snapSwitch, &QAbstractButton::clicked, &m_settings, &AppSettings::setSnapToTextLines);
    layout->addWidget(controlRow(tr("Snap to Text Lines"), tr("Settle on the line the pointer rests on"), false,
                                 m_snapSwitch));
    m_caretSwitch = new ToggleSwitch;
    connect(m_caretSwitch, &QAbstractButton::clicked, &m_settings, &AppSettings::setFollowTextCursor);
    layout->addWidget(controlRow(tr("Follow the Text Cursor"), tr("Go to the line you type on"), false,
                                 m_caretSwitch));
    m_lineKeysSwitch = new ToggleSwitch;
    connect(m_lineKeysSwitch, &QAbstractButton::clicked, &m_settings, &AppSettings::setLineStepKeysEnabled);
    // The keys are filled in by showShortcutTexts(), one per line.
    QWidget *lineKeysRow = controlRow(tr("Line Keys"), QStringLiteral("\n"), false, m_lineKeysSwitch);
    m_lineKeysCaption = lineKeysRow->findChild<QLabel *>(QStringLiteral("caption"));
    layout->addWidget(lineKeysRow);

    m_linesExplanation = label(QString(), theme::TextStyle::caption, true);
    m_linesExplanation->setWordWrap(true);
    layout->addWidget(m_linesExplanation);
    auto *restart = new NoticeBox(tr("Restart Qt applications to let Tovani see their text"));
    restart->text()->setWordWrap(true);
    m_qtRestartNotice = restart;
    layout->addWidget(restart);
    return section;
}

namespace {
// What the text-line switches do as they are set, in a few sentences.
QString explainTextLines(const AppSettings &s)
{
    QStringList text;
    if (s.snapToTextLines())
        text << PreferencesView::tr("Rest the pointer on a line of text and the guide settles on it, as tall as the "
                                    "line. Where an application does not report its text, it stays at the pointer.");
    if (s.followTextCursor())
        text << PreferencesView::tr("When you type or move the text cursor, the guide goes to its line; move the "
                                    "pointer to take the guide back.");
    if (!s.snapToTextLines() && !s.followTextCursor())
        text << PreferencesView::tr("The guide stays at the pointer, and Tovani does not ask applications where "
                                    "their text is.");
    if (s.lineStepKeysEnabled() && s.globalHotkeysEnabled())
        text << PreferencesView::tr("The line keys move the guide a line down or up without moving the text "
                                    "cursor, and lock it in place until you press them again.");
    else
        text << PreferencesView::tr("With the line keys and Global Keyboard Shortcuts on, keys move the guide a "
                                    "line down or up and lock it; \"tovani next-line\", \"tovani previous-line\" "
                                    "and \"tovani lock\" do it from anywhere.");
    return text.join(QLatin1Char(' '));
}

// What reading aloud does as the switches are set.
QString explainReadAloud(const AppSettings &s, const QString &key)
{
    if (!s.snapToTextLines())
        return PreferencesView::tr("Reading aloud starts on the line the guide settled on: switch on Snap to "
                                   "Text Lines to use it.");
    const QString start = s.globalHotkeysEnabled() ? PreferencesView::tr("%1 or \"tovani read-aloud\"").arg(key)
                                                   : QStringLiteral("\"tovani read-aloud\"");
    return PreferencesView::tr("%1 reads the guide's line aloud, then moves the guide on line after line; give it "
                               "again or move the pointer to stop.")
        .arg(start);
}
} // namespace

QWidget *PreferencesView::buildReadAloudSection()
{
    auto *section = new QWidget;
    auto *layout = column(section, blockSpacing);
    layout->addWidget(sectionTitle(tr("Read Aloud")));
    // speech-dispatcher's own scale: 0 is its usual speed.
    m_speechRate = new SliderBlock(tr("Speed"), AppSettings::range(N::speechRate), 10, [](double value) {
        return value == 0 ? PreferencesView::tr("Usual") : QString::asprintf("%+d", int(value));
    });
    connect(m_speechRate, &SliderBlock::valueEdited, &m_settings, &AppSettings::setSpeechRate);
    layout->addWidget(m_speechRate);
    m_voiceBox = new QComboBox;
    m_voiceBox->setAccessibleName(tr("Voice"));
    m_voiceBox->setSizeAdjustPolicy(QComboBox::AdjustToContents); // the voices come after the first showing
    connect(m_voiceBox, &QComboBox::activated, this,
            [this](int index) { m_settings.setSpeechVoice(m_voiceBox->itemData(index).toString()); });
    layout->addWidget(controlRow(tr("Voice"), tr("One of speech-dispatcher's voices"), false, m_voiceBox));
    m_readAloudExplanation = label(QString(), theme::TextStyle::caption, true);
    m_readAloudExplanation->setWordWrap(true);
    layout->addWidget(m_readAloudExplanation);
    auto *notice = new NoticeBox(QString());
    notice->text()->setWordWrap(true);
    m_speechNotice = notice->text();
    m_speechNoticeBox = notice;
    notice->hide();
    layout->addWidget(notice);
    return section;
}

void PreferencesView::setSpeechProblem(const QString &text)
{
    m_speechNotice->setText(text);
    m_speechNoticeBox->setVisible(!text.isEmpty());
}

void PreferencesView::setVoices(const QList<std::pair<QString, QString>> &voices)
{
    m_voices = voices;
    showVoices();
}

// The default voice first, then speech-dispatcher's, and the stored one even
// when the list does not hold it (not known yet, or a voice uninstalled).
void PreferencesView::showVoices()
{
    const QString stored = m_settings.speechVoice();
    const QSignalBlocker quiet(m_voiceBox);
    m_voiceBox->clear();
    m_voiceBox->addItem(tr("Default voice"), QString());
    bool found = stored.isEmpty();
    for (const auto &[name, language] : m_voices) {
        m_voiceBox->addItem(language.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, language), name);
        found = found || name == stored;
    }
    if (!found)
        m_voiceBox->addItem(stored, stored);
    m_voiceBox->setCurrentIndex(std::max(0, m_voiceBox->findData(stored)));
}

QWidget *PreferencesView::buildGeneralSection()
{
    auto *section = new QWidget;
    auto *layout = column(section, blockSpacing);
    layout->addWidget(sectionTitle(tr("General")));

    m_loginSwitch = new ToggleSwitch;
    auto *loginNotice = new NoticeBox(QString());
    m_loginNotice = loginNotice->text();
    m_loginNotice->setWordWrap(true);
    m_loginNoticeBox = loginNotice;
    loginNotice->hide();
    connect(m_loginSwitch, &QAbstractButton::clicked, this, [this](bool on) {
        const std::optional<QString> error = m_login.setEnabled ? m_login.setEnabled(on) : std::nullopt;
        m_loginNotice->setText(error.value_or(QString()));
        m_loginNoticeBox->setVisible(error.has_value());
        // Show what the login item really is now: a refused change leaves it as it was.
        if (m_login.isEnabled) m_loginSwitch->setChecked(m_login.isEnabled());
    });
    layout->addWidget(controlRow(tr("Launch at Login"), tr("Start Tovani when you log in"), false, m_loginSwitch));
    layout->addWidget(loginNotice);

    m_shortcutSwitch = new ToggleSwitch;
    connect(m_shortcutSwitch, &QAbstractButton::clicked, this, [this](bool on) {
        m_settings.setGlobalHotkeysEnabled(on);
    });
    QWidget *shortcutRow =
        controlRow(tr("Global Keyboard Shortcuts"), shortcutListText(), false, m_shortcutSwitch);
    m_shortcutCaption = shortcutRow->findChild<QLabel *>(QStringLiteral("caption"));
    layout->addWidget(shortcutRow);
    // Where there are no global hot keys here: which setting of the desktop
    // runs "tovani <command>" instead. Filled in by showShortcutTexts().
    m_shortcutHint = label(QString(), theme::TextStyle::caption, true);
    m_shortcutHint->setWordWrap(true);
    m_shortcutHint->setObjectName(QStringLiteral("shortcutHint"));
    m_shortcutHint->hide();
    layout->addWidget(m_shortcutHint);

    m_resetButton = new QPushButton(tr("Reset"));
    m_resetButton->setAutoDefault(false);
    FocusRing::attach(m_resetButton, FocusRing::Shape::rounded, 4);
    pressOnEnter(m_resetButton);
    connect(m_resetButton, &QPushButton::clicked, this, &PreferencesView::confirmReset);
    layout->addWidget(controlRow(tr("Reset Settings"), tr("Restore all settings to defaults"), false, m_resetButton));
    return section;
}

QWidget *PreferencesView::buildPreviewSection()
{
    auto *section = new QWidget;
    auto *layout = column(section, titleSpacing);
    layout->addWidget(sectionTitle(tr("Preview")));
    m_preview = new PreviewPanel(m_settings);
    layout->addWidget(m_preview);
    return section;
}

StyleButton *PreferencesView::styleButton(LineStyle style) const
{
    return m_styleButtons[size_t(LineStyles::index(style))];
}

void PreferencesView::refresh()
{
    const bool animate = m_refreshedOnce && isVisible();
    const LineStyle style = m_settings.currentStyle();
    const CodableColor current = m_settings.currentColor();
    const QColor guideColor = current.toColor();

    for (StyleButton *button : m_styleButtons) {
        button->setSelected(button->style() == style);
        button->setColor(guideColor);
    }
    const QList<PresetColor> &palette = PresetColor::palette();
    for (int i = 0; i < m_swatches.size(); ++i)
        m_swatches[i]->setSelected(swatchMatches(CodableColor::fromColor(palette[i].color), current));
    m_well->setColor(guideColor);
    keepTabStopAtChecked(m_styleButtons);
    keepTabStopAtChecked(m_swatches);

    m_opacity->showValue(m_settings.customOpacity());
    m_thickness->showValue(m_settings.customThickness());
    m_lineHeight->showValue(m_settings.readingStripLineHeight());
    m_bracketWidth->showValue(m_settings.verticalGuideMargin());
    m_bracketOpacity->showValue(m_settings.verticalGuideOpacity());
    m_zoom->showValue(m_settings.magnifierZoom());

    m_bracketSwitch->setChecked(m_settings.verticalGuidesEnabled());
    // The setting is kept for a session that can magnify.
    const bool magnifier = m_settings.magnifierEnabled() && m_magnifierNotice->text().isEmpty();
    m_magnifierSwitch->setEnabled(m_magnifierNotice->text().isEmpty());
    m_magnifierSwitch->setChecked(magnifier);
    m_shortcutSwitch->setChecked(m_settings.globalHotkeysEnabled());
    m_snapSwitch->setChecked(m_settings.snapToTextLines());
    m_caretSwitch->setChecked(m_settings.followTextCursor());
    m_lineKeysSwitch->setChecked(m_settings.lineStepKeysEnabled());
    m_linesExplanation->setText(explainTextLines(m_settings));
    m_speechRate->showValue(m_settings.speechRate());
    showVoices();
    m_readAloudExplanation->setText(
        explainReadAloud(m_settings, boundOr(m_boundKeys, "read-aloud", keyText(Qt::CTRL | Qt::ALT | Qt::Key_Space))));
    m_qtRestartNotice->setVisible(m_settings.snapToTextLines() || m_settings.followTextCursor());
    if (m_login.isEnabled) m_loginSwitch->setChecked(m_login.isEnabled());

    m_lineHeightFold->setExpanded(style == LineStyle::readingStrip, animate);
    m_bracketFold->setExpanded(m_settings.verticalGuidesEnabled(), animate);
    m_magnifierFold->setExpanded(magnifier, animate);

    m_preview->update();
    m_refreshedOnce = true;
}

QMessageBox *PreferencesView::resetConfirmation() const
{
    return m_resetBox && m_resetBox->isVisible() ? m_resetBox.data() : nullptr;
}

void PreferencesView::confirmReset()
{
    if (resetConfirmation()) {
        m_resetBox->raise();
        return;
    }
    auto *box = new QMessageBox(this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setIcon(QMessageBox::Warning);
    box->setWindowTitle(tr("Reset to Defaults?"));
    box->setText(tr("Reset to Defaults?"));
    box->setInformativeText(tr("This will restore all settings to their default values."));
    QPushButton *cancel = box->addButton(tr("Cancel"), QMessageBox::RejectRole);
    QPushButton *reset = box->addButton(tr("Reset"), QMessageBox::DestructiveRole);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    connect(box, &QMessageBox::buttonClicked, this, [this, reset](QAbstractButton *button) {
        if (button == reset) m_settings.resetToDefaults();
    });
    m_resetBox = box;
    box->open();
}

void PreferencesView::setNotice(const QString &text)
{
    m_notice->setText(text);
    if (QWidget *holder = findChild<QWidget *>(QStringLiteral("notice"))) holder->setVisible(!text.isEmpty());
}

void PreferencesView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        window()->close();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PreferencesView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_loginNoticeBox->hide(); // an old refusal, answered while the window was closed
    if (!m_captureChecked) {
        // Asked once: whether a picture of the screen can be taken does not
        // change during a session, and finding out opens a capture.
        m_captureChecked = true;
        const QString problem = MagnifierWindow::captureProblem(m_platform);
        m_magnifierNotice->setText(problem);
        m_magnifierNoticeBox->setVisible(!problem.isEmpty());
    }
    showShortcutTexts(); // the desktop may have bound other keys meanwhile
    refresh();           // the login item may have changed while the window was closed
    // The texts and notices above change the sections' heights after the
    // window was laid out for showing: size the scrolled column to them now,
    // not on the next turn of the event loop, so the window never shows the
    // wrapped texts squeezed.
    if (auto *scroll = findChild<OverlayScrollArea *>()) {
        scroll->widget()->layout()->activate();
        QEvent relayout(QEvent::LayoutRequest);
        QCoreApplication::sendEvent(scroll, &relayout);
    }
}

void PreferencesView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        theme::followPalette(this); // the desktop switched between light and dark
}

// ---------------------------------------------------------------------------
// PreferencesWindow

PreferencesWindow::PreferencesWindow(platform::Platform &platform, AppSettings &settings, QWidget *parent)
    : PreferencesWindow(platform, settings, loginItemSwitch(platform), parent)
{
}

PreferencesWindow::PreferencesWindow(platform::Platform &platform, AppSettings &settings,
                                     PreferencesView::LoginSwitch login, QWidget *parent)
    : QWidget(parent, Qt::Window), m_view(new PreferencesView(platform, settings, std::move(login)))
{
    setWindowTitle(tr("Tovani Preferences"));
    setWindowIcon(appIcon());
    auto *layout = column(this, 0);
    layout->addWidget(m_view);
    // 480 x 720, wider when large text needs it (the layout keeps the
    // window at least that wide); the sections scroll.
    resize(std::max(480, minimumSizeHint().width()), 720);
}

void PreferencesWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Coming back to the window: the login item may have been changed elsewhere.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) m_view->refresh();
}

void PreferencesWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

QWidget *createPreferencesWindow(platform::Platform &platform, AppSettings &settings)
{
    return new PreferencesWindow(platform, settings);
}

void setPreferencesNotice(QWidget *preferencesWindow, const QString &text)
{
    if (auto *window = qobject_cast<PreferencesWindow *>(preferencesWindow)) window->view()->setNotice(text);
}

void setPreferencesVoices(QWidget *preferencesWindow, const QList<std::pair<QString, QString>> &voices)
{
    if (auto *window = qobject_cast<PreferencesWindow *>(preferencesWindow)) {
        window->view()->setVoices(voices);
        window->view()->setSpeechProblem(QString());
    }
}

void setPreferencesSpeechProblem(QWidget *preferencesWindow, const QString &text)
{
    if (auto *window = qobject_cast<PreferencesWindow *>(preferencesWindow))
        window->view()->setSpeechProblem(text);
}

void setPreferencesBoundKeys(QWidget *preferencesWindow, PreferencesView::BoundKeys boundKeys)
{
    if (auto *window = qobject_cast<PreferencesWindow *>(preferencesWindow))
        window->view()->setBoundKeys(std::move(boundKeys));
}
