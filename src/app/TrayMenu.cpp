#include "app/TrayMenu.h"

#include "app/CommandRegistry.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>

TrayMenu::TrayMenu(CommandRegistry &commands, QObject *parent) : QObject(parent), m_commands(commands)
{
    m_trayIcon = new QSystemTrayIcon(this);
    // A click on the icon opens the menu, as a right click does.
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::MiddleClick)
            m_menu->popup(QCursor::pos());
    });
    build();
    m_trayIcon->setContextMenu(m_menu);
    update();

    connect(&m_commands, &CommandRegistry::ran, this, &TrayMenu::update);
    connect(&m_commands, &CommandRegistry::hotkeysChanged, this, &TrayMenu::update);
    connect(&m_commands.target().settings(), &AppSettings::changed, this, &TrayMenu::update);
    // The login item can change outside the program.
    connect(m_menu, &QMenu::aboutToShow, this, &TrayMenu::update);
    m_trayIcon->show();
}

TrayMenu::~TrayMenu() { delete m_menu; }

void TrayMenu::build()
{
    m_menu = new QMenu;
    m_menu->setObjectName(QStringLiteral("statusMenu"));
    // A greyed-out row says why in its tooltip (where the tray draws the menu
    // with Qt).
    m_menu->setToolTipsVisible(true);
    Command::Section section = Command::Section::none;
    for (const Command &command : Commands::all()) {
        if (!command.menuTitle)
            continue;
        if (section != Command::Section::none && command.section != section)
            m_menu->addSeparator();
        // The shortcuts, listed while they are on, come before the login row.
        if (command.section == Command::Section::login && section != command.section) {
            m_shortcutFrame.append(m_menu->addAction(tr("Shortcuts:")));
            for (const Command &keyed : Commands::all()) {
                if (!keyed.hotkeys.empty())
                    m_shortcutRows.append({m_menu->addAction(QString()), &keyed, 0});
            }
            m_shortcutFrame.append(m_menu->addSeparator());
        }
        section = command.section;

        const QList<int> arguments = command.arguments();
        QMenu *place = m_menu;
        if (command.argument != Command::Argument::none)
            place = m_menu->addMenu(Commands::translate(command.menuTitle));
        for (int argument : arguments) {
            QAction *action = place->addAction(command.menuText(argument, false));
            action->setCheckable(command.checked != nullptr);
            connect(action, &QAction::triggered, this, [this, &command, argument] {
                m_commands.run(command, argument, CommandRegistry::Source::menu);
            });
            m_rows.append({action, &command, argument});
        }
    }
    for (QAction *info : std::as_const(m_shortcutFrame))
        info->setEnabled(false);
    for (const Row &row : std::as_const(m_shortcutRows))
        row.action->setEnabled(false);
}

void TrayMenu::update()
{
    // A triggered row has flipped its own tick already; each is set from the
    // state again, so a refused change shows as it really is.
    for (const Row &row : std::as_const(m_rows)) {
        const QString unavailable =
            row.command->unavailable ? row.command->unavailable(m_commands.target()) : QString();
        row.action->setEnabled(unavailable.isEmpty());
        row.action->setToolTip(unavailable);
        if (!row.command->checked)
            continue;
        // Off where it can't work, whatever was saved for another session.
        const bool checked = unavailable.isEmpty() && row.command->checked(m_commands.target(), row.argument);
        row.action->setChecked(checked);
        row.action->setText(row.command->menuText(row.argument, checked));
    }

    // Shortcuts are shown only while they work from anywhere.
    const bool listShortcuts = m_commands.hotkeysEnabled();
    for (const Row &row : std::as_const(m_shortcutRows)) {
        const QString inUse = m_commands.isHotkeyRefused(*row.command) ? tr(" (in use)") : QString();
        row.action->setText(QStringLiteral("  %1  %2%3")
                                .arg(row.command->hotkeyText(), Commands::translate(row.command->hotkeyTitle), inUse));
        row.action->setVisible(listShortcuts &&
                               (!row.command->lineKeys || m_commands.target().settings().lineStepKeysEnabled()));
    }
    for (QAction *action : std::as_const(m_shortcutFrame))
        action->setVisible(listShortcuts);

    updateIcon();
}

QString TrayMenu::toolTip() const
{
    const CommandTarget &target = m_commands.target();
    QString text = tr("Tovani (%1)\nStyle: %2")
                       .arg(target.isGuideEnabled() ? tr("ON") : tr("OFF"),
                            LineStyles::displayName(target.settings().currentStyle()));
    const Command *toggle = Commands::find(QStringLiteral("toggle"));
    if (m_commands.hotkeysEnabled() && !m_commands.isHotkeyRefused(*toggle))
        text += QLatin1Char('\n') + tr("%1 to toggle").arg(toggle->hotkeyText());
    return text;
}

void TrayMenu::updateIcon()
{
    // Painted again only when the desktop's palette changed since.
    const QPalette palette = QGuiApplication::palette();
    if (m_icons[0].isNull() || m_iconPalette != palette.cacheKey()) {
        m_icons = {createIcon(false, palette), createIcon(true, palette)};
        m_iconPalette = palette.cacheKey();
    }
    const QIcon &icon = m_icons[m_commands.target().isGuideEnabled() ? 1 : 0];
    if (m_trayIcon->icon().cacheKey() != icon.cacheKey())
        m_trayIcon->setIcon(icon);
    const QString tip = toolTip();
    if (m_trayIcon->toolTip() != tip)
        m_trayIcon->setToolTip(tip);
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
