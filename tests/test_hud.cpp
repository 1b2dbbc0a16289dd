// The HUD: what the panel looks like (painted into images), where the window
// goes, and how long each message stays.

#include "feedback/HUDNotification.h"
#include "platform/FakePlatform.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QtTest>

namespace {

QImage render(const HUDView &view, QSize size = QSize(200, 80), bool shadow = false)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    view.paint(painter, QRectF(QPointF(0, 0), QSizeF(size)), shadow);
    return image;
}

// Bounding box of the white content (text and symbol) on the dark panel.
QRect whiteBounds(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qRed(image.pixel(x, y)) > 128)
                box |= QRect(x, y, 1, 1);
        }
    }
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
    QElapsedTimer m_clock;

    // Waits until ms have passed since m_clock started; returns the time it
    // really is, which a busy machine may push past ms.
    qint64 waitUntil(qint64 ms)
    {
        const qint64 left = ms - m_clock.elapsed();
        if (left > 0)
            QTest::qWait(int(left));
        return m_clock.elapsed();
    }

    // Shows a message and lets the event loop create its window.
    HUDWindow *showNow(HUDNotification &hud, const QString &message, const QString &icon = QString())
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
        m_platform.fakeDisplays.setFrames({QRectF(0, 0, 1920, 1080)});
    }

    void init()
    {
        m_platform.compositor = true;
        m_platform.fakeDisplays.setFrames({QRectF(0, 0, 1920, 1080)});
    }

    // --- the panel ------------------------------------------------------------

    void shortMessageGivesMinimumWidthPanelCentred()
    {
        const HUDView view(QStringLiteral("Ruler"), QStringLiteral("ruler"));
        QCOMPARE(view.panelSize().width(), 150.0);
        const QImage image = render(view);
        const QRectF panel = view.panelRect(QRectF(0, 0, 200, 80));
        QCOMPARE(panel.left(), 25.0);
        QCOMPARE(panel.right(), 175.0);

        // Panel: black at 0.75, both edges; outside: nothing.
        for (int x : {27, 172}) {
            const QRgb inside = image.pixel(x, 40);
            QVERIFY2(qAbs(qAlpha(inside) - 191) <= 1, qPrintable(QString::number(qAlpha(inside))));
            QCOMPARE(qRed(inside), 0);
        }
        QCOMPARE(qAlpha(image.pixel(23, 40)), 0);
        QCOMPARE(qAlpha(image.pixel(177, 40)), 0);
        // Rounded corners: the panel's bounding corner stays clear.
        QCOMPARE(qAlpha(image.pixel(int(panel.left()) + 1, int(panel.top()) + 1)), 0);

        // Symbol above the text, both white and horizontally centred.
        const QRect white = whiteBounds(image);
        QVERIFY(!white.isEmpty());
        QVERIFY(qAbs(white.center().x() - 100) <= 3);
        QVERIFY(white.top() >= panel.top() + HUDView::verticalPadding - 1);
        QVERIFY(white.bottom() <= panel.bottom() - HUDView::verticalPadding + 4);
        QVERIFY(white.height() > 35); // symbol + gap + text, not text alone
    }

    void textOnlyMessageIsVerticallyCentred()
    {
        const HUDView view(QStringLiteral("Ruler"));
        const QImage image = render(view);
        const QRect white = whiteBounds(image);
        QVERIFY(!white.isEmpty());
        QVERIFY(white.height() < 20);
        QVERIFY2(qAbs(white.center().y() - 40) <= 3, qPrintable(QString::number(white.center().y())));
        QVERIFY(qAbs(white.center().x() - 100) <= 3);
        QVERIFY(view.panelSize().height() < 60);
        QCOMPARE(view.panelSize().width(), 150.0);
    }

    void unknownSymbolShowsTextOnly()
    {
        const HUDView unknown(QStringLiteral("Ruler"), QStringLiteral("info.circle.fill"));
        QVERIFY(!unknown.showsSymbol());
        QCOMPARE(render(unknown), render(HUDView(QStringLiteral("Ruler"))));
    }

    void everySymbolDrawsInsideItsBox()
    {
        const QRectF box(QPointF(20, 20), HUDView::symbolSize());
        for (const QString &name : HUDView::knownSymbols()) {
            QImage image(80, 70, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            HUDView::paintSymbol(painter, name, box, Qt::white);
            painter.end();
            QRect drawn;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (qAlpha(image.pixel(x, y)) > 0)
                        drawn |= QRect(x, y, 1, 1);
            QVERIFY2(!drawn.isEmpty(), qPrintable(name));
            QVERIFY2(box.adjusted(-2, -2, 2, 2).contains(QRectF(drawn)), qPrintable(name));
            QVERIFY2(drawn.width() >= 14 && drawn.height() >= 2, qPrintable(name));
        }
    }

    void everyCommandMessageFitsTheWindow()
    {
        QList<HUDView> views;
        for (LineStyle style : LineStyles::allCases)
            views.append(HUDView(LineStyles::rawValue(style), LineStyles::hudSymbolName(style)));
        views.append(HUDView(QStringLiteral("100px"), QStringLiteral("arrow.up.left.and.arrow.down.right")));
        views.append(HUDView(QStringLiteral("1px"), QStringLiteral("arrow.down.right.and.arrow.up.left")));
        for (const HUDView &view : views) {
            QVERIFY2(view.showsSymbol(), qPrintable(view.icon));
            const QSizeF size = view.panelSize();
            QVERIFY2(size.width() <= 200 && size.height() <= 80,
                     qPrintable(QStringLiteral("%1: %2x%3").arg(view.message).arg(size.width()).arg(size.height())));
        }
    }

    void shadowStaysOutsideThePanel()
    {
        const HUDView view(QStringLiteral("Ruler"));
        const QImage plain = render(view);
        const QImage shadowed = render(view, QSize(200, 80), true);
        QCOMPARE(shadowed.pixel(30, 40), plain.pixel(30, 40));
        QVERIFY(qAlpha(shadowed.pixel(21, 40)) > 0);
        QCOMPARE(qAlpha(plain.pixel(21, 40)), 0);
    }

    // --- the window -----------------------------------------------------------

    void windowIsClickThroughAndAboveTheMainDisplayCentre()
    {
        // The main display is the first one, wherever the others are.
        m_platform.fakeDisplays.setFrames({QRectF(0, 0, 1920, 1080), QRectF(-1280, 300, 1280, 1024)});
        HUDNotification hud;
        HUDWindow *window = showNow(hud, QStringLiteral("Ruler"), QStringLiteral("ruler"));
        QVERIFY(window);
        QVERIFY(window->isVisible());
        // Global frame: x = 960 - 100, y = 540 - 40 + 100 = 600; y down: 1080 - 680.
        QCOMPARE(window->geometry(), QRect(860, 400, 200, 80));

        const Qt::WindowFlags flags = window->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowTransparentForInput));
        QVERIFY(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
        QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
        QVERIFY(window->testAttribute(Qt::WA_ShowWithoutActivating));
        QVERIFY(window->testAttribute(Qt::WA_TranslucentBackground));
        QVERIFY(QGuiApplication::focusWindow() != window->windowHandle());
        QVERIFY(window->mask().isEmpty()); // a compositor blends the corners
    }

    void windowAtTheOriginWithoutDisplays()
    {
        m_platform.fakeDisplays.setFrames({});
        HUDNotification hud;
        HUDWindow *window = showNow(hud, QStringLiteral("9px"), QStringLiteral("arrow.up.left.and.arrow.down.right"));
        QVERIFY(window);
        QVERIFY(window->isVisible());
        const QPointF expected = m_platform.displays().toQt(QRectF(0, 0, 200, 80)).topLeft();
        QCOMPARE(window->pos(), expected.toPoint());
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

    void withoutCompositorTheWindowIsCutToThePanel()
    {
        m_platform.compositor = false;
        HUDNotification hud;
        HUDWindow *window = showNow(hud, QStringLiteral("Ruler"));
        QVERIFY(!window->mask().isEmpty());
        QVERIFY(window->mask().contains(QPoint(100, 40)));
        QVERIFY(!window->mask().contains(QPoint(10, 40)));
    }

    // --- timing ---------------------------------------------------------------

    void showsAtOnceStaysOneSecondThenFades()
    {
        HUDNotification hud;
        m_clock.start();
        hud.show(QStringLiteral("Ruler"), QStringLiteral("ruler"));
        QVERIFY(!hud.window()); // asynchronous: nothing until the loop turns
        QCoreApplication::processEvents();
        HUDWindow *window = hud.window();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->view().message, QStringLiteral("Ruler"));
        QCOMPARE(window->windowOpacity(), 1.0);

        if (waitUntil(850) < 980) {
            QVERIFY(window->isVisible());
            QVERIFY(!hud.isFading());
            QCOMPARE(window->windowOpacity(), 1.0);
        }
        if (waitUntil(1150) < 1280) {
            QVERIFY(hud.isFading());
            QVERIFY(window->isVisible());
            QVERIFY(window->windowOpacity() < 1.0);
        }
        waitUntil(1500);
        QTRY_VERIFY_WITH_TIMEOUT(!window->isVisible(), 500);
        QCOMPARE(window->windowOpacity(), 1.0); // restored once hidden
        QCOMPARE(hud.window(), window);         // kept until the next message
    }

    void quickMessagesLeaveOneWindowHiddenASecondAfterTheLast()
    {
        HUDNotification hud;
        m_clock.start();
        QList<QPointer<HUDWindow>> windows;
        const QStringList texts{QStringLiteral("9px"), QStringLiteral("14px"), QStringLiteral("19px")};
        for (int i = 0; i < texts.size(); ++i) {
            waitUntil(i * 300);
            windows.append(showNow(hud, texts[i], QStringLiteral("arrow.up.left.and.arrow.down.right")));
            QCOMPARE(visibleHudWindows().size(), 1);
        }
        QCOMPARE(visibleHudWindows().first()->view().message, QStringLiteral("19px"));
        QTRY_VERIFY(!windows[0] && !windows[1]); // earlier windows are released

        // The last came at 600 ms: visible until 1600, gone by 1900.
        if (waitUntil(1450) < 1580) {
            QCOMPARE(visibleHudWindows().size(), 1);
            QVERIFY(!hud.isFading());
        }
        waitUntil(2100);
        QTRY_VERIFY_WITH_TIMEOUT(visibleHudWindows().isEmpty(), 500);
    }

    void messageDuringFadeReplacesItAtFullOpacity()
    {
        HUDNotification hud;
        m_clock.start();
        QPointer<HUDWindow> first = showNow(hud, QStringLiteral("Underline"), QStringLiteral("minus"));
        waitUntil(1100);
        QTRY_VERIFY_WITH_TIMEOUT(hud.isFading(), 500);

        m_clock.start();
        HUDWindow *second = showNow(hud, QStringLiteral("Highlight Bar"), QStringLiteral("highlighter"));
        QVERIFY(second != first);
        QVERIFY(!first || !first->isVisible());
        QVERIFY(second->isVisible());
        QCOMPARE(second->windowOpacity(), 1.0);
        QCOMPARE(visibleHudWindows().size(), 1);

        // The old fade does not cut the new message short.
        if (waitUntil(850) < 980) {
            QVERIFY(second->isVisible());
            QVERIFY(!hud.isFading());
            QCOMPARE(second->windowOpacity(), 1.0);
        }
        waitUntil(1500);
        QTRY_VERIFY_WITH_TIMEOUT(!second->isVisible(), 500);
    }

    void withoutCompositorTheWindowStaysUntilTheFadeTimeIsOver()
    {
        m_platform.compositor = false;
        HUDNotification hud;
        hud.setDurations(std::chrono::milliseconds(300), std::chrono::milliseconds(300));
        m_clock.start();
        HUDWindow *window = showNow(hud, QStringLiteral("Ruler"));
        if (waitUntil(450) < 560) {
            QVERIFY(hud.isFading());
            QVERIFY(window->isVisible());
            QCOMPARE(window->windowOpacity(), 1.0); // opacity is left alone
        }
        waitUntil(700);
        QTRY_VERIFY_WITH_TIMEOUT(!window->isVisible(), 500);
    }

    void sharedInstanceShowsMessages()
    {
        HUDNotification &hud = HUDNotification::shared();
        QCOMPARE(&HUDNotification::shared(), &hud);
        hud.setDurations(std::chrono::milliseconds(50), std::chrono::milliseconds(50));
        hud.show(QStringLiteral("Focus Window"), QStringLiteral("rectangle.center.inset.filled"));
        QTRY_VERIFY(hud.window() && hud.window()->isVisible());
        QTRY_VERIFY(!hud.window()->isVisible());
    }
};

QTEST_MAIN(TestHud)
#include "test_hud.moc"
