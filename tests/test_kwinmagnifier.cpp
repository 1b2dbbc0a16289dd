// Tovani sets KWin's magnifier in the person's own kwinrc and puts their
// values back after: every line but the keys it sets must come out as it
// went in, whatever shape the file has.

#include "platform/kwin/KWinMagnifier.h"

#include <QTest>

using platform::kwin::ConfigEntry;

class TestKWinMagnifier : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void setsOnlyItsKeys_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray set = "Width=512\nInitialZoom=3\n", group = "[Effect-magnifier]\n";
        // clang-format off
        QTest::newRow("no file") << QByteArray() << group + set;
        QTest::newRow("no group, no last newline") << QByteArray("[Plugins]\nmagnifierEnabled=true")
                                                   << "[Plugins]\nmagnifierEnabled=true\n\n" + group + set;
        QTest::newRow("group between others, key replaced where it stands")
            << QByteArray("[A]\nWidth=1\n\n[Effect-magnifier]\nHeight=7\nWidth = 200\n\n[Z]\nInitialZoom=9\n")
            << QByteArray("[A]\nWidth=1\n\n[Effect-magnifier]\nHeight=7\nWidth=512\nInitialZoom=3\n\n[Z]\nInitialZoom=9\n");
        QTest::newRow("translated and immutable keys are other keys")
            << group + "Width[de]=5\n# Width=1\n" << group + "Width[de]=5\n# Width=1\n" + set;
        QTest::newRow("a group's name that only starts the same")
            << QByteArray("[Effect-magnifier-x]\nWidth=5\n") << "[Effect-magnifier-x]\nWidth=5\n\n" + group + set;
        // clang-format on
    }
    // Every line but the keys set comes out as it went in. (That the
    // person's own values come back once the magnifier is off, and keys
    // that were not there go: tests/wayland/kwin_app.sh.)
    void setsOnlyItsKeys()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, expected);
        const QList<ConfigEntry> entries{{"Width", QByteArray("512")}, {"InitialZoom", QByteArray("3")}};
        const QByteArray written = platform::kwin::withEntries(file, "Effect-magnifier", entries);
        QCOMPARE(written, expected);
        QCOMPARE(platform::kwin::entryOf(written, "Effect-magnifier", "Width"), QByteArray("512"));
    }
};

QTEST_GUILESS_MAIN(TestKWinMagnifier)
#include "test_kwinmagnifier.moc"
