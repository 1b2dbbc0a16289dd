// The About window: the version line it shows (blanks read as 1.0 and 1) and
// Escape closing it. (docs/tools/window_shots makes docs/about.png.)

#include "ui/AboutView.h"

#include <QtTest>
#include <QtWidgets>

class TestAbout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void versionLineAndEscape()
    {
        for (const auto &[version, build, line] : {std::array{"1.0.0", "7", "Version 1.0.0 (7)"},
                                                   {"", "", "Version 1.0 (1)"}, {"  ", "12", "Version 1.0 (12)"}})
            QVERIFY2(std::ranges::any_of(AboutView(version, build).findChildren<QLabel *>(),
                                         [line = line](auto *l) { return l->text() == QLatin1String(line); }),
                     line);
        const std::unique_ptr<QWidget> window(createAboutWindow());
        window->show(); // visible at once; Escape hides it
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QVERIFY(!window->isVisible());
    }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
