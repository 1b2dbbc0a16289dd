#pragma once

// The services the rest of Tovani needs from the desktop, behind small
// interfaces: displays, the pointer, global hot keys, screen capture, the login
// item, how Tovani's own windows are set up, and a few capability queries.
// Everything above this folder sees these classes only. The backends live in
// subfolders, each a library of its own: x11/ (the only code that talks to the
// X server), wayland/ (layer-shell compositors), kwin/ and portal/ (the
// pointer and shortcuts there), gnome/ (GNOME Shell, through Tovani's Shell
// extension) and qt/ (what Qt alone can do, for any other Qt platform).
//
// Coordinates: every point and rectangle that crosses these interfaces is in
// Qt's global logical coordinates ("global coordinates"): device-independent
// pixels, y down, the same space as QWidget::geometry() of a top-level window.
// Backends convert to their own device or protocol coordinates internally.

#include "platform/Geometry.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QWindow>

#include <memory>
#include <optional>
#include <variant>

class QWidget;

namespace platform {

class Displays : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    // The connected displays in a stable order; index i of overlay windows
    // belongs to display i.
    virtual QList<Display> displays() const = 0;
    // The primary display, if there is one.
    virtual std::optional<Display> mainDisplay() const = 0;

Q_SIGNALS:
    // The arrangement changed (a display added, removed, moved or resized).
    void displaysChanged();
    // A compositing manager started (true) or stopped (false) on these
    // displays: translucent windows blend from now on, or no longer do.
    void compositorChanged(bool running);
};

class PointerMonitor : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    // Where the pointer is now, in global coordinates.
    virtual QPointF position() const = 0;
    // Starts reporting moves made anywhere on the desktop. Returns false when
    // the monitor cannot run here (it then reports nothing).
    virtual bool start() = 0;
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;

Q_SIGNALS:
    // The pointer moved; position() says where it is now. Emitted once after
    // each call of position() (or start()) at the first motion, and not again
    // until position() is called: a listener that reads the position once per
    // frame hears of the pointer at most once per frame, and a backend that
    // must ask the window system for the position asks as rarely.
    void moved();
};

class HotkeyService : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    struct Key
    {
        QString xkbKeyName;              // physical key position, e.g. "AD04" (US R)
        Qt::KeyboardModifiers modifiers; // Qt::ControlModifier | Qt::ShiftModifier ...
        QString displayText;             // for people: "Ctrl+Shift+R"
        // For desktops that bind shortcuts themselves and remember the
        // person's choice by name (the XDG desktop portal): a name that stays
        // the same between versions ("toggle", "style-2"), and what it does.
        QString name;
        QString description;
    };
    virtual bool isAvailable() const = 0;
    // Takes the combination system-wide under id. False when it cannot: the
    // combination is held by another client, or no key sits at that position.
    // Registering an id that is registered releases the old grab first.
    virtual bool registerHotkey(int id, const Key &key) = 0;
    virtual void unregisterHotkey(int id) = 0;
    virtual bool isRegistered(int id) const = 0;
    // The combination that runs id as the desktop bound it, for people, where
    // the desktop chooses (the person may bind another key than the one asked
    // for, or none); empty where the key asked for is the key taken.
    virtual QString boundKeyText(int id) const
    {
        Q_UNUSED(id);
        return {};
    }
    // Where there are no global hot keys (isAvailable() is false): which
    // setting of the desktop binds a key to a command line ("tovani
    // toggle") instead, as a sentence for the preferences; empty when there
    // is nothing to say.
    virtual QString bindingHint() const { return {}; }

Q_SIGNALS:
    // On the main thread, once per press; autoRepeat is true for the repeats of
    // a held key.
    void activated(int id, bool autoRepeat);
    // A registered combination was lost or taken again after the keyboard
    // changed (new layout, keyboard plugged in): isRegistered(id) now returns
    // `registered`. Not emitted for the result of registerHotkey() itself.
    void registrationChanged(int id, bool registered);
};

class ScreenCapture : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    // Prepares capturing. False, with a reason in *error, when no picture of
    // the desktop can be taken here.
    virtual bool setup(QString *error) = 0;
    // Starts one capture of `source` (global coordinates) scaled smoothly to
    // outputPixels. `exclude` is left out of the picture where the backend can
    // (see canExcludeWindows). The result arrives as captured() on the main
    // thread; a null image means the capture failed.
    virtual void capture(quint64 requestId, const QRectF &source, const QSize &outputPixels, WId exclude) = 0;
    virtual bool canExcludeWindows() const = 0;

Q_SIGNALS:
    void captured(quint64 requestId, QImage image);
};

