// The About window: the version line it shows, blanks read as 1.0 and 1, and
// Escape closing it. With TOVANI_SCREENSHOT_DIR=docs it saves docs/about.png.

#include "ui/AboutView.h"

#include <QtTest>
#include <QtWidgets>

class TestAbout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void screenshotAndEscape() // first, so the picture comes out as when made alone
    {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
        std::unique_ptr<QWidget> window(createAboutWindow());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        if (const QString dir = qEnvironmentVariable("TOVANI_SCREENSHOT_DIR"); !dir.isEmpty())
            QVERIFY(window->grab().save(QDir(dir).filePath(QStringLiteral("about.png"))));
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QVERIFY(!window->isVisible());
    }

    void versionLine()
    {
        QCOMPARE(AboutView::versionText("1.0.0", "7"), QStringLiteral("Version 1.0.0 (7)"));
        QCOMPARE(AboutView::versionText("", ""), QStringLiteral("Version 1.0 (1)"));
        QCOMPARE(AboutView::versionText("  ", "12"), QStringLiteral("Version 1.0 (12)"));
        const AboutView view(QStringLiteral("2.1"), QStringLiteral("9"));
        const auto labels = view.findChildren<QLabel *>();
        QVERIFY(std::any_of(labels.begin(), labels.end(), [](auto *l) { return l->text() == u"Version 2.1 (9)"; }));
        QVERIFY(!AboutView().appVersion().isEmpty()); // the build's own
    }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
