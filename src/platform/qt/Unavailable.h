#pragma once

// Services the Qt-only fallback cannot provide (Qt knows the pointer only
// over Tovani's own windows, and has no global hot keys and no pictures of
// the desktop). Each says so plainly: start() and registerHotkey() return
// false, setup() fails with a reason. Nothing here pretends to work.

#include "platform/Platform.h"

namespace platform {

class UnavailablePointer : public PointerMonitor
{
    Q_OBJECT
public:
    // The position Qt last saw (within Tovani's own windows only).
    QPointF position() const override;
    bool start() override { return false; }
    void stop() override {}
    bool isRunning() const override { return false; }
};

class UnavailableHotkeys : public HotkeyService
{
    Q_OBJECT
public:
    // `hint`: where the desktop binds keys to commands (see bindingHint()).
    explicit UnavailableHotkeys(QString hint = QString()) : m_hint(std::move(hint)) {}
    bool isAvailable() const override { return false; }
    QString bindingHint() const override { return m_hint; }
    bool registerHotkey(int, const Key &) override { return false; }
    void unregisterHotkey(int) override {}
    bool isRegistered(int) const override { return false; }

private:
    QString m_hint;
};

class UnavailableCapture : public ScreenCapture
{
    Q_OBJECT
public:
    explicit UnavailableCapture(QString reason) : m_reason(std::move(reason)) {}
    bool setup(QString *error) override;
    // Answers every request with a null image (a failed capture), later on the
    // main thread like a real capture.
    void capture(quint64 requestId, const QRectF &, const QSize &, WId) override;
    bool canExcludeWindows() const override { return false; }

private:
    QString m_reason;
};

} // namespace platform
