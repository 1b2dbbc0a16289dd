#pragma once

// Tovani's own name on the session bus, org.tovani.Tovani. It is asked for
// once, by the first part of Tovani that needs it, and held until Tovani
// exits: the KWin script reports the pointer to it, and Tovani's GNOME Shell
// extension serves its owner alone. A program that holds it first keeps it;
// Tovani waits in the bus's queue and gets it when that program goes.

#include <QObject>

namespace platform {

inline constexpr const char *tovaniBusName = "org.tovani.Tovani";

class TovaniBusName : public QObject
{
    Q_OBJECT
public:
    // The name on the session bus, asked for on the first call.
    static TovaniBusName &instance();

    bool isOwned() const { return m_owned; }

Q_SIGNALS:
    void ownedChanged(bool owned);

private:
    TovaniBusName();
    void setOwned(bool owned);

    bool m_owned = false;
};

} // namespace platform
