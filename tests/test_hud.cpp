// The HUD: the panel's layout (painted into an image), where the window goes
// and how it lets clicks through, and the order of showing, fading and
// replacing messages.

#include "feedback/HUDNotification.h"
#include "platform/FakePlatform.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QPainter>
#include <QtTest>

using namespace std::chrono_literals;

namespace {

QImage render(const HUDView &view)
{
    QImage image(200, 80, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    view.paint(painter, QRectF(0, 0, 200, 80));
    return image;
}

// Bounding box of the white content (text and symbol) on the dark panel.
QRect whiteBounds(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qRed(image.pixel(x, y)) > 128) box |= QRect(x, y, 1, 1);
    return box;
}

// The offscreen platform cannot set window opacity, masks or stacking and
// says so on every call; that is expected here.
QtMessageHandler g_previousHandler = nullptr;
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    g_previousHandler(type, context, message);
}

QList<HUDWindow *> visibleHudWindows()
{
    QList<HUDWindow *> windows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *hud = qobject_cast<HUDWindow *>(widget); hud && hud->isVisible())
            windows.append(hud);
    }
    return windows;
}

} // namespace

class TestHud : public QObject
{
    Q_OBJECT

private:
    platform::FakePlatform m_platform;

    // Shows a message and lets the event loop create its window.
    static HUDWindow *showNow(HUDNotification &hud, const QString &message, const QString &icon = QString())
    {
        hud.show(message, icon);
        QCoreApplication::processEvents();
        return hud.window();
    }

private Q_SLOTS:
    void initTestCase()
    {
        g_previousHandler = qInstallMessageHandler(quietHandler);
        platform::Platform::setInstance(&m_platform);
    }

    void init()
    {
        m_platform.compositor = true;
        m_platform.fakeDisplays.setFrames({QRectF(0, 0, 1920, 1080)});
    }

    // --- the panel ------------------------------------------------------------

    void contentIsCentred_data()
    {
        QTest::addColumn<QString>("icon");
        QTest::addColumn<bool>("symbol");
        QTest::newRow("symbol and text") << QStringLiteral("ruler") << true;
        QTest::newRow("text alone") << QString() << false;
        QTest::newRow("unknown symbol") << QStringLiteral("info.circle.fill") << false;
    }

    void contentIsCentred()
    {
        QFETCH(QString, icon);
        QFETCH(bool, symbol);
        const HUDView view(QStringLiteral("Ruler"), icon);
        QCOMPARE(view.showsSymbol(), symbol);
        const QRect white = whiteBounds(render(view));
        QVERIFY(!white.isEmpty());
        QVERIFY(qAbs(white.center().x() - 100) <= 3);
        QVERIFY2(qAbs(white.center().y() - 40) <= 3, qPrintable(QString::number(white.center().y())));
        // The symbol stands above the text: the content is far taller.
        QCOMPARE(white.height() > 35, symbol);
    }

    void everyStyleHasItsSymbol()
    {
        for (LineStyle style : LineStyles::allCases)
            QVERIFY2(HUDView::hasSymbol(LineStyles::hudSymbolName(style)), qPrintable(LineStyles::rawValue(style)));
    }

    // --- the window -----------------------------------------------------------

    void windowIsClickThroughAboveTheMainDisplayCentre_data()
    {
        QTest::addColumn<bool>("compositor");
        QTest::newRow("compositor") << true;
        QTest::newRow("no compositor") << false;
    }

