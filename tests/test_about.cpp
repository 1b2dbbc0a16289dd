// The About window: version line, link, icon drawing and a screenshot.

#include "ui/AboutView.h"
#include "ui/AppIcon.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl &url) { opened.append(url); }
};

class TestAbout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    }

    void versionLine()
    {
        QCOMPARE(AboutView::versionText(QStringLiteral("1.0.0"), QStringLiteral("7")),
                 QStringLiteral("Version 1.0.0 (7)"));
        QCOMPARE(AboutView::versionText(QString(), QString()), QStringLiteral("Version 1.0 (1)"));
        QCOMPARE(AboutView::versionText(QStringLiteral("  "), QStringLiteral("12")),
                 QStringLiteral("Version 1.0 (12)"));

        AboutView empty{QString(), QString()};
        QStringList texts;
        for (QLabel *l : empty.findChildren<QLabel *>())
            texts << l->text();
        QVERIFY2(texts.contains(QStringLiteral("Version 1.0 (1)")), qPrintable(texts.join(u'|')));

        // The default reads what the build system recorded.
        AboutView built;
        QVERIFY(!built.appVersion().isEmpty());
        QVERIFY(!built.buildNumber().isEmpty());
    }

    void windowAndTexts()
    {
        std::unique_ptr<QWidget> window(createAboutWindow());
        QCOMPARE(window->windowTitle(), QStringLiteral("About Tovani"));
        QCOMPARE(window->size(), QSize(340, 480));
        QStringList texts;
        for (QLabel *l : window->findChildren<QLabel *>())
            texts << l->text();
        for (const char *expected :
             {"Tovani", "Speed reading guide for Linux", "Developed by", "Tovani contributors",
              "Open-source project", "Multiple reading guide styles", "Customizable colors & opacity",
              "Global keyboard shortcuts", "Multi-monitor support"})
            QVERIFY2(texts.contains(QString::fromUtf8(expected)), expected);

        // Escape closes; the window object stays for the next showing.
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QVERIFY(!window->isVisible());
    }

    void linkOpensOnlyValidAddresses()
    {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
        AboutView view;
        QCOMPARE(view.linkButton()->text(), QStringLiteral("tovani.org"));
        view.linkButton()->click();
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl(QStringLiteral("https://tovani.org"))});

        QVERIFY(!LinkButton::openAddress(QStringLiteral("not an address")));
        QVERIFY(!LinkButton::openAddress(QStringLiteral("https://")));
        QVERIFY(!LinkButton::openAddress(QString()));
        QCOMPARE(catcher.opened.size(), 1);
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    }

    void iconDrawing()
    {
        // At 100 x 100: gradient corners, white middle bar, faint outer bars,
        // transparent outside the rounded corner.
        QImage image(140, 140, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        {
            QPainter p(&image);
            paintAppIcon(p, QRectF(20, 20, 100, 100), true);
        }
        auto px = [&](int x, int y) { return QColor(image.pixel(x, y)); };
        const QColor topLeft = px(30, 30), bottomRight = px(110, 110);
        QVERIFY2(topLeft.blue() > 200 && topLeft.red() < 80, qPrintable(topLeft.name())); // blue
        QVERIFY2(bottomRight.red() > 140 && bottomRight.green() < 120,
                 qPrintable(bottomRight.name())); // purple
        QCOMPARE(px(70, 70), QColor(Qt::white));  // middle bar, 6 high around y = 70
        // Outer bars (4 high at y 57..61 and 79..83) are white at 40 %: lighter
        // than the gradient between the bars, but not white.
        QVERIFY(px(70, 59).lightness() > px(70, 64).lightness() + 30);
        QVERIFY(px(70, 81).lightness() > px(70, 76).lightness() + 30);
        QVERIFY(px(70, 59) != QColor(Qt::white));
        QVERIFY(px(44, 70) != QColor(Qt::white)); // bars are 50 wide: x 45..95
        // Shadow: below the icon it is darker than above it (offset 5 down).
        QVERIFY(px(70, 124).lightness() < px(70, 16).lightness());
        QVERIFY(px(70, 124).lightness() < 255);
        // Outside the rounded corner the shadow is faint, nowhere black.
        QVERIFY(px(21, 21).lightness() > 200);

        const QImage small = appIconImage(32);
        QCOMPARE(small.size(), QSize(32, 32));
        QCOMPARE(qAlpha(small.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(small.pixel(16, 16)), 255);
    }

    void screenshot()
    {
        std::unique_ptr<QWidget> window(createAboutWindow());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QImage shot = window->grab().toImage();
        QCOMPARE(shot.size() / shot.devicePixelRatio(), QSize(340, 480));
        // TOVANI_SCREENSHOT_DIR=docs keeps them (the pictures in docs/ are made
        // so); otherwise they go to a folder removed after the test.
        QTemporaryDir scratch;
        const QString dir = qEnvironmentVariable("TOVANI_SCREENSHOT_DIR", scratch.path());
        QVERIFY(shot.save(QDir(dir).filePath(QStringLiteral("about.png"))));
    }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
