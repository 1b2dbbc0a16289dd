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
        const QByteArray set = "Width=512\nInitialZoom=3\n";
        QTest::newRow("no file") << QByteArray() << "[Effect-magnifier]\n" + set;
        QTest::newRow("no group, no last newline")
            << QByteArray("[Plugins]\nmagnifierEnabled=true")
            << "[Plugins]\nmagnifierEnabled=true\n\n[Effect-magnifier]\n" + set;
        QTest::newRow("group between others, key replaced where it stands")
            << QByteArray("[A]\nWidth=1\n\n[Effect-magnifier]\nHeight=7\nWidth = 200\n\n[Z]\nInitialZoom=9\n")
            << QByteArray("[A]\nWidth=1\n\n[Effect-magnifier]\nHeight=7\nWidth=512\nInitialZoom=3\n\n[Z]"
                          "\nInitialZoom=9\n");
        QTest::newRow("translated and immutable keys are other keys")
            << QByteArray("[Effect-magnifier]\nWidth[de]=5\n# Width=1\n")
            << QByteArray("[Effect-magnifier]\nWidth[de]=5\n# Width=1\nWidth=512\nInitialZoom=3\n");
        QTest::newRow("a group's name that only starts the same")
            << QByteArray("[Effect-magnifier-x]\nWidth=5\n")
            << QByteArray("[Effect-magnifier-x]\nWidth=5\n\n[Effect-magnifier]\n") + set;
    }
    void setsOnlyItsKeys()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, expected);
        const QList<ConfigEntry> entries{{"Width", QByteArray("512")}, {"InitialZoom", QByteArray("3")}};
        const QByteArray written = platform::kwin::withEntries(file, "Effect-magnifier", entries);
        QCOMPARE(written, expected);
        QCOMPARE(platform::kwin::entryOf(written, "Effect-magnifier", "Width"), QByteArray("512"));
    }

    // What was there before comes back, and a key that was not goes.
    void putsBackWhatWasThere()
    {
        const QByteArray before("[Effect-magnifier]\nWidth=123\n\n[Z]\nx=1\n");
        const QByteArray key = "Effect-magnifier";
        QList<ConfigEntry> saved;
        for (const char *name : {"Width", "Height", "InitialZoom"})
            saved.append({name, platform::kwin::entryOf(before, key, name)});
        const QByteArray set = platform::kwin::withEntries(
            before, key,
            {{"Width", QByteArray("512")}, {"Height", QByteArray("64")}, {"InitialZoom", QByteArray("3")}});
        QCOMPARE(platform::kwin::withEntries(set, key, saved), before);
    }
};

QTEST_GUILESS_MAIN(TestKWinMagnifier)
#include "test_kwinmagnifier.moc"