    void windowIsClickThroughAboveTheMainDisplayCentre()
    {
        QFETCH(bool, compositor);
        m_platform.compositor = compositor;
        // The main display is the first one, wherever the others are.
        m_platform.fakeDisplays.setFrames({QRectF(0, 0, 1920, 1080), QRectF(-1280, -244, 1280, 1024)});
        HUDNotification hud;
        HUDWindow *window = showNow(hud, QStringLiteral("Ruler"), QStringLiteral("ruler"));
        QVERIFY(window && window->isVisible());
        // x = 960 - 100, y = 540 - 100 - 40: centred 100 points above the middle.
        QCOMPARE(window->geometry(), QRect(860, 400, 200, 80));
        QVERIFY(window->windowFlags().testFlag(Qt::WindowTransparentForInput));
        QVERIFY(window->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        QVERIFY(QGuiApplication::focusWindow() != window->windowHandle());
        // A compositor blends the corners; without one the window is cut to the panel.
        QCOMPARE(window->mask().isEmpty(), compositor);
        if (!compositor) {
            QVERIFY(window->mask().contains(QPoint(100, 40)));
            QVERIFY(!window->mask().contains(QPoint(10, 40)));
        }
    }

    void windowAtTheOriginWithoutDisplays()
    {
        m_platform.fakeDisplays.setFrames({});
        HUDNotification hud;
        HUDWindow *window = showNow(hud, QStringLiteral("9px"));
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->pos(), QPoint(0, 0));
    }

    void longMessageGrowsTheWindowAroundTheSameCentre()
    {
        HUDNotification hud;
        HUDWindow *window =
            showNow(hud, QStringLiteral("A message far longer than any the commands send, to see it fit"));
        QVERIFY(window->width() > 200);
        QCOMPARE(window->height(), 80);
        QVERIFY(qAbs(window->geometry().center().x() - 960) <= 1);
        QVERIFY(qAbs(window->geometry().center().y() - 440) <= 1);
    }

    // --- showing, fading, replacing ------------------------------------------
    // Durations are either tiny (the step must happen) or an hour (it must
    // not), so nothing depends on how fast the machine is.

    void showsThenFadesThenHides()
    {
        HUDNotification hud;
        hud.setDurations(10ms, 10ms);
        hud.show(QStringLiteral("Ruler"), QStringLiteral("ruler"));
        QVERIFY(!hud.window()); // asynchronous: nothing until the loop turns
        QCoreApplication::processEvents();
        HUDWindow *window = hud.window();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->view().message, QStringLiteral("Ruler"));
        QCOMPARE(window->windowOpacity(), 1.0);
        QTRY_VERIFY(!window->isVisible());
        QCOMPARE(window->windowOpacity(), 1.0); // restored once hidden
        QCOMPARE(hud.window(), window);         // kept until the next message
    }

    void earlierHideNeverShortensALaterMessage()
    {
        HUDNotification hud;
        hud.setDurations(20ms, 0ms);
        QPointer<HUDWindow> first = showNow(hud, QStringLiteral("9px"));
        hud.setDurations(1h, 0ms);
        HUDWindow *second = showNow(hud, QStringLiteral("14px"));
        QTest::qWait(150); // long past the first message's hide
        QVERIFY(second->isVisible());
        QVERIFY(!hud.isFading());
        QCOMPARE(visibleHudWindows(), QList<HUDWindow *>{second});
        QTRY_VERIFY(!first); // the earlier window is released
    }

    void messageDuringFadeReplacesItAtFullOpacity()
    {
        HUDNotification hud;
        hud.setDurations(0ms, 1h);
        QPointer<HUDWindow> first = showNow(hud, QStringLiteral("Underline"), QStringLiteral("minus"));
        QTRY_VERIFY(hud.isFading());

        hud.setDurations(1h, 1h);
        HUDWindow *second = showNow(hud, QStringLiteral("Highlight Bar"), QStringLiteral("highlighter"));
        QVERIFY(second != first);
        QVERIFY(!first || !first->isVisible());
        QVERIFY(second->isVisible());
        QVERIFY(!hud.isFading());
        QCOMPARE(second->windowOpacity(), 1.0);
        QCOMPARE(visibleHudWindows(), QList<HUDWindow *>{second});
    }

    void withoutCompositorTheFadeLeavesOpacityAlone()
    {
        m_platform.compositor = false;
        HUDNotification hud;
        hud.setDurations(0ms, 1h);
        HUDWindow *window = showNow(hud, QStringLiteral("Ruler"));
        QTRY_VERIFY(hud.isFading());
        QTest::qWait(50);
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowOpacity(), 1.0);
    }

};

QTEST_MAIN(TestHud)
#include "test_hud.moc"
