// The login item as an XDG autostart entry. Placeholder until the autostart
// file service lands: it behaves like the scripted login item.
#include "platform/Backends.h"
#include "platform/FakePlatform.h"

namespace platform {
std::unique_ptr<LoginItem> createXdgAutostart(const QString &, const QString &)
{
    return std::make_unique<FakeLoginItem>();
}
} // namespace platform
