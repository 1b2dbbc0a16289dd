#include "app/AppDelegate.h"

#include "feedback/HUDNotification.h"
#include "feedback/LaunchAtLogin.h"
#include "magnifier/MagnifierWindow.h"
#include "overlay/OverlayManager.h"
#include "ui/AboutView.h"
#include "ui/PreferencesView.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTimer>

#include <cmath>

namespace {

// The nine global shortcuts: id, physical key (XKB name of the US position),
// modifiers. Ctrl stands where other desktops use Command.
struct HotkeyEntry
{
    int id;
    const char *xkbKeyName;
    Qt::KeyboardModifiers modifiers;
    QKeyCombination shown;
};

const std::array<HotkeyEntry, 9> hotkeyTable{{
    {1, "AD04", Qt::ControlModifier | Qt::ShiftModifier, Qt::CTRL | Qt::SHIFT | Qt::Key_R},
    {2, "AD05", Qt::ControlModifier | Qt::ShiftModifier, Qt::CTRL | Qt::SHIFT | Qt::Key_T},
    {3, "AE12", Qt::ControlModifier | Qt::ShiftModifier, Qt::CTRL | Qt::SHIFT | Qt::Key_Plus},
    {4, "AE11", Qt::ControlModifier | Qt::ShiftModifier, Qt::CTRL | Qt::SHIFT | Qt::Key_Minus},
    {5, "AE01", Qt::ControlModifier, Qt::CTRL | Qt::Key_1},
    {6, "AE02", Qt::ControlModifier, Qt::CTRL | Qt::Key_2},
    {7, "AE03", Qt::ControlModifier, Qt::CTRL | Qt::Key_3},
    {8, "AE04", Qt::ControlModifier, Qt::CTRL | Qt::Key_4},
    {9, "AE05", Qt::ControlModifier, Qt::CTRL | Qt::Key_5},
}};

QString nativeText(QKeyCombination combination)
{
    return QKeySequence(combination).toString(QKeySequence::NativeText);
}

// "12px": the thickness truncated toward zero (the settings keep it 1..100).
QString thicknessText(double thickness) { return QStringLiteral("%1px").arg(int(thickness)); }

} // namespace

AppDelegate::AppDelegate(platform::Platform &platform, AppSettings &settings, QObject *parent)
    : QObject(parent), m_platform(platform), m_settings(settings)
{
}

AppDelegate::~AppDelegate()
{
    delete m_preferencesWindow.data();
    delete m_aboutWindow.data();
    delete m_menu;
}

// ---------------------------------------------------------------------------
// Launch

void AppDelegate::applicationDidFinishLaunching(bool plainLaunch)
{
    setupMenuBar();
    setupOverlay();

    m_magnifierWindow = std::make_unique<MagnifierWindow>(m_settings);
    m_magnifierWindow->setupAsMagnifier();

    setupMouseTracker();

    if (m_settings.globalHotkeysEnabled())
        setupGlobalHotkey();

    updateStatusIcon();
    checkAccessibilityPermission();

    // Shown after whatever message the change itself brings, which would
    // otherwise replace it at once.
    connect(&m_settings, &AppSettings::saveFailed, this, [](const QString &reason) {
        QTimer::singleShot(0, &HUDNotification::shared(), [reason] {
            HUDNotification::shared().show(tr("Settings not saved: %1").arg(reason));
        });
    });

    connect(&m_settings, &AppSettings::globalHotkeysEnabledChanged, this, &AppDelegate::handleHotkeysToggled);
    connect(&m_platform.hotkeys(), &platform::HotkeyService::activated, this, &AppDelegate::handleHotkey);
    // A new keyboard or layout can free a combination or lose one.
    connect(&m_platform.hotkeys(), &platform::HotkeyService::registrationChanged, this, [this](int id, bool registered) {
        if (id < 1 || id > 9 || !m_settings.globalHotkeysEnabled())
            return;
        if (registered) {
            hotkeyField(id) = id;
            m_refusedHotkeys.remove(id);
        } else {
            hotkeyField(id).reset();
            m_refusedHotkeys.insert(id);
        }
        updateMenu();
    });

    // Without a tray (stock GNOME has none) the preferences window is the way in.
    if (!m_hasTray && plainLaunch)
        showPreferences();
}

void AppDelegate::applicationWillTerminate() { unregisterHotkey(); }

void AppDelegate::handleHotkeysToggled()
{
    if (m_settings.globalHotkeysEnabled())
        setupGlobalHotkey();
    else
        unregisterHotkey();
    updateMenu();
}

