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

    // The guide held on the row `at`.y() (global), or with a line height on
    // the line from there (its pieces drawn for that line), until the shell
    // lets go as `until` says; follow() gives it back to the pointer. False
    // when the row lies on no display.
    bool hold(const QPointF &at, double lineHeight, platform::ShellGuide::Until until);
    void follow();

    // The pieces of every display for the current settings.
    static QList<platform::ShellGuide::Piece> pieces(const QList<platform::Display> &displays,
                                                     const AppSettings &settings, QColor *shade,
                                                     double lineHeight = 0);

private:
    void update();

    platform::ShellGuide &m_shell;
    platform::Displays &m_displays;
    AppSettings &m_settings;
    bool m_visible = false;
    bool m_magnifier = false;
    double m_lineHeight = 0; // of the line the pieces are drawn for, 0 at the pointer
};
