#include "overlay/OverlayManager.h"

#include <QApplication>

#include <memory>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);

    // Until the application shell exists: with TOVANI_GUIDE_ON set the
    // overlays are built and the process keeps running; 1 switches the guide
    // on at launch, anything else leaves it off.
    if (!qEnvironmentVariableIsSet("TOVANI_GUIDE_ON"))
        return 0;
    OverlayManager overlays;
    overlays.setupOverlay();
    overlays.setupMouseTracker();
    if (qEnvironmentVariableIntValue("TOVANI_GUIDE_ON") == 1)
        overlays.enableGuide();
    return app.exec();
}