// One piece of the guide on the desktop: a picture, or a plain colour, shown
// above other applications' windows, click-through and never focused. The
// window system keeps its pixels, so moving or resizing it draws nothing
// again. Nothing reaches the screen before GuideSurfaces::commit().
class GuideSurface
{
public:
    virtual ~GuideSurface() = default;
    // Shows `image` (premultiplied ARGB, drawn at its device pixel ratio); the
    // surface takes the picture's size. Without a compositor the picture is
    // cut to its pixels whose alpha is not 0, and they show opaque.
    virtual void setImage(const QImage &image) = 0;
    // Shows a plain colour over the whole surface instead, at any size.
    virtual void setColor(const QColor &color) = 0;
    // For a colour: leaves `rect` (global coordinates) clear, so that what
    // lies beneath shows there; an empty rectangle fills the whole surface.
    // Moving the clear rectangle changes only the pixels it leaves and enters.
    virtual void setClearRect(const QRectF &rect) = 0;
    // Places the surface, in global coordinates: the top-left corner, and for
    // a colour the size too (a picture keeps its own).
    virtual void setGeometry(const QRectF &rect) = 0;
    virtual void setVisible(bool visible) = 0;
};

class GuideSurfaces
{
public:
    virtual ~GuideSurfaces() = default;
    // A new, hidden surface on `display`. Surfaces stack in the order they
    // were created, the newest on top, all above other applications and
    // below Tovani's magnifier and messages.
    virtual std::unique_ptr<GuideSurface> create(const Display &display) = 0;
    // Hands what the surfaces were asked since the last commit to the window
    // system at once: one commit per frame.
    virtual void commit() = 0;
};

// A part of Tovani that lives in the desktop itself and must be installed
// and switched on there before the desktop shows Tovani's guide (GNOME
// Shell's extension).
class DesktopExtension : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    enum class State {
        Active,       // it runs and shows what it is given
        Starting,     // asked; the answer has not come yet
        NotInstalled, // install() puts it in place
        Disabled,     // installed and known to the desktop, but switched off: install() switches it on
        NeedsLogin,   // installed and switched on; the desktop loads it at the next log-in
        Failed,       // the desktop could not run it; stateText() says why
    };

    virtual State state() const = 0;
    // For people: what state() means here and what helps, one sentence.
    virtual QString stateText() const = 0;
    // Installs it for this user where it is missing and switches it on.
    // False, with the reason in *error, when that failed; state() says what
    // happens next.
    virtual bool install(QString *error) = 0;

Q_SIGNALS:
    void stateChanged();
};

// The guide where the desktop shell shows it and moves it with the pointer
// itself (GNOME Shell, which tells no program where the pointer is, through
// an extension of Tovani's): Tovani hands over each display's pictures when
// they change, and hears of no move. The shell shows only the pieces of the
// display under the pointer.
class ShellGuide : public DesktopExtension
{
    Q_OBJECT
public:
    using DesktopExtension::DesktopExtension;

    enum class Anchor {
        Row,     // x from the display's left edge, y from the pointer's row
        Pointer, // x and y from the pointer
    };
    struct Piece
    {
        int display = 0; // index into Displays::displays()
        Anchor anchor = Anchor::Row;
        QPointF offset; // of the top-left corner, in points
        QImage image;   // premultiplied ARGB at the display's device pixel ratio
        bool operator==(const Piece &o) const = default;
    };

    // Replaces every piece. The colour `shade` (transparent for none) covers
    // the rest of the display under the pointer, but the rows of its Row
    // pieces. Kept, and handed over again whenever the shell's side starts.
    virtual void setPieces(const QList<Piece> &pieces, const QColor &shade) = 0;
    virtual void setVisible(bool visible) = 0;
    // An on-screen message in the shell's own style.
    virtual void showMessage(const QString &text) = 0;
    // The magnifier, drawn by the shell from the windows themselves (no
    // picture of the screen is taken): `size` points centred on the
    // pointer, showing what lies around it `zoom` times larger, framed in
    // `frame`. Kept and handed over again like the pieces.
    virtual void setMagnifier(bool visible, double zoom, const QSizeF &size, const QColor &frame) = 0;

    // Holding the guide away from the pointer, where the shell can
    // (canHold()): its Row pieces count from the row `row` (global) instead
    // of the pointer's, until release() or, by `until`, until the pointer
    // moves a few points (reattach distance) or leaves the rows row to
    // row + height. The shell lets go of its own accord only while the
    // pointer moves, and then says so with released(). While it can hold,
    // it also tells where the pointer comes to rest (pointerRested()), once
    // a rest, and nothing while the pointer moves.
    enum class Until { Moved, LeftLine, Released };
    virtual bool canHold() const { return false; }
    virtual void hold(double row, double height, Until until)
    {
        Q_UNUSED(row);
        Q_UNUSED(height);
        Q_UNUSED(until);
    }
    virtual void release() {}

Q_SIGNALS:
    // The pointer rested at `at` (global coordinates).
    void pointerRested(QPointF at);
    // The shell let go of the held guide: it follows the pointer again.
    void released();
};

