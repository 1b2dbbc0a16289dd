#pragma once

// The tray item: its icon, tooltip and menu, all made from the command table.
// The menu is built once; its rows are brought up to date in place whenever a
// command ran, a setting changed or the hot keys changed, and before it opens.

#include <QIcon>
#include <QList>
#include <QObject>

#include <array>

class CommandRegistry;
class QAction;
class QMenu;
class QPainter;
class QPalette;
class QSystemTrayIcon;
struct Command;

class TrayMenu : public QObject
{
    Q_OBJECT
public:
    explicit TrayMenu(CommandRegistry &commands, QObject *parent = nullptr);
    ~TrayMenu() override;

    QMenu *menu() const { return m_menu; }
    QSystemTrayIcon *trayIcon() const { return m_trayIcon; }
    QString toolTip() const;
    void update();

    static QIcon createIcon(bool enabled, const QPalette &palette);
    // Draws the 18-point icon into a painter whose unit is one point, y down.
    static void paintIcon(QPainter &painter, bool enabled, const QPalette &palette);

private:
    struct Row
    {
        QAction *action;
        const Command *command;
        int argument;
    };
    void build();
    void updateIcon();

    CommandRegistry &m_commands;
    QSystemTrayIcon *m_trayIcon = nullptr;
    QMenu *m_menu = nullptr;
    QList<Row> m_rows;         // the rows of the commands
    QList<Row> m_shortcutRows; // the list of global shortcuts, one row per command
    QList<QAction *> m_shortcutFrame; // its heading and the separator after it
    // The icons, off and on, painted once for the palette they were painted
    // with: a fresh QIcon on every change would leave another set of scaled
    // copies in the pixmap cache each time.
    std::array<QIcon, 2> m_icons;
    qint64 m_iconPalette = 0;
};
