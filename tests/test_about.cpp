// The About window: the version line, the icon's transparent corners, and
// the screenshot kept in docs/ (then Escape closes it).

#include "ui/AboutView.h"
#include "ui/AppIcon.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>

class TestAbout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    }

    void versionLine_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("build");
        QTest::addColumn<QString>("line");
        QTest::newRow("recorded") << QStringLiteral("1.0.0") << QStringLiteral("7") << QStringLiteral("Version 1.0.0 (7)");
        QTest::newRow("nothing recorded") << QString() << QString() << QStringLiteral("Version 1.0 (1)");
        QTest::newRow("blank version") << QStringLiteral("  ") << QStringLiteral("12") << QStringLiteral("Version 1.0 (12)");
    }

    void versionLine()
    {
        QFETCH(QString, version);
        QFETCH(QString, build);
        QFETCH(QString, line);
        QCOMPARE(AboutView::versionText(version, build), line);
        AboutView view{version, build};
        QStringList texts;
        for (QLabel *l : view.findChildren<QLabel *>())
            texts << l->text();
        QVERIFY2(texts.contains(line), qPrintable(texts.join(u'|')));
    }

    void defaultReadsTheBuildsVersion()
    {
        AboutView built;
        QVERIFY(!built.appVersion().isEmpty());
        QVERIFY(!built.buildNumber().isEmpty());
    }

    void iconHasTransparentCorners()
    {
        // Tray and window icons: the rounded corner lets the panel show through.
        const QImage small = appIconImage(32);
        QCOMPARE(qAlpha(small.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(small.pixel(16, 16)), 255);
    }

    void screenshotAndEscape()
    {
        std::unique_ptr<QWidget> window(createAboutWindow());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QImage shot = window->grab().toImage();
        // TOVANI_SCREENSHOT_DIR=docs keeps it (the picture in docs/ is made
        // so); otherwise it goes to a folder removed after the test.
        QTemporaryDir scratch;
        const QString dir = qEnvironmentVariable("TOVANI_SCREENSHOT_DIR", scratch.path());
        QVERIFY(shot.save(QDir(dir).filePath(QStringLiteral("about.png"))));
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QVERIFY(!window->isVisible());
    }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
