// The preferences window against a settings file of its own and the fake
// login item: controls writing and saving the settings, style tiles, swatches
// and the colour well, folding, switches, the reset confirmation, the notices,
// Escape, the dark theme, and the screenshots kept in docs/.

#include "feedback/LaunchAtLogin.h"
#include "magnifier/MagnifierWindow.h"
#include "platform/FakePlatform.h"
#include "ui/ColorButton.h"
#include "ui/Controls.h"
#include "ui/PreferencesView.h"
#include "ui/SliderBlock.h"
#include "ui/StyleButton.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

namespace {

const QLabel *findLabel(const QWidget *root, const QString &text)
{
    for (const QLabel *l : root->findChildren<QLabel *>())
        if (l->text() == text) return l;
    return nullptr;
}

// The fake platform, as an X11 session or not.
class SessionPlatform : public platform::FakePlatform
{
public:
    bool x11 = true;
    bool isX11() const override { return x11; }
};

// The sliders: the block, and the setting it writes.
struct SliderCase
{
    SliderBlock *(PreferencesView::*block)() const;
    double (AppSettings::*setting)() const;
};
const SliderCase sliderCases[] = {
    {&PreferencesView::opacityBlock, &AppSettings::customOpacity},
    {&PreferencesView::thicknessBlock, &AppSettings::customThickness},
    {&PreferencesView::lineHeightBlock, &AppSettings::readingStripLineHeight},
    {&PreferencesView::bracketWidthBlock, &AppSettings::verticalGuideMargin},
    {&PreferencesView::bracketOpacityBlock, &AppSettings::verticalGuideOpacity},
    {&PreferencesView::zoomBlock, &AppSettings::magnifierZoom},
};

} // namespace

