#pragma once

// A scripted platform for tests: displays, pointer, hot keys, capture, login
// item and window set-up are plain data the test sets and inspects. Built into
// the test-support library only; the application never contains it.

#include "platform/Platform.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>
#include <QWidget>

#include <utility>

namespace platform {

class FakeDisplays : public Displays
{
    Q_OBJECT
public:
    QList<Display> displays() const override { return m_displays; }
    std::optional<Display> mainDisplay() const override { return m_displays.isEmpty() ? std::nullopt : std::optional(m_displays.first()); }

    // Replaces the arrangement and emits displaysChanged(). The first display
    // is the primary one; setFrames() names them FAKE0, FAKE1, ... at ratio 1.
    void setDisplays(const QList<Display> &displays) { m_displays = displays, Q_EMIT displaysChanged(); }
    void setFrames(const QList<QRectF> &frames);

private:
    QList<Display> m_displays;
};

class FakePointer : public PointerMonitor
{
    Q_OBJECT
public:
    QPointF position() const override { return m_position; }
    bool start() override { return ++m_startCount, m_running = m_startable; }
    void stop() override { m_running = false; }
    bool isRunning() const override { return m_running; }

    void setPosition(const QPointF &p) { m_position = p; }
    // Moves the pointer; emits moved() only while running, like the real one.
    void moveTo(const QPointF &p) { m_position = p, m_running ? Q_EMIT moved() : void(); }
    void setStartable(bool startable) { m_startable = startable; }
    int startCount() const { return m_startCount; }

private:
    QPointF m_position;
    bool m_running = false, m_startable = true;
    int m_startCount = 0;
};

class FakeHotkeys : public HotkeyService
{
    Q_OBJECT
public:
    bool isAvailable() const override { return true; }
    bool registerHotkey(int id, const Key &key) override;
    void unregisterHotkey(int id) override { m_registered.remove(id); }
    bool isRegistered(int id) const override { return m_registered.contains(id); }
    QString boundKeyText(int id) const override { return bound.value(id); }
    QString bindingHint() const override { return hint; }
    // What a desktop that binds the keys itself bound, by id, and its hint.
    QHash<int, QString> bound;
    QString hint;

    // Combinations "held by another client" by key name, e.g. "AD05".
    void setTaken(const QString &name, bool taken) { taken ? void(m_taken << name) : void(m_taken.remove(name)); }
    // Simulates a press; delivered only for registered ids.
    void press(int id, bool autoRepeat = false) { m_registered.contains(id) ? Q_EMIT activated(id, autoRepeat) : void(); }
    QHash<int, Key> registered() const { return m_registered; }

private:
    QHash<int, Key> m_registered;
    QSet<QString> m_taken;
};

class FakeCapture : public ScreenCapture
{
    Q_OBJECT
public:
    struct Request
    {
        quint64 id;
        QRectF source;
        QSize outputPixels;
        WId exclude;
    };
    FakeCapture(QString error, bool excludes) : m_error(std::move(error)), m_excludes(excludes) {}
    bool setup(QString *error) override { return m_error.isEmpty() || (error && (*error = m_error, false)); }
    void capture(quint64 id, const QRectF &source, const QSize &outputPixels, WId exclude) override
    {
        m_requests.append({id, source, outputPixels, exclude});
    }
    // False: the magnifier would show up in its own pictures.
    bool canExcludeWindows() const override { return m_excludes; }

    QList<Request> requests() const { return m_requests; }
    // Delivers the result of a pending request (any order).
    void finish(quint64 requestId, const QImage &image) { Q_EMIT captured(requestId, image); }

private:
    QList<Request> m_requests;
    QString m_error;
    bool m_excludes;
};

class FakeSurfaces;

class FakeSurface : public GuideSurface
{
public:
    FakeSurface(FakeSurfaces &owner, const Display &display) : owner(owner), display(display) {}
    ~FakeSurface() override;
    void setImage(const QImage &i) override { image = i, color = QColor(); }
    void setColor(const QColor &c) override { image = QImage(), color = c; }
    void setClearRect(const QRectF &rect) override { clear = rect; }
    void setGeometry(const QRectF &rect) override { geometry = rect; }
    void setVisible(bool v) override { visible = v; }

    FakeSurfaces &owner;
    Display display;
    QImage image;
    QColor color;
    QRectF geometry, clear;
    bool visible = false;
};

class FakeSurfaces : public GuideSurfaces
{
public:
    std::unique_ptr<GuideSurface> create(const Display &display) override;
    void commit() override { ++commits; }

    // What the window system would show on `display`: its visible surfaces in
    // stacking order over transparent pixels, at the display's pixel ratio.
    QImage compose(const Display &display) const;
    // The live surfaces, oldest (lowest) first.
    QList<FakeSurface *> surfaces;
    int commits = 0;
};

class FakeLoginItem : public LoginItem
{
public:
    bool isEnabled() const override { return m_enabled; }
    // Refused with the failure's text while one is set.
    bool setEnabled(bool enabled, QString *error) override
    {
        if (error && !m_failure.isEmpty()) *error = m_failure;
        return m_failure.isEmpty() && (m_enabled = enabled, true);
    }

    void setFailure(const QString &error) { m_failure = error; }
    void setEnabledDirectly(bool enabled) { m_enabled = enabled; }

private:
    bool m_enabled = false;
    QString m_failure;
};

class FakePlatform : public Platform
{
public:
    QString name() const override { return QStringLiteral("fake"); }
    QString pointerSource() const override { return QStringLiteral("fake"); }
    Displays &displays() override { return fakeDisplays; }
    PointerMonitor &pointer() override { return fakePointer; }
    HotkeyService &hotkeys() override { return fakeHotkeys; }
    LoginItem &loginItem() override { return fakeLoginItem; }
    GuideSurfaces &guideSurfaces() override { return fakeSurfaces; }
    std::unique_ptr<ScreenCapture> createScreenCapture() override;

    // The magnifier captures where it is X11, as there.
    Capability capability(Feature feature) override;
    bool hasXInput2() const override { return true; }
    bool hasCompositor() const override { return compositor; }
    bool isTrusted() const override { return true; }
    bool canPlaceWindows() const override { return placesWindows; }

    FakeDisplays fakeDisplays;
    FakePointer fakePointer;
    FakeHotkeys fakeHotkeys;
    FakeLoginItem fakeLoginItem;
    FakeSurfaces fakeSurfaces;
    bool compositor = true, x11 = false, placesWindows = true;
    // What the next capture engines are like: a set-up error, or unable to
    // leave a window out of their pictures.
    QString captureError;
    bool captureExcludes = true;
    // The engines handed out by createScreenCapture(), for inspection.
    QList<FakeCapture *> captures;
};

} // namespace platform
