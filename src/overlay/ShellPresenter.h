#pragma once

// The guide where the desktop shell shows it and moves it with the pointer
// itself (platform::ShellGuide, GNOME): ShellOverlay hands the shell the
// guide's pictures, and the shell shows its own magnifier. The line guide's
// placements become holds on a row, made once the line guide has settled
// its mode (on a line, detached, locked) or given back to the pointer; the
// shell tells the line guide where the pointer rests and when it let go.

#include "overlay/GuidePresenter.h"
#include "overlay/ShellOverlay.h"

#include <memory>

class AppSettings;
class LineGuide;

class ShellPresenter : public GuidePresenter
{
    Q_OBJECT
public:
    ShellPresenter(platform::ShellGuide &shell, platform::Displays &displays, AppSettings &settings,
                   LineGuide &lines, QObject *parent = nullptr);
    ~ShellPresenter() override;

    // Hands the shell the pictures, and listens to it.
    void setUp() override;
    bool needsPointerTracker() const override { return false; }
    // False where the shell cannot hold the guide.
    bool place(const QPointF &at, double lineHeight) override;
    void show() override;
    // Also gives the guide back to the pointer.
    void hide() override;
    void setMagnifierVisible(bool visible) override;
    // The pictures follow the displays by themselves (ShellOverlay), and the
    // shell keeps what it holds.
    bool displaysChanged() override { return false; }
    void setCompositing(bool /*running*/) override {}

private:
    void sync();

    platform::ShellGuide &m_shell;
    platform::Displays &m_displays;
    AppSettings &m_settings;
    LineGuide &m_lines;
    std::unique_ptr<ShellOverlay> m_overlay; // from setUp() on
    QPointF m_at;                            // the last placement asked
    double m_lineHeight = 0;
    bool m_pending = false;
};