void AppDelegate::setupOverlay()
{
    m_overlay = std::make_unique<OverlayManager>(m_platform, m_settings);
    m_overlay->setupOverlay();
}

void AppDelegate::setupMouseTracker()
{
    m_overlay->magnifierUpdatePosition = [this](double x, double y) {
        if (m_magnifierWindow)
            m_magnifierWindow->updatePosition(x, y);
    };
    m_overlay->magnifierShow = [this] {
        if (!m_magnifierWindow)
            return;
        // Centre it on the pointer now rather than where it was last.
        const QPointF pointer = m_platform.pointer().position();
        m_magnifierWindow->updatePosition(pointer.x(), pointer.y());
        m_magnifierWindow->show();
    };
    m_overlay->magnifierHide = [this] {
        if (m_magnifierWindow)
            m_magnifierWindow->hide();
    };
    m_overlay->setupMouseTracker();
}

void AppDelegate::checkAccessibilityPermission()
{
    if (m_platform.isTrusted())
        return;
    QTimer::singleShot(m_promptDelayMs, this, &AppDelegate::showAccessibilityPrompt);
}

void AppDelegate::showAccessibilityPrompt()
{
    // An X11 program inside a Wayland session only sees the pointer and the keys
    // while they are over other X11 windows; say so plainly, and what helps.
    QMessageBox box;
    box.setIcon(QMessageBox::Information);
    box.setWindowTitle(QStringLiteral("Tovani"));
    box.setText(QStringLiteral("Limited in a Wayland session"));
    box.setInformativeText(
        QStringLiteral("Tovani follows the pointer and answers its keyboard shortcuts only while the pointer "
                       "is over windows of X11 programs. Over other windows the guide stays where it was.\n\n"
                       "To use Tovani everywhere, log in with an X11 session (often called \"Xorg\" on the "
                       "login screen). You can also bind \"tovani toggle\", \"tovani cycle-style\" and the "
                       "other commands of \"tovani --help\" to shortcuts in your desktop's keyboard "
                       "settings."));
    QPushButton *open = box.addButton(QStringLiteral("Open Keyboard Settings"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("Later"), QMessageBox::RejectRole);
    box.setDefaultButton(open);
    box.exec();
    if (box.clickedButton() != open)
        return;
    const QList<QStringList> candidates = {
        {QStringLiteral("gnome-control-center"), QStringLiteral("keyboard")},
        {QStringLiteral("systemsettings"), QStringLiteral("kcm_keys")},
        {QStringLiteral("xfce4-keyboard-settings")},
    };
    for (const QStringList &command : candidates) {
        if (!QStandardPaths::findExecutable(command.first()).isEmpty()) {
            QProcess::startDetached(command.first(), command.mid(1));
            return;
        }
    }
}

// ---------------------------------------------------------------------------
// Commands

void AppDelegate::toggleGuide()
{
    const bool wasEnabled = m_isEnabled;
    m_isEnabled = !wasEnabled;
    if (wasEnabled) {
        m_overlay->disableGuide(); // overlays, magnifier, tracking
    } else {
        // Place the guide at the pointer before it shows: switched on by a
        // shortcut or the tovani command, the pointer may rest for a while,
        // and the guide would wait at its last position (or the display's
        // corner after launch) until it moves.
        const QPointF at = m_platform.pointer().position();
        m_overlay->handleMouseMove(at.x(), at.y());
        m_overlay->enableGuide();
    }
    updateMenu();
    updateStatusIcon();
}

void AppDelegate::selectStyle(const QVariant &representedObject)
{
    if (representedObject.typeId() != QMetaType::QString)
        return;
    const auto style = LineStyles::fromRawValue(representedObject.toString());
    if (!style)
        return;
    m_settings.applyStyle(*style);
    updateMenu();
    updateStatusIcon();
}

void AppDelegate::cycleStyle()
{
    const int position = LineStyles::index(m_settings.currentStyle());
    const LineStyle next = LineStyles::allCases[static_cast<size_t>((position + 1) % LineStyles::count)];
    m_settings.applyStyle(next);
    updateMenu();
    updateStatusIcon();
    showStyleHud(next);
}

void AppDelegate::selectStyleByIndex(int index)
{
    const auto style = LineStyles::fromIndex(index);
    if (!style)
        return;
    m_settings.applyStyle(*style);
    updateMenu();
    updateStatusIcon();
    showStyleHud(*style);
}

void AppDelegate::showStyleHud(LineStyle style)
{
    HUDNotification::shared().show(LineStyles::rawValue(style), LineStyles::hudSymbolName(style));
}

void AppDelegate::showThicknessHud(const QString &symbol)
{
    HUDNotification::shared().show(thicknessText(m_settings.customThickness()), symbol);
}

void AppDelegate::increaseThickness()
{
    m_settings.setCustomThickness(m_settings.customThickness() + 5.0);
    showThicknessHud(QStringLiteral("arrow.up.left.and.arrow.down.right"));
}

void AppDelegate::decreaseThickness()
{
    m_settings.setCustomThickness(m_settings.customThickness() - 5.0);
    showThicknessHud(QStringLiteral("arrow.down.right.and.arrow.up.left"));
}

void AppDelegate::toggleVerticalGuides()
{
    m_settings.setVerticalGuidesEnabled(!m_settings.verticalGuidesEnabled());
    updateMenu();
}

void AppDelegate::toggleMagnifier()
{
    m_settings.setMagnifierEnabled(!m_settings.magnifierEnabled());
    if (m_isEnabled && m_magnifierWindow) {
        if (m_settings.magnifierEnabled()) {
            m_magnifierWindow->updatePosition(m_platform.pointer().position().x(),
                                              m_platform.pointer().position().y());
            m_magnifierWindow->show();
        } else {
            m_magnifierWindow->hide();
        }
    }
    updateMenu();
}

void AppDelegate::toggleLaunchAtLogin()
{
    // Asked from the tray menu: the HUD is where the answer can be seen.
    if (const std::optional<QString> error = LaunchAtLogin::setEnabled(!LaunchAtLogin::isEnabled()))
        HUDNotification::shared().show(*error);
    updateMenu();
}

namespace {
void bringToFront(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

void centreOnPrimary(QWidget *window)
{
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
}
} // namespace

void AppDelegate::showPreferences()
{
    if (!m_preferencesWindow) {
        auto *window = createPreferencesWindow(m_settings);
        if (!m_hasTray)
            setPreferencesNotice(window, QStringLiteral("No system tray is available: use this window, "
                                                        "the shortcuts or the tovani command."));
        m_preferencesWindow = window;
        centreOnPrimary(window);
    }
    bringToFront(m_preferencesWindow);
}

void AppDelegate::showAbout()
{
    if (!m_aboutWindow) {
        auto *window = createAboutWindow();
        m_aboutWindow = window;
        centreOnPrimary(window);
    }
    bringToFront(m_aboutWindow);
}

void AppDelegate::quit() { Q_EMIT quitRequested(); }

QString AppDelegate::runCommand(const QString &command)
{
    bool changedSettings = false;
    const QMetaObject::Connection watch =
        connect(&m_settings, &AppSettings::changed, this, [&changedSettings] { changedSettings = true; });
    QString reply = dispatchCommand(command);
    disconnect(watch);
    if (!changedSettings || reply != u"ok")
        return reply;
    // Written now rather than in a moment, so the answer can say whether the
    // change was kept: it shows on screen, but would be gone at the next start.
    const int failedSavesBefore = m_settings.failedSaves();
    m_settings.flush();
    if (m_settings.failedSaves() > failedSavesBefore)
        return QStringLiteral("error: the change was not saved: %1").arg(m_settings.saveError());
    return reply;
}

QString AppDelegate::dispatchCommand(const QString &command)
{
    const QStringList words = command.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString verb = words.value(0);
    if (verb == u"launch" && words.size() == 1) {
        showPreferences();
    } else if (verb == u"style" && words.size() == 2) {
        bool ok = false;
        const int number = words.at(1).toInt(&ok);
        if (!ok || !LineStyles::fromIndex(number - 1))
            return QStringLiteral("error: unknown style \"%1\"").arg(words.at(1));
        selectStyleByIndex(number - 1);
    } else if (words.size() != 1) {
        return QStringLiteral("error: unknown command \"%1\"").arg(command);
    } else if (verb == u"toggle") {
        toggleGuide();
    } else if (verb == u"cycle-style") {
        cycleStyle();
    } else if (verb == u"thicker") {
        increaseThickness();
    } else if (verb == u"thinner") {
        decreaseThickness();
    } else if (verb == u"brackets") {
        toggleVerticalGuides();
    } else if (verb == u"magnifier") {
        toggleMagnifier();
    } else if (verb == u"preferences") {
        showPreferences();
    } else if (verb == u"about") {
        showAbout();
    } else if (verb == u"quit") {
        // Answer first; the sender is waiting for the reply.
        QTimer::singleShot(0, this, &AppDelegate::quit);
    } else {
        return QStringLiteral("error: unknown command \"%1\"").arg(command);
    }
    return QStringLiteral("ok");
}

// ---------------------------------------------------------------------------
// Tray item

void AppDelegate::setupMenuBar()
{
    m_hasTray = QSystemTrayIcon::isSystemTrayAvailable();
    m_statusItem = new QSystemTrayIcon(this);
    updateStatusIcon();
    // A click on the icon opens the menu, as a right click does.
    connect(m_statusItem, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if ((reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::MiddleClick) && m_menu)
            m_menu->popup(QCursor::pos());
    });
    buildMenu();
    m_statusItem->setContextMenu(m_menu);
    updateMenu();
    m_statusItem->show();
}

void AppDelegate::buildMenu()
{
    m_menu = new QMenu;
    m_menu->setObjectName(QStringLiteral("statusMenu"));

    auto add = [this](const QString &title, void (AppDelegate::*slot)()) {
        QAction *action = m_menu->addAction(title);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    auto addSwitch = [&add](const QString &title, void (AppDelegate::*slot)()) {
        QAction *action = add(title, slot);
        action->setCheckable(true);
        return action;
    };
    m_guideAction = addSwitch(QStringLiteral("Enable Reading Guide"), &AppDelegate::toggleGuide);
    m_bracketsAction = addSwitch(QStringLiteral("Crosshair Brackets"), &AppDelegate::toggleVerticalGuides);
    m_magnifierAction = addSwitch(QStringLiteral("Magnifier"), &AppDelegate::toggleMagnifier);
    m_menu->addSeparator();

    QMenu *styles = m_menu->addMenu(QStringLiteral("Style"));
    for (LineStyle style : LineStyles::allCases) {
        const QString name = LineStyles::rawValue(style);
        QAction *item = styles->addAction(name);
        item->setShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + LineStyles::index(style))));
        item->setData(name);
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, item] { selectStyle(item->data()); });
        m_styleActions.append(item);
    }
    m_menu->addSeparator();

    add(QStringLiteral("Preferences..."), &AppDelegate::showPreferences)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    m_menu->addSeparator();

    // The shortcut list, shown while the global shortcuts are on; its texts
    // are filled in by updateMenu().
    for (int row = 0; row < 5; ++row) {
        QAction *info = m_menu->addAction(QString());
        info->setEnabled(false);
        m_shortcutActions.append(info);
    }
    m_shortcutActions.append(m_menu->addSeparator());

    m_loginAction = addSwitch(QStringLiteral("Launch at Login"), &AppDelegate::toggleLaunchAtLogin);
    m_menu->addSeparator();
    add(QStringLiteral("About Tovani"), &AppDelegate::showAbout);
    add(QStringLiteral("Quit Tovani"), &AppDelegate::quit)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
}

