// The guide of one display as the window system shows it: its surfaces,
// composed in stacking order, give exactly what ReadingGuideView paints, and a
// move only moves them. (Without a compositor only the band near the line
// shows: tests/x11/test_overlay_compositor.sh.)
#include "GuideImages.h"
#include "overlay/DisplayGuide.h"
#include "platform/FakePlatform.h"
#include "settings/Settings.h"

#include <QTemporaryDir>
#include <QTest>

class TestDisplayGuide : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    // An offset display, so that a mix-up of global and local coordinates shows.
    const platform::Display m_display{QRectF(-300, 120, 640, 360), 1.0, QStringLiteral("D"), 60};

    std::unique_ptr<AppSettings> settings(LineStyle style, bool brackets, double thickness = 21)
    {
        auto s = std::make_unique<AppSettings>(m_dir.filePath(QStringLiteral("tovani.conf")));
        s->setCurrentStyle(style);
        s->setVerticalGuidesEnabled(brackets);
        s->setCustomThickness(thickness);
        return s;
    }

private Q_SLOTS:
    // The surfaces, composed, are the guide ReadingGuideView paints: every
    // style, with brackets, thin and thick, at 1x and 2x, inside the display
    // and cut at its edges. Only the brackets' blended edges may differ by a
    // rounding step (a picture blended over a picture).
    void surfacesShowWhatThePainterPaints_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<double>("dpr");
        for (LineStyle style : LineStyles::allCases) {
            for (double dpr : {1.0, 2.0})
                QTest::addRow("%s %gx", qPrintable(LineStyles::rawValue(style)), dpr) << int(style) << dpr;
        }
    }
    void surfacesShowWhatThePainterPaints()
    {
        QFETCH(int, style);
        QFETCH(double, dpr);
        platform::Display display = m_display;
        display.devicePixelRatio = dpr;
        const QPointF origin = display.frame.topLeft();
        for (double thickness : {1.0, 21.0, 55.5}) {
            auto s = settings(LineStyle(style), true, thickness);
            platform::FakeSurfaces surfaces;
            DisplayGuide guide(display, *s, surfaces, true);
            guide.setVisible(true);
            // Whole and half points, at the edges and back where it started.
            // And on lines of text (top, height), one cut at the bottom edge.
            const struct { QPointF local; double h; } places[] = {
                {{200.25, 150}, 0}, {{200.75, 150}, 0}, {{203.5, 148.5}, 0}, {{40, 0.5}, 0}, {{600, 360}, 0},
                {{639, 200}, 0},    {{200, 150}, 0},    {{200, 150}, 17.5},  {{210, 340}, 30}, {{200, 150}, 0}};
            for (const auto &[local, h] : places) {
                guide.moveTo(origin + local, h);
                const int diff = maxDifference(surfaces.compose(display), paintedGuide(display, *s, origin + local, h));
                QVERIFY2(diff <= 1, qPrintable(QStringLiteral("t %1 at %2,%3: off by %4")
                                                   .arg(thickness).arg(local.x()).arg(local.y()).arg(diff)));
            }
            // Pictures of a band, not of the display (the line is 30 at most).
            for (const platform::FakeSurface *f : surfaces.surfaces)
                QVERIFY(f->image.isNull() || f->image.deviceIndependentSize().height() < std::max(thickness, 30.0) + 50);
        }
    }

    // A move inside the display draws nothing: the pictures are made once per
    // change of the settings, which shows at once without a move.
    void movesDrawNothingSettingsRedraw()
    {
        auto s = settings(LineStyle::ruler, true);
        platform::FakeSurfaces surfaces;
        DisplayGuide guide(m_display, *s, surfaces, true);
        guide.setVisible(true);
        guide.moveTo(m_display.frame.topLeft() + QPointF(300, 100));
        const int drawn = guide.drawCount();
        for (int i = 0; i < 100; ++i) // brackets 128 points either side: clear of the edges
            guide.moveTo(m_display.frame.topLeft() + QPointF(200 + i * 2, 60 + i * 2));
        QCOMPARE(guide.drawCount(), drawn);
        // On lines of text: drawn again for a new height only.
        guide.moveTo(m_display.frame.topLeft() + QPointF(300, 100), 18);
        const int onLine = guide.drawCount();
        QVERIFY(onLine > drawn);
        for (int i = 0; i < 10; ++i)
            guide.moveTo(m_display.frame.topLeft() + QPointF(300, 100 + i * 18), 18);
        QCOMPARE(guide.drawCount(), onLine);

        const int commits = surfaces.commits;
        s->setCurrentStyle(LineStyle::focusWindow);
        QVERIFY(guide.drawCount() > drawn);
        QVERIFY(surfaces.commits > commits);
        const QPointF at = guide.position();
        QCOMPARE(maxDifference(surfaces.compose(m_display), paintedGuide(m_display, *s, at, guide.lineHeight())), 0);
    }
};

QTEST_MAIN(TestDisplayGuide)
#include "test_displayguide.moc"
