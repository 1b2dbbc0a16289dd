// Placeholder until the X11 backend lands: the desktop platform is the fake one.
#include "platform/Backends.h"
#include "platform/FakePlatform.h"

namespace platform {
std::unique_ptr<Platform> createDesktopPlatform() { return std::make_unique<FakePlatform>(); }
} // namespace platform
