#pragma once

// Tovani's own name on the session bus, org.tovani.Tovani. The backend that
// needs it makes one, when it first needs the name, and hands it to its
// parts; the name is held until Tovani exits. The KWin script reports the
// pointer to it, and Tovani's GNOME Shell extension serves its owner alone.
// A program that holds it first keeps it; Tovani waits in the bus's queue
// and gets it when that program goes.

#include <QObject>

namespace platform {

inline constexpr const char *tovaniBusName = "org.tovani.Tovani";

class TovaniBusName : public QObject
{
    Q_OBJECT
public:
    // Asks for the name on the session bus.
    explicit TovaniBusName(QObject *parent = nullptr);

    bool isOwned() const { return m_owned; }

Q_SIGNALS:
    void ownedChanged(bool owned);

private:
    void setOwned(bool owned);

    bool m_owned = false;
};

} // namespace platform
