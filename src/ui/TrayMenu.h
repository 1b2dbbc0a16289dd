#pragma once

// The tray item: its icon, tooltip and menu. The application describes what
// they show (TrayState, filled from its command table); the menu is built
// once from that, and its rows are brought up to date in place on every
// update() and before it opens.

#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>

#include <array>
#include <functional>

class QAction;
class QMenu;
class QPainter;
class QPalette;
class QSystemTrayIcon;

// What the tray shows now. The rows and the shortcuts come in the same number
// and order every time.
struct TrayState
{
    struct Row
    {
        QString text;
        // The title of the submenu it sits in, with the rows next to it of the
        // same title; empty for the menu itself.
        QString submenu;
        bool separatorBefore = false; // the first row of a group
        bool shortcutsBefore = false; // the list of shortcuts comes before it
        bool checkable = false;
        bool checked = false;
        QString unavailable; // why it is greyed out; empty where it works
        std::function<void()> run;
    };
    struct Shortcut
    {
        QString keys;       // "Ctrl+Shift+R"
        QString title;      // "Toggle guide"
        bool inUse = false; // another program holds the keys
        bool listed = true;
    };
    QList<Row> rows;
    // Listed under their heading only while the shortcuts are on.
    bool listShortcuts = false;
    QList<Shortcut> shortcuts;
    bool guideEnabled = false;
    QString styleName;
    QString toggleKeys; // said in the tooltip; empty for nothing
};

class TrayMenu : public QObject
{
    Q_OBJECT
public:
    explicit TrayMenu(std::function<TrayState()> state, QObject *parent = nullptr);
    ~TrayMenu() override;

    QMenu *menu() const { return m_menu; }
    QSystemTrayIcon *trayIcon() const { return m_trayIcon; }
    QString toolTip() const;
    void update();

    static QIcon createIcon(bool enabled, const QPalette &palette);
    // Draws the 18-point icon into a painter whose unit is one point, y down.
    static void paintIcon(QPainter &painter, bool enabled, const QPalette &palette);

private:
    void build(const TrayState &state);
    // Every row, shortcut, the icon and the tooltip as `state` says.
    void show(const TrayState &state);
    void updateIcon(const TrayState &state);
    static QString toolTip(const TrayState &state);

    std::function<TrayState()> m_state;
    QSystemTrayIcon *m_trayIcon = nullptr;
    QMenu *m_menu = nullptr;
    QList<QAction *> m_rows;          // one per row of the state
    QList<QAction *> m_shortcutRows;  // the list of global shortcuts
    QList<QAction *> m_shortcutFrame; // its heading and the separator after it
    // The icons, off and on, painted once for the palette they were painted
    // with: a fresh QIcon on every change would leave another set of scaled
    // copies in the pixmap cache each time.
    std::array<QIcon, 2> m_icons;
    qint64 m_iconPalette = 0;
};