void AppDelegate::updateMenu()
{
    if (!m_menu)
        return;
    // A triggered switch has flipped its own tick already; each is set from
    // the state again, so a refused change shows as it really is.
    m_guideAction->setText(m_isEnabled ? QStringLiteral("Reading Guide Enabled")
                                       : QStringLiteral("Enable Reading Guide"));
    m_guideAction->setChecked(m_isEnabled);
    m_bracketsAction->setChecked(m_settings.verticalGuidesEnabled());
    m_magnifierAction->setChecked(m_settings.magnifierEnabled());
    const int current = LineStyles::index(m_settings.currentStyle());
    for (int i = 0; i < m_styleActions.size(); ++i)
        m_styleActions.at(i)->setChecked(i == current);

    const bool listShortcuts = m_settings.globalHotkeysEnabled();
    if (listShortcuts) {
        auto inUse = [this](std::initializer_list<int> ids) {
            for (int id : ids) {
                if (m_refusedHotkeys.contains(id))
                    return QStringLiteral(" (in use)");
            }
            return QString();
        };
        const QStringList texts = {
            QStringLiteral("Shortcuts:"),
            QStringLiteral("  %1  Toggle guide%2")
                .arg(nativeText(Qt::CTRL | Qt::SHIFT | Qt::Key_R), inUse({1})),
            QStringLiteral("  %1-5  Switch style%2")
                .arg(nativeText(Qt::CTRL | Qt::Key_1), inUse({5, 6, 7, 8, 9})),
            QStringLiteral("  %1  Cycle styles%2")
                .arg(nativeText(Qt::CTRL | Qt::SHIFT | Qt::Key_T), inUse({2})),
            QStringLiteral("  %1/-  Adjust size%2")
                .arg(nativeText(Qt::CTRL | Qt::SHIFT | Qt::Key_Plus), inUse({3, 4})),
        };
        for (int row = 0; row < texts.size(); ++row)
            m_shortcutActions.at(row)->setText(texts.at(row));
    }
    for (QAction *action : std::as_const(m_shortcutActions))
        action->setVisible(listShortcuts);

    m_loginAction->setChecked(LaunchAtLogin::isEnabled());
}

