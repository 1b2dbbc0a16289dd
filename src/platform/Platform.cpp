#include "platform/Platform.h"

#include "platform/Backends.h"
#include "platform/FakePlatform.h"

namespace platform {

namespace {
Platform *g_instance = nullptr;
}

QRectF Displays::toQt(const QRectF &globalRect) const
{
    // The top-left corner in Qt's space is the global top-left (y up: top = y + height).
    const QPointF topLeft = toQt(QPointF(globalRect.left(), globalRect.top() + globalRect.height()));
    return QRectF(topLeft, globalRect.size());
}

QRectF Displays::fromQt(const QRectF &qtRect) const
{
    const QPointF bottomLeft = fromQt(QPointF(qtRect.left(), qtRect.top() + qtRect.height()));
    return QRectF(bottomLeft, qtRect.size());
}

std::unique_ptr<Platform> Platform::create()
{
    if (qEnvironmentVariable("TOVANI_PLATFORM") == QLatin1String("fake"))
        return std::make_unique<FakePlatform>();
    return createDesktopPlatform();
}

Platform &Platform::instance()
{
    if (!g_instance) {
        static std::unique_ptr<Platform> created = create();
        g_instance = created.get();
    }
    return *g_instance;
}

void Platform::setInstance(Platform *platform) { g_instance = platform; }

} // namespace platform
