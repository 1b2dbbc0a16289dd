#pragma once

// The guide where the desktop shell moves it with the pointer itself
// (platform::ShellGuide): for each display, the pieces DisplayGuide would
// place, drawn once for a guide at the display's middle, with their offsets
// from the pointer. They are drawn and handed over again only when the
// settings, the displays or the shell's side change; a move costs Tovani
// nothing.

#include "platform/Platform.h"

#include <QObject>

class AppSettings;

class ShellOverlay : public QObject
{
    Q_OBJECT
public:
    ShellOverlay(platform::ShellGuide &shell, platform::Displays &displays, AppSettings &settings,
                 QObject *parent = nullptr);

    void setVisible(bool visible);
    bool isVisible() const { return m_visible; }
    // The shell's magnifier, sized as MagnifierWindow sizes its window.
    void setMagnifierVisible(bool visible);

    // The pieces of every display for the current settings.
    static QList<platform::ShellGuide::Piece> pieces(const QList<platform::Display> &displays,
                                                     const AppSettings &settings, QColor *shade);

private:
    void update();

    platform::ShellGuide &m_shell;
    platform::Displays &m_displays;
    AppSettings &m_settings;
    bool m_visible = false;
    bool m_magnifier = false;
};