// How the guide reaches the screen: on surfaces Tovani places and moves
// itself (X11, layer-shell, Qt windows), or through the desktop shell, which
// moves it with the pointer (ShellGuide). Each presenter of the guide
// handles one.
using GuideOutput = std::variant<GuideSurfaces *, ShellGuide *>;

// Whether the platform can do one thing here, and if not, why.
struct Capability
{
    bool available = true;
    // Why not, and what helps: a sentence or two for people. Empty when
    // available.
    QString reason;
    // Where not available: logging in with another session (X11) would give
    // it; else nothing Tovani or the person can change here would.
    bool otherSessionHelps = false;

    explicit operator bool() const { return available; }
    static Capability missing(const QString &reason, bool otherSessionHelps = false)
    {
        return {false, reason, otherSessionHelps};
    }
};

enum class Feature {
    // The guide follows the pointer over every application.
    Pointer,
    // Tovani places the guide itself, so it can hold it on a line of text,
    // step it from line to line and lock it.
    HoldGuide,
    // The magnifier can show the screen around the pointer, from pictures
    // of the screen or drawn by the desktop shell.
    Magnifier,
    // Pictures of the screen can be taken (createScreenCapture()), as far as
    // the platform knows before it tries.
    ScreenCapture,
};

class LoginItem
{
public:
    virtual ~LoginItem() = default;
    // Read afresh on every call.
    virtual bool isEnabled() const = 0;
    // Registers (true) or removes (false) the login item. On failure returns
    // false with the reason in *error and changes nothing.
    virtual bool setEnabled(bool enabled, QString *error) = 0;
};

// A magnifier the desktop draws itself, centred on the pointer, where Tovani
// cannot take pictures of the screen (KWin's magnifier effect). Tovani sets
// its size and zoom and switches it on and off; the desktop moves it with the
// pointer, and it never shows Tovani's own windows enlarged in a loop.
class DesktopMagnifier
{
public:
    virtual ~DesktopMagnifier() = default;
    // Whether it can show here, and if not why.
    virtual Capability capability() = 0;
    // On, `size` points around the pointer shown `zoom` times larger; or
    // off. Repeating what is on already costs nothing.
    virtual void setMagnifier(bool visible, double zoom, const QSizeF &size) = 0;
};

// Another application's top-level window under a point (Platform::windowAt),
// and how the accessibility bus's coordinates of that window relate to global
// coordinates. Accessibility coordinates are the window system's device
// pixels: SCREEN coordinates on the whole desktop (X11), or WINDOW
// coordinates from the window's top-left corner (Wayland, where only the
// compositor knows where a window is). On Wayland, `origin` is where the
// client's surface begins (inside a frame the compositor draws, or at the
// edge of a client-side shadow) and `nativeOrigin` is (0, 0); a backend
// answers windowAt() from what the compositor last told it, never by a
// round trip per question.
struct WindowAtPoint
{
    enum class Coordinates { Screen, Window };

    qint64 pid = 0; // the process that shows the window
    QRectF frame;   // global coordinates
    Coordinates coordinates = Coordinates::Screen;
    // Global point `origin` is accessibility point `nativeOrigin`; around it
    // one global unit is devicePixelRatio accessibility units.
    QPointF origin;
    QPointF nativeOrigin;
    qreal devicePixelRatio = 1;

    // A Wayland client's window, `surface` where its surface begins (both
    // global).
    static WindowAtPoint onSurface(qint64 pid, const QRectF &frame, const QPointF &surface);

    QPointF toNative(const QPointF &global) const { return pixels().toDevice(global); }
    QRectF fromNative(const QRectF &native) const { return pixels().toLogical(native); }
    DevicePixels pixels() const { return {origin, nativeOrigin, devicePixelRatio}; }
};

// What one of Tovani's own windows is for; Platform::prepareWindow() turns it
// into the window flags and hints of the window system in use.
enum class WindowRole {
    // The guide over one display: click-through, above every other window
    // (also those mapped later), never focused, no shadow, no taskbar entry.
    GuideOverlay,
    // The magnifier: like the guide, and kept above the guide it enlarges.
    Magnifier,
    // An on-screen message: a tooltip-like window above the others,
    // click-through and never focused.
    Hud,
};

class Platform
{
public:
    virtual ~Platform() = default;

