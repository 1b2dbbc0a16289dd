#include "overlay/OverlayManager.h"

#include <QApplication>

#include <memory>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);

    // Until the application shell exists: TOVANI_GUIDE_ON=1 switches the guide
    // on at launch.
    std::unique_ptr<OverlayManager> overlays;
    if (qEnvironmentVariableIntValue("TOVANI_GUIDE_ON") == 1) {
        overlays = std::make_unique<OverlayManager>();
        overlays->setupOverlay();
        overlays->setupMouseTracker();
        overlays->enableGuide();
    }
    return overlays ? app.exec() : 0;
}
