#include "ui/AboutView.h"

#include "symbols/Symbols.h"
#include "ui/AppIcon.h"
#include "ui/Controls.h"
#include "ui/Theme.h"
#include "version.h"

#include <algorithm>

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr int windowWidth = 340;
constexpr int windowHeight = 480;
constexpr int padding = 30;         // left and right
constexpr int verticalPadding = 24; // top and bottom
constexpr int iconSide = 100;

QLabel *label(const QString &text, theme::TextStyle style, bool secondary = false)
{
    auto *l = new QLabel(text);
    l->setFont(theme::font(style));
    l->setAlignment(Qt::AlignCenter);
    if (secondary) theme::setSecondaryText(l);
    return l;
}

class SymbolView : public QWidget
{
public:
    SymbolView(symbols::Symbol symbol, int width, int height, QWidget *parent = nullptr)
        : QWidget(parent), m_symbol(symbol)
    {
        setFixedSize(width, height);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const int side = std::min(width(), height());
        symbols::paint(p, QRectF((width() - side) / 2.0, (height() - side) / 2.0, side, side), m_symbol,
                       theme::accent(palette()));
    }

private:
    symbols::Symbol m_symbol;
};

} // namespace

// ---------------------------------------------------------------------------
// AboutView

AboutView::AboutView(QWidget *parent)
    : AboutView(QStringLiteral(TOVANI_VERSION), QStringLiteral(TOVANI_BUILD_NUMBER), parent)
{
}

AboutView::AboutView(const QString &version, const QString &buildNumber, QWidget *parent)
    : QWidget(parent), m_appVersion(version.trimmed().isEmpty() ? QStringLiteral("1.0") : version.trimmed()),
      m_buildNumber(buildNumber.trimmed().isEmpty() ? QStringLiteral("1") : buildNumber.trimmed())
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    // The view holds the focus, so Escape reaches the window.
    setFocusPolicy(Qt::ClickFocus);
    build();
}

QString AboutView::versionText(const QString &version, const QString &buildNumber)
{
    const QString v = version.trimmed().isEmpty() ? QStringLiteral("1.0") : version.trimmed();
    const QString b = buildNumber.trimmed().isEmpty() ? QStringLiteral("1") : buildNumber.trimmed();
    return tr("Version %1 (%2)").arg(v, b);
}

void AboutView::build()
{
    QList<QWidget *> elements;

    m_iconSpace = new QWidget;
    m_iconSpace->setFixedSize(iconSide, iconSide); // the icon is painted by the view, shadow and all
    m_iconSpace->setAccessibleName(tr("Tovani icon"));
    elements.append(m_iconSpace);

    auto *titleBlock = new QWidget;
    auto *titleLayout = new QVBoxLayout(titleBlock);
    titleLayout->setContentsMargins(0, 0, 0, 0);
    titleLayout->setSpacing(4);
    titleLayout->addWidget(label(tr("Tovani"), theme::TextStyle::title));
    titleLayout->addWidget(
        label(versionText(m_appVersion, m_buildNumber), theme::TextStyle::subheadline, true));
    elements.append(titleBlock);

    elements.append(label(tr("Speed reading guide for Linux"), theme::TextStyle::body, true));
    elements.append(new Divider(40));

    auto *credit = new QWidget;
    auto *creditLayout = new QVBoxLayout(credit);
    creditLayout->setContentsMargins(0, 0, 0, 0);
    creditLayout->setSpacing(8);
    creditLayout->addWidget(label(tr("Developed by"), theme::TextStyle::caption, true));
    creditLayout->addWidget(label(tr("Tovani contributors"), theme::TextStyle::headline));
    creditLayout->addWidget(label(tr("Open-source project"), theme::TextStyle::caption, true));
    elements.append(credit);

    elements.append(new Divider(40));

    auto *features = new QWidget;
    auto *featureGrid = new QGridLayout(features);
    featureGrid->setContentsMargins(16, 0, 16, 0);
    featureGrid->setHorizontalSpacing(8);
    featureGrid->setVerticalSpacing(6);
    const struct
    {
        symbols::Symbol symbol;
        const char *text;
    } rows[] = {
        {symbols::Symbol::lines3, QT_TR_NOOP("Multiple reading guide styles")},
        {symbols::Symbol::palette, QT_TR_NOOP("Customizable colors & opacity")},
        {symbols::Symbol::keyboard, QT_TR_NOOP("Global keyboard shortcuts")},
        {symbols::Symbol::displays2, QT_TR_NOOP("Multi-monitor support")},
    };
    for (int i = 0; i < 4; ++i) {
        QLabel *text = label(tr(rows[i].text), theme::TextStyle::caption, true);
        text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        const int glyph = QFontMetrics(text->font()).height() + 2;
        featureGrid->addWidget(new SymbolView(rows[i].symbol, 20, glyph), i, 0, Qt::AlignCenter);
        featureGrid->addWidget(text, i, 1, Qt::AlignLeft | Qt::AlignVCenter);
    }
    elements.append(features);

    QLabel *rights = label(tr("\u00A9 2026 Tovani contributors \u00B7 GPL-3.0-or-later"),
                           theme::TextStyle::caption2, true);
    rights->setWordWrap(true);

    // Elements stand 20 apart when they fit. With the desktop's usual fonts
    // the column runs taller than the window, so the gaps shrink (down to 8)
    // before the window grows.
    int used = 2 * verticalPadding + rights->heightForWidth(windowWidth - 2 * padding);
    for (QWidget *element : elements)
        used += std::max(element->sizeHint().height(), element->minimumHeight());
    const int gaps = int(elements.size()); // between the elements and before the notice
    const int spacing = std::clamp((windowHeight - used) / gaps, 8, 20);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(padding, verticalPadding, padding, verticalPadding);
    layout->setSpacing(0);
    for (int i = 0; i < elements.size(); ++i) {
        if (i > 0) layout->addSpacing(spacing);
        const bool fill = qobject_cast<Divider *>(elements[i]) != nullptr;
        layout->addWidget(elements[i], 0, fill ? Qt::Alignment() : Qt::AlignHCenter);
    }
    layout->addSpacing(spacing);
    layout->addStretch(1);
    layout->addWidget(rights);
}

QRect AboutView::iconRect() const
{
    return m_iconSpace->geometry();
}

void AboutView::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    QPainter p(this);
    paintAppIcon(p, QRectF(iconRect()), true);
}

void AboutView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        theme::followPalette(this);
}

// ---------------------------------------------------------------------------
// AboutWindow

AboutWindow::AboutWindow(QWidget *parent) : QWidget(parent, Qt::Window), m_view(new AboutView)
{
    setWindowTitle(tr("About Tovani"));
    setWindowIcon(appIcon());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    m_view->setFocus();
    // 340 x 480, unless the desktop's fonts need more room.
    const QSize needed = m_view->minimumSizeHint();
    const int width = std::max(windowWidth, needed.width());
    // The rights notice wraps: its height depends on the width.
    const int wrapped = m_view->hasHeightForWidth() ? m_view->heightForWidth(width) : 0;
    setFixedSize(width, std::max({windowHeight, needed.height(), wrapped}));
}

void AboutWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

QWidget *createAboutWindow()
{
    return new AboutWindow;
}
