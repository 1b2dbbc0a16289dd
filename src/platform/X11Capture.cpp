// Screen capture on X11. Placeholder until the MIT-SHM capture lands: setup()
// fails with a reason and every request answers with a null image.
#include "platform/Backends.h"
#include "platform/Unavailable.h"

namespace platform {
std::unique_ptr<ScreenCapture> createX11Capture()
{
    return std::make_unique<UnavailableCapture>(QStringLiteral("screen capture is not available on this display"));
}
} // namespace platform