class TestPreferences : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_configHome;
    SessionPlatform m_platform;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<PreferencesWindow> m_window;
    platform::FakeLoginItem m_loginItem;

    PreferencesView *view() const { return m_window->view(); }
    // The settings as the next start would read them.
    std::unique_ptr<AppSettings> onDisk() const
    {
        m_settings->flush();
        return std::make_unique<AppSettings>(m_settings->filePath());
    }

    void showWindow()
    {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    static void waitForFold(FoldingBlock *fold) { QTRY_VERIFY_WITH_TIMEOUT(!fold->isAnimating(), 2000); }
    static bool folded(FoldingBlock *fold) { return fold->isHidden() && !fold->isExpanded(); }
    static bool unfolded(FoldingBlock *fold)
    {
        return fold->isVisible() && fold->isExpanded() && fold->height() >= fold->sizeHint().height();
    }
    QList<int> selectedSwatches() const
    {
        QList<int> indexes;
        for (int i = 0; i < view()->colorButtons().size(); ++i)
            if (view()->colorButtons()[i]->isSelected()) indexes.append(i);
        return indexes;
    }
    // TOVANI_SCREENSHOT_DIR=docs keeps the screenshots (the pictures in docs/
    // are made so); otherwise they go to a folder removed after the test.
    static void saveShot(const QImage &shot, const QString &name)
    {
        QTemporaryDir scratch;
        const QString dir = qEnvironmentVariable("TOVANI_SCREENSHOT_DIR", scratch.path());
        QVERIFY(shot.save(QDir(dir).filePath(name)));
    }

private Q_SLOTS:
    void initTestCase()
    {
        // LaunchAtLogin records successful changes in the shared settings:
        // keep those in a folder of this test.
        qputenv("XDG_CONFIG_HOME", m_configHome.path().toUtf8());
        LaunchAtLogin::setLoginItem(&m_loginItem);
        // The window asks the platform whether the magnifier can capture.
        platform::Platform::setInstance(&m_platform);
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_settings = std::make_unique<AppSettings>(m_dir->filePath(QStringLiteral("tovani.conf")));
        m_loginItem.setEnabledDirectly(false);
        m_loginItem.setFailure(QString());
        m_window = std::make_unique<PreferencesWindow>(*m_settings);
    }

    void cleanup()
    {
        m_window.reset();
        m_settings.reset();
        m_dir.reset();
    }

    void slidersWriteAndSave_data()
    {
        QTest::addColumn<int>("slider"); // index into sliderCases
        QTest::addColumn<int>("position");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("opacity") << 0 << 9 << 0.55 << QStringLiteral("55%");
        QTest::newRow("thickness") << 1 << 99 << 100.0 << QStringLiteral("100px");
        QTest::newRow("line height") << 2 << 0 << 8.0 << QStringLiteral("8px");
        QTest::newRow("bracket width") << 3 << 39 << 20.5 << QStringLiteral("41%");
        QTest::newRow("bracket opacity") << 4 << 14 << 0.8 << QStringLiteral("80%");
        QTest::newRow("zoom") << 5 << 18 << 2.9 << QStringLiteral("2.9x");
    }

    void slidersWriteAndSave()
    {
        QFETCH(int, slider);
        QFETCH(int, position);
        QFETCH(double, value);
        QFETCH(QString, text);
        const SliderCase &c = sliderCases[slider];
        SliderBlock *block = (view()->*c.block)();
        block->slider()->setValue(position); // as a drag ends there
        QCOMPARE(((*m_settings).*c.setting)(), value);
        QCOMPARE(((*onDisk()).*c.setting)(), value);
        QCOMPARE(block->valueText(), text);
    }

    void valueTextsShowStoredValuesUnchanged()
    {
        m_settings->setCustomOpacity(0.57);
        QCOMPARE(view()->opacityBlock()->valueText(), QStringLiteral("56%"));
        QCOMPARE(view()->opacityBlock()->slider()->value(), 9); // nearest step, 0.55
        QCOMPARE(m_settings->customOpacity(), 0.57);            // showing it wrote nothing back
    }

    void styleTiles()
    {
        m_settings->setCustomOpacity(0.9);
        m_settings->setCustomThickness(77);
        QTest::mouseClick(view()->styleButton(LineStyle::highlightBar), Qt::LeftButton);
        QCOMPARE(m_settings->currentStyle(), LineStyle::highlightBar);
        QCOMPARE(view()->opacityBlock()->valueText(), QStringLiteral("50%"));
        QCOMPARE(view()->thicknessBlock()->valueText(), QStringLiteral("28px"));
        QVERIFY(view()->styleButton(LineStyle::highlightBar)->isSelected());
        QVERIFY(!view()->styleButton(LineStyle::underline)->isSelected());
        QCOMPARE(onDisk()->currentStyle(), LineStyle::highlightBar);
        QCOMPARE(onDisk()->customThickness(), 28.0);

        // The same tile again still loads that style's defaults.
        m_settings->setCustomThickness(60);
        view()->styleButton(LineStyle::highlightBar)->click();
        QCOMPARE(view()->thicknessBlock()->valueText(), QStringLiteral("28px"));

        // Tiles draw in the guide colour, alpha included.
        const CodableColor translucent{0.1, 0.2, 0.9, 0.4};
        m_settings->setCurrentColor(translucent);
        QCOMPARE(view()->styleButton(LineStyle::ruler)->color(), translucent.toColor());
    }

    void swatchSelection_data()
    {
        QTest::addColumn<double>("red");
        QTest::addColumn<double>("green");
        QTest::addColumn<double>("blue");
        QTest::addColumn<double>("alpha");
        QTest::addColumn<QList<int>>("selected");
        // Alpha is not compared; each of R, G, B must lie strictly within 0.01.
        QTest::newRow("amber, translucent") << 1.0 << 0.75 << 0.0 << 0.3 << QList<int>{0};
        QTest::newRow("amber, nearly") << 0.995 << 0.755 << 0.009 << 1.0 << QList<int>{0};
        QTest::newRow("just too far") << 1.0 << 0.7601 << 0.0 << 1.0 << QList<int>{};
        QTest::newRow("no palette colour") << 0.3 << 0.1 << 0.5 << 1.0 << QList<int>{};
    }

    void swatchSelection()
    {
        QFETCH(double, red);
        QFETCH(double, green);
        QFETCH(double, blue);
        QFETCH(double, alpha);
        QFETCH(QList<int>, selected);
        m_settings->setCurrentColor({red, green, blue, alpha});
        QCOMPARE(selectedSwatches(), selected);
    }

    void swatchAndColorWell()
    {
        showWindow();
        QTest::mouseClick(view()->colorButtons()[1], Qt::LeftButton);
        QCOMPARE(m_settings->currentColor(), CodableColor::fromColor(PresetColor::palette()[1].color));
        QCOMPARE(onDisk()->currentColor(), m_settings->currentColor());
        QCOMPARE(selectedSwatches(), QList<int>{1});

        ColorWell *well = view()->colorWell();
        const CodableColor before = m_settings->currentColor();
        well->click();
        QColorDialog *dialog = well->dialog();
        QVERIFY(dialog);
        QVERIFY(dialog->testOption(QColorDialog::ShowAlphaChannel));
        // Live while choosing; cancelling puts the colour back.
        const QColor chosen(10, 200, 30, 128);
        dialog->setCurrentColor(chosen);
        QCOMPARE(m_settings->currentColor(), CodableColor::fromColor(chosen));
        dialog->reject();
        QCOMPARE(m_settings->currentColor(), before);

        well->click();
        dialog = well->dialog();
        QVERIFY(dialog);
        dialog->setCurrentColor(chosen);
        dialog->accept();
        QVERIFY(!well->dialog());
        QVERIFY(std::abs(m_settings->currentColor().alpha - 128 / 255.0) < 1e-6); // alpha kept
        QCOMPARE(onDisk()->currentColor(), CodableColor::fromColor(chosen));
        QCOMPARE(well->color().alpha(), 128);
        QCOMPARE(selectedSwatches(), QList<int>{});
    }

    void foldingBlocks()
    {
        // Before showing: folded or not, without animation.
        QVERIFY(folded(view()->lineHeightFold()));
        QVERIFY(folded(view()->magnifierFold()));
        showWindow();

        // Reading strip picked by a tile: the line height block unfolds,
        // growing from nothing (no timing assumed: a busy machine may run the
        // whole animation in one step).
        view()->styleButton(LineStyle::readingStrip)->click();
        QVERIFY(view()->lineHeightFold()->isAnimating());
        QCOMPARE(view()->lineHeightFold()->maximumHeight(), 0);
        waitForFold(view()->lineHeightFold());
        QTRY_VERIFY_WITH_TIMEOUT(unfolded(view()->lineHeightFold()), 2000); // the last layout pass may be queued

        // Changed from outside the window (a shortcut): folds the same way.
        m_settings->setCurrentStyle(LineStyle::ruler);
        waitForFold(view()->lineHeightFold());
        QVERIFY(folded(view()->lineHeightFold()));

        // Each switch writes its setting and unfolds its block.
        QTest::mouseClick(view()->bracketSwitch(), Qt::LeftButton);
        QTest::mouseClick(view()->magnifierSwitch(), Qt::LeftButton);
        QVERIFY(onDisk()->verticalGuidesEnabled());
        QVERIFY(onDisk()->magnifierEnabled());
        waitForFold(view()->bracketFold());
        waitForFold(view()->magnifierFold());
        QTRY_VERIFY_WITH_TIMEOUT(unfolded(view()->bracketFold()), 2000);
        QTRY_VERIFY_WITH_TIMEOUT(unfolded(view()->magnifierFold()), 2000);

        // Switching back and forth quickly ends in the last state.
        m_settings->setVerticalGuidesEnabled(false);
        QTest::qWait(50);
        m_settings->setVerticalGuidesEnabled(true);
        QTest::qWait(50);
        m_settings->setVerticalGuidesEnabled(false);
        waitForFold(view()->bracketFold());
        QVERIFY(folded(view()->bracketFold()));
    }

    void captureNotice_data()
    {
        QTest::addColumn<bool>("x11");
        QTest::addColumn<QString>("notice"); // empty: hidden
        QTest::newRow("no X11 session") << false << MagnifierView::needsX11Text();
        QTest::newRow("capture works") << true << QString();
    }

    void captureNotice()
    {
        QFETCH(bool, x11);
        QFETCH(QString, notice);
        SessionPlatform session;
        session.x11 = x11;
        platform::Platform::setInstance(&session);
        m_settings->setMagnifierEnabled(true);
        showWindow();
        platform::Platform::setInstance(&m_platform);
        QCOMPARE(view()->magnifierNotice()->isVisible(), !notice.isEmpty());
        QCOMPARE(view()->magnifierNotice()->text(), notice);
    }

    void shortcutSwitchChangesTheSettingOnce()
    {
        QSignalSpy toggled(m_settings.get(), &AppSettings::globalHotkeysEnabledChanged);
        showWindow();
        QTest::mouseClick(view()->shortcutSwitch(), Qt::LeftButton);
        QVERIFY(m_settings->globalHotkeysEnabled());
        QTest::mouseClick(view()->shortcutSwitch(), Qt::LeftButton);
        QVERIFY(!m_settings->globalHotkeysEnabled());
        QCOMPARE(toggled.count(), 2);
        // Changes from elsewhere move the switch.
        m_settings->setGlobalHotkeysEnabled(true);
        QVERIFY(view()->shortcutSwitch()->isChecked());
    }

    void loginSwitchReadsTheLoginItem()
    {
        // The stored setting says off, the login item says on: the item wins.
        m_loginItem.setEnabledDirectly(true);
        QVERIFY(!m_settings->launchAtLogin());
        showWindow();
        QVERIFY(view()->loginSwitch()->isChecked());

        QTest::mouseClick(view()->loginSwitch(), Qt::LeftButton);
        QVERIFY(!m_loginItem.isEnabled());
        QVERIFY(!view()->loginSwitch()->isChecked());

        // A refused change leaves the switch showing the item's real state
        // and says why under it, until a change works.
        m_loginItem.setFailure(QStringLiteral("permission denied"));
        QTest::mouseClick(view()->loginSwitch(), Qt::LeftButton);
        QVERIFY(!m_loginItem.isEnabled());
        QVERIFY(!view()->loginSwitch()->isChecked());
        QVERIFY(view()->loginNotice()->isVisible());
        QCOMPARE(view()->loginNotice()->text(),
                 QStringLiteral("Failed to enable launch at login: permission denied"));
        m_loginItem.setFailure(QString());
        QTest::mouseClick(view()->loginSwitch(), Qt::LeftButton);
        QVERIFY(view()->loginSwitch()->isChecked());
        QVERIFY(!view()->loginNotice()->isVisible());

        // Changed elsewhere while the window was closed: read again on showing.
        m_window->close();
        m_loginItem.setEnabledDirectly(false);
        showWindow();
        QVERIFY(!view()->loginSwitch()->isChecked());
    }

    void resetFlow()
    {
        m_loginItem.setEnabledDirectly(true);
        m_settings->applyStyle(LineStyle::ruler);
        m_settings->setVerticalGuidesEnabled(true);
        m_settings->setGlobalHotkeysEnabled(true);
        m_settings->setCurrentColor({0.2, 0.3, 0.4, 1});
        showWindow();
        const auto answer = [&](QMessageBox::ButtonRole role) {
            view()->resetButton()->click();
            QMessageBox *box = view()->resetConfirmation();
            QVERIFY(box);
            QCOMPARE(box->buttonRole(box->defaultButton()), QMessageBox::RejectRole); // Enter does not reset
            for (QAbstractButton *b : box->buttons())
                if (box->buttonRole(b) == role) b->click();
            QTRY_VERIFY(!view()->resetConfirmation());
        };

        answer(QMessageBox::RejectRole); // Cancel: nothing changes
        QCOMPARE(m_settings->currentStyle(), LineStyle::ruler);
        QVERIFY(m_settings->globalHotkeysEnabled());

        // Reset: defaults, launch at login kept, shortcuts off.
        answer(QMessageBox::DestructiveRole);
        QCOMPARE(m_settings->currentStyle(), LineStyle::highlightBar);
        QCOMPARE(view()->opacityBlock()->valueText(), QStringLiteral("50%"));
        QVERIFY(!view()->shortcutSwitch()->isChecked());
        QVERIFY(m_loginItem.isEnabled());
        QVERIFY(view()->loginSwitch()->isChecked());
        QCOMPARE(selectedSwatches(), QList<int>{0});
        QVERIFY(view()->styleButton(LineStyle::highlightBar)->isSelected());
        const auto disk = onDisk();
        QCOMPARE(disk->currentStyle(), LineStyle::highlightBar);
        QVERIFY(!disk->verticalGuidesEnabled());
        QVERIFY(!disk->globalHotkeysEnabled());
        waitForFold(view()->bracketFold());
        QVERIFY(folded(view()->bracketFold()));
    }

    void escapeCloses()
    {
        showWindow();
        m_settings->setCustomThickness(42);
        view()->thicknessBlock()->slider()->setFocus();
        QTest::keyClick(view()->thicknessBlock()->slider(), Qt::Key_Escape);
        QVERIFY(!m_window->isVisible());
        QCOMPARE(m_settings->customThickness(), 42.0);
        // The same window shows again.
        showWindow();
        QTest::keyClick(m_window.get(), Qt::Key_Escape);
        QVERIFY(!m_window->isVisible());
    }

    void noticeAndFactory()
    {
        std::unique_ptr<QWidget> window(createPreferencesWindow(*m_settings));
        setPreferencesNotice(window.get(), QStringLiteral("No system tray is available."));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QLabel *notice = findLabel(window.get(), QStringLiteral("No system tray is available."));
        QVERIFY(notice && notice->isVisible());
        setPreferencesNotice(window.get(), QString());
        QVERIFY(!notice->isVisible());
        setPreferencesNotice(nullptr, QStringLiteral("ignored")); // no window: nothing happens
    }

    // The pictures of docs/, in the light and the dark theme.
    void followsDarkThemeAndScreenshots()
    {
        showWindow();
        saveShot(m_window->grab().toImage(), QStringLiteral("preferences.png"));
        const QLabel *caption = findLabel(m_window.get(), QStringLiteral("Crosshair-style reading zone"));
        QVERIFY(caption);
        QVERIFY(caption->palette().color(QPalette::WindowText).lightness() < 128);
        // (QApplication only spreads a new palette while its event loop runs;
        // the window's own palette takes the same path through the widgets.)
        const QPalette light = m_window->palette();
        QPalette dark = light;
        for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
            dark.setColor(role, QColor(40, 40, 40));
        for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            dark.setColor(role, QColor(235, 235, 235));
        m_window->setPalette(dark);
        QVERIFY(caption->palette().color(QPalette::WindowText).lightness() > 128);
        m_settings->setVerticalGuidesEnabled(true);
        waitForFold(view()->bracketFold());
        saveShot(m_window->grab().toImage(), QStringLiteral("preferences-dark.png"));
        m_window->setPalette(light);
        QVERIFY(caption->palette().color(QPalette::WindowText).lightness() < 128);

        // The lower part, with the detail blocks open and the preview showing
        // a reading strip with brackets.
        m_settings->applyStyle(LineStyle::readingStrip);
        m_settings->setMagnifierEnabled(true);
        waitForFold(view()->magnifierFold());
        QScrollArea *area = m_window->findChild<QScrollArea *>();
        area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
        QTest::qWait(50);
        saveShot(m_window->grab().toImage(), QStringLiteral("preferences-details.png"));
    }
};

QTEST_MAIN(TestPreferences)
#include "test_preferences.moc"
