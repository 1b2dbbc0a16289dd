// The platform for any Qt platform but xcb (Wayland, offscreen, ...): displays
// and window flags come from Qt; the pointer outside Tovani's windows, global
// hot keys and pictures of the desktop cannot be had, and the services say so.
#include "platform/Backends.h"
#include "platform/qt/QtDisplays.h"
#include "platform/qt/QtSurfaces.h"
#include "platform/qt/Unavailable.h"

#include <QGuiApplication>
#include <QWidget>

namespace platform {

namespace {

class QtOnlyPlatform : public Platform
{
public:
    QtOnlyPlatform()
    {
        m_loginItem = createXdgAutostart(QString(), QString());
        m_surfaces = createQtGuideSurfaces([this](QWidget *w) { prepareWindow(w, WindowRole::GuideOverlay); });
    }

    QString name() const override { return QStringLiteral("qt"); }
    QString pointerSource() const override { return QStringLiteral("none"); }
    Displays &displays() override { return m_displays; }
    PointerMonitor &pointer() override { return m_pointer; }
    HotkeyService &hotkeys() override { return m_hotkeys; }
    LoginItem &loginItem() override { return *m_loginItem; }
    GuideSurfaces &guideSurfaces() override { return *m_surfaces; }
    std::unique_ptr<ScreenCapture> createScreenCapture() override
    {
        return std::make_unique<UnavailableCapture>(
            QStringLiteral("screen capture needs an X11 session (Qt platform \"%1\")")
                .arg(QGuiApplication::platformName()));
    }

    Capability capability(Feature feature) override
    {
        switch (feature) {
        case Feature::Pointer:
            return Capability::missing(
                QCoreApplication::translate(
                    "AppDelegate",
                    "Tovani runs on Wayland directly, where it cannot see the pointer outside its own "
                    "windows or take global keyboard shortcuts, and the magnifier cannot show the "
                    "screen: the guide does not follow the pointer.\n\n"
                    "Log in with an X11 session (often called \"Xorg\" on the login screen), or start "
                    "Tovani with QT_QPA_PLATFORM=xcb to follow the pointer over X11 programs."),
                true);
        case Feature::HoldGuide:
            return {};
        case Feature::Magnifier:
        case Feature::ScreenCapture:
            return Capability::missing(QCoreApplication::translate("MagnifierView", "Needs an X11 session"));
        }
        return {};
    }
    bool hasXInput2() const override { return false; }
    // Wayland compositors always blend; elsewhere nothing says one runs.
    bool hasCompositor() const override { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }
    // Qt asks the window system; what a Wayland compositor does with it is
    // its own affair, as for every other Qt program.
    bool canPlaceWindows() const override { return true; }
    bool isTrusted() const override { return false; }

private:
    QtDisplays m_displays;
    UnavailablePointer m_pointer;
    UnavailableHotkeys m_hotkeys;
    std::unique_ptr<LoginItem> m_loginItem;
    std::unique_ptr<GuideSurfaces> m_surfaces;
};

} // namespace

std::unique_ptr<Platform> createQtPlatform() { return std::make_unique<QtOnlyPlatform>(); }

} // namespace platform