    // The platform for this session, picked from the Qt platform in use (so
    // after the QGuiApplication exists): X11 when Qt runs on xcb, the Wayland
    // backend when Qt runs on a Wayland compositor with layer-shell, the
    // GNOME backend on GNOME Shell's Wayland session, otherwise a Qt-only
    // fallback whose pointer, hot-key and capture services report themselves
    // unavailable. The application owns it and destroys it before the
    // QApplication.
    static std::unique_ptr<Platform> create();
    // Before Qt connects to the display (which aborts the process when it
    // cannot): why the display server of this session can't be reached, or
    // empty when it can or when Qt will use another platform.
    static QString checkDisplayServer();
    // Before Qt connects, in a Wayland session where the user chose no Qt
    // platform: sets QT_QPA_PLATFORM to "wayland" when the compositor offers
    // layer-shell (the Wayland backend) or is GNOME Shell (the GNOME
    // backend), else to "xcb" when XWayland runs.
    static void chooseDisplayServer();

    // The backend ("x11", "wayland", "gnome-shell", "qt") and where the
    // pointer comes from ("xinput2", "kwin-script", "gnome-shell-extension",
    // "none"), for people and bug reports.
    virtual QString name() const = 0;
    virtual QString pointerSource() const = 0;
    virtual Displays &displays() = 0;
    virtual PointerMonitor &pointer() = 0;
    virtual HotkeyService &hotkeys() = 0;
    virtual LoginItem &loginItem() = 0;
    // Surfaces for the guide and for messages where Tovani cannot place
    // windows. Where the shell shows the guide, guideOutput() says so.
    virtual GuideSurfaces &guideSurfaces() = 0;
    virtual GuideOutput guideOutput() { return &guideSurfaces(); }
    virtual std::unique_ptr<ScreenCapture> createScreenCapture() = 0;

    // Makes the top-level widget `window` one of role's windows, before it is
    // first shown and before it exists natively (Qt turns most flags into
    // window attributes when it creates the window): sets its window flags,
    // replacing what it had, and adds what the window system needs besides,
    // which may create the native window. By default the portable flags
    // alone: what the window system makes of "stay on top" and "no focus" is
    // up to it (a Wayland compositor places windows itself).
    virtual void prepareWindow(QWidget *window, WindowRole role);
    // The flags every window system understands for a window of `role`;
    // backends add their own.
    static Qt::WindowFlags portableWindowFlags(WindowRole role);

    // Capabilities.
    // Whether `feature` works here, and if not, why.
    virtual Capability capability(Feature feature) = 0;
    virtual bool hasXInput2() const = 0;
    // A compositing manager runs, so translucent windows blend with what lies
    // beneath. Without one, translucent pixels would show as black.
    virtual bool hasCompositor() const = 0;
    // Tovani's own windows can be placed and kept above the others. False on
    // a Wayland compositor, which places windows itself: on-screen messages
    // are shown on guide surfaces instead.
    virtual bool canPlaceWindows() const = 0;
    // The pointer and the keyboard can be seen in every application. False for
    // an X11 client inside a Wayland session, which sees them only over X11
    // windows, for the Qt-only fallback, which sees them only over Tovani's
    // own windows and has no global hot keys, and for the Wayland backend
    // without a pointer source (the guide then moves by command).
    virtual bool isTrusted() const = 0;

    // The top-level window of another process under `point` (global
    // coordinates): the one a click there would reach, through the guide's
    // click-through windows. Nothing when that is one of Tovani's own windows
    // or it cannot be told here; canFindWindows() says whether it ever can.
    virtual bool canFindWindows() const { return false; }
    virtual std::optional<WindowAtPoint> windowAt(const QPointF &point)
    {
        Q_UNUSED(point);
        return std::nullopt;
    }
    // The window that has the keyboard focus (where the text cursor is),
    // when it belongs to another process; answered like windowAt(). Where
    // the accessibility bus gives SCREEN coordinates on the whole desktop
    // (X11) the caret needs no window, and nothing is the right answer.
    virtual std::optional<WindowAtPoint> focusedWindow() { return std::nullopt; }

    // The desktop's own magnifier, where the magnifier is the desktop's to
    // draw; null where Tovani draws it (from pictures of the screen) or the
    // shell does with the guide (ShellGuide).
    virtual DesktopMagnifier *desktopMagnifier() { return nullptr; }
    // Tovani's part inside the desktop, where the desktop needs one to show
    // the guide; null elsewhere.
    virtual DesktopExtension *extension() { return nullptr; }
    // Shows `text` as an on-screen message in the desktop's own style, where
    // it has one for Tovani. False: Tovani draws its own message.
    virtual bool showMessage(const QString &text)
    {
        Q_UNUSED(text);
        return false;
    }

protected:
    // Magnifier, where pictures come from createScreenCapture(): available
    // when a capture sets up and can leave the magnifier out of its pictures.
    Capability screenCaptureCapability();
};

} // namespace platform
