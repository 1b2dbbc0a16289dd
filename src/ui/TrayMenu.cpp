#include "ui/TrayMenu.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>

TrayMenu::TrayMenu(std::function<TrayState()> state, QObject *parent)
    : QObject(parent), m_state(std::move(state))
{
    m_trayIcon = new QSystemTrayIcon(this);
    // A click on the icon opens the menu, as a right click does.
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::MiddleClick)
            m_menu->popup(QCursor::pos());
    });
    const TrayState now = m_state();
    build(now);
    m_trayIcon->setContextMenu(m_menu);
    show(now);

    // The login item can change outside the program.
    connect(m_menu, &QMenu::aboutToShow, this, &TrayMenu::update);
    m_trayIcon->show();
}

TrayMenu::~TrayMenu()
{
    delete m_menu;
}

void TrayMenu::build(const TrayState &state)
{
    m_menu = new QMenu;
    m_menu->setObjectName(QStringLiteral("statusMenu"));
    // A greyed-out row says why in its tooltip (where the tray draws the menu
    // with Qt).
    m_menu->setToolTipsVisible(true);
    QMenu *submenu = nullptr;
    for (const TrayState::Row &row : state.rows) {
        if (row.separatorBefore) m_menu->addSeparator();
        if (row.shortcutsBefore) {
            m_shortcutFrame.append(m_menu->addAction(tr("Shortcuts:")));
            for (qsizetype i = 0; i < state.shortcuts.size(); ++i)
                m_shortcutRows.append(m_menu->addAction(QString()));
            m_shortcutFrame.append(m_menu->addSeparator());
        }
        if (row.submenu.isEmpty())
            submenu = nullptr;
        else if (!submenu || submenu->title() != row.submenu)
            submenu = m_menu->addMenu(row.submenu);
        QAction *action = (submenu ? submenu : m_menu)->addAction(row.text);
        action->setCheckable(row.checkable);
        connect(action, &QAction::triggered, this, row.run);
        m_rows.append(action);
    }
    for (QAction *info : std::as_const(m_shortcutFrame))
        info->setEnabled(false);
    for (QAction *action : std::as_const(m_shortcutRows))
        action->setEnabled(false);
}

void TrayMenu::update()
{
    show(m_state());
}

void TrayMenu::show(const TrayState &state)
{
    // A triggered row has flipped its own tick already; each is set from the
    // state again, so a refused change shows as it really is.
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        const TrayState::Row &row = state.rows.at(i);
        m_rows[i]->setEnabled(row.unavailable.isEmpty());
        m_rows[i]->setToolTip(row.unavailable);
        if (!row.checkable) continue;
        m_rows[i]->setChecked(row.checked);
        m_rows[i]->setText(row.text);
    }

    // Shortcuts are shown only while they work from anywhere.
    for (qsizetype i = 0; i < m_shortcutRows.size(); ++i) {
        const TrayState::Shortcut &shortcut = state.shortcuts.at(i);
        m_shortcutRows[i]->setText(
            QStringLiteral("  %1  %2%3")
                .arg(shortcut.keys, shortcut.title, shortcut.inUse ? tr(" (in use)") : QString()));
        m_shortcutRows[i]->setVisible(state.listShortcuts && shortcut.listed);
    }
    for (QAction *action : std::as_const(m_shortcutFrame))
        action->setVisible(state.listShortcuts);

    updateIcon(state);
}

QString TrayMenu::toolTip() const
{
    return toolTip(m_state());
}

QString TrayMenu::toolTip(const TrayState &state)
{
    QString text =
        tr("Tovani (%1)\nStyle: %2").arg(state.guideEnabled ? tr("ON") : tr("OFF"), state.styleName);
    if (!state.toggleKeys.isEmpty()) text += QLatin1Char('\n') + tr("%1 to toggle").arg(state.toggleKeys);
    return text;
}

void TrayMenu::updateIcon(const TrayState &state)
{
    // Painted again only when the desktop's palette changed since.
    const QPalette palette = QGuiApplication::palette();
    if (m_icons[0].isNull() || m_iconPalette != palette.cacheKey()) {
        m_icons = {createIcon(false, palette), createIcon(true, palette)};
        m_iconPalette = palette.cacheKey();
    }
    const QIcon &icon = m_icons[state.guideEnabled ? 1 : 0];
    if (m_trayIcon->icon().cacheKey() != icon.cacheKey()) m_trayIcon->setIcon(icon);
    const QString tip = toolTip(state);
    if (m_trayIcon->toolTip() != tip) m_trayIcon->setToolTip(tip);
}

void TrayMenu::paintIcon(QPainter &painter, bool enabled, const QPalette &palette)
{
    // Four bars like lines of text, the second one marked. Geometry is given
    // with y up from the bottom of the 18-point image and flipped here.
    const qreal size = 18;
    auto box = [size](qreal x, qreal bottom, qreal width, qreal height) {
        return QRectF(x, size - bottom - height, width, height);
    };
    QColor label = palette.color(QPalette::WindowText);
    QColor accent = palette.color(QPalette::Highlight);
    QColor dimmed = palette.color(QPalette::WindowText);
    dimmed.setAlphaF(0.26f); // the dimmed monochrome look of the switched-off icon
    QColor bar = enabled ? label : dimmed;
    QColor band = enabled ? accent : dimmed;
    QColor marked(255, 255, 255);
    marked.setAlphaF(enabled ? 0.9f : 0.5f);

    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    auto fill = [&painter](const QRectF &rect, qreal radius, const QColor &color) {
        painter.setBrush(color);
        painter.drawRoundedRect(rect, radius, radius);
    };
    fill(box(2, 14, 14, 2), 0.5, bar);
    fill(box(1, 9, 16, 4), 1.0, band);
    fill(box(2, 10, 14, 2), 0.5, marked);
    fill(box(2, 6, 14, 2), 0.5, bar);
    fill(box(4, 2, 10, 2), 0.5, bar);
}

QIcon TrayMenu::createIcon(bool enabled, const QPalette &palette)
{
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap(18 * scale, 18 * scale);
        pixmap.fill(Qt::transparent);
        {
            QPainter painter(&pixmap);
            painter.scale(scale, scale);
            paintIcon(painter, enabled, palette);
        }
        icon.addPixmap(pixmap);
    }
    return icon;
}