QString AppDelegate::toolTip() const
{
    return QStringLiteral("Tovani (%1)\nStyle: %2\n%3 to toggle")
        .arg(m_isEnabled ? QStringLiteral("ON") : QStringLiteral("OFF"), LineStyles::rawValue(m_settings.currentStyle()),
             nativeText(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
}

void AppDelegate::updateStatusIcon()
{
    if (!m_statusItem)
        return;
    // Painted again only when the desktop's palette changed since.
    const QPalette palette = QGuiApplication::palette();
    if (m_trayIcons[0].isNull() || m_trayIconPalette != palette.cacheKey()) {
        m_trayIcons = {createMenuBarIcon(false, palette), createMenuBarIcon(true, palette)};
        m_trayIconPalette = palette.cacheKey();
    }
    const QIcon &icon = m_trayIcons[m_isEnabled ? 1 : 0];
    if (m_statusItem->icon().cacheKey() != icon.cacheKey())
        m_statusItem->setIcon(icon);
    m_statusItem->setToolTip(toolTip());
}

void AppDelegate::paintMenuBarIcon(QPainter &painter, bool enabled, const QPalette &palette)
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

QIcon AppDelegate::createMenuBarIcon(bool enabled, const QPalette &palette)
{
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap(18 * scale, 18 * scale);
        pixmap.fill(Qt::transparent);
        {
            QPainter painter(&pixmap);
            painter.scale(scale, scale);
            paintMenuBarIcon(painter, enabled, palette);
        }
        icon.addPixmap(pixmap);
    }
    return icon;
}

// ---------------------------------------------------------------------------
// Global hot keys

std::optional<int> &AppDelegate::hotkeyField(int id)
{
    switch (id) {
    case 1:
        return m_hotkeyRef;
    case 2:
        return m_themeHotkeyRef;
    case 3:
        return m_increaseHotkeyRef;
    case 4:
        return m_decreaseHotkeyRef;
    default:
        return m_styleHotkeyRefs[static_cast<size_t>(id - 5)];
    }
}

void AppDelegate::setupGlobalHotkey()
{
    // Registering while registered would leave the old grabs behind.
    unregisterHotkey();
    platform::HotkeyService &service = m_platform.hotkeys();
    for (const HotkeyEntry &entry : hotkeyTable) {
        const platform::HotkeyService::Key key{QString::fromLatin1(entry.xkbKeyName), entry.modifiers,
                                               nativeText(entry.shown)};
        if (service.registerHotkey(entry.id, key))
            hotkeyField(entry.id) = entry.id;
        else
            m_refusedHotkeys.insert(entry.id);
    }
}

void AppDelegate::unregisterHotkey()
{
    platform::HotkeyService &service = m_platform.hotkeys();
    for (const HotkeyEntry &entry : hotkeyTable) {
        // Refused combinations too: the service keeps asking for them after
        // keyboard changes until they are released.
        if (hotkeyField(entry.id) || m_refusedHotkeys.contains(entry.id))
            service.unregisterHotkey(entry.id);
        hotkeyField(entry.id).reset();
    }
    m_refusedHotkeys.clear();
}

void AppDelegate::handleHotkey(int id, bool autoRepeat)
{
    // A held key repeats: the size keeps stepping, but a toggle or a style
    // pick happens once per press.
    if (autoRepeat && id != 3 && id != 4)
        return;
    switch (id) {
    case 1:
        toggleGuide();
        break;
    case 2:
        cycleStyle();
        break;
    case 3:
        increaseThickness();
        break;
    case 4:
        decreaseThickness();
        break;
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
        selectStyleByIndex(id - 5);
        break;
    default:
        break;
    }
}
