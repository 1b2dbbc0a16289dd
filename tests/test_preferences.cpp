// The preferences window against a settings file of its own and the fake
// login item: texts and order, sliders and their value texts, style tiles,
// swatches and the colour well, folding blocks, switches, saving, the reset
// confirmation, Escape, and a screenshot.

#include "feedback/LaunchAtLogin.h"
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
#include <limits>
#include <memory>

namespace {

// Where a widget sits in the window, for checking the order of sections.
int windowY(const QWidget *widget)
{
    return widget->mapTo(widget->window(), QPoint(0, 0)).y();
}

QStringList labelTexts(const QWidget *root)
{
    QStringList texts;
    for (const QLabel *l : root->findChildren<QLabel *>())
        texts << l->text();
    return texts;
}

const QLabel *findLabel(const QWidget *root, const QString &text)
{
    for (const QLabel *l : root->findChildren<QLabel *>())
        if (l->text() == text) return l;
    return nullptr;
}

} // namespace

class TestPreferences : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_configHome;
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

private Q_SLOTS:
    void initTestCase()
    {
        // LaunchAtLogin records successful changes in the shared settings:
        // keep those in a folder of this test.
        qputenv("XDG_CONFIG_HOME", m_configHome.path().toUtf8());
        LaunchAtLogin::setLoginItem(&m_loginItem);
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

    void windowTextsAndOrder()
    {
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Tovani Preferences"));
        QCOMPARE(m_window->size(), QSize(480, 720));
        QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
        QCOMPARE(PreferencesView::toggleShortcutText(), QStringLiteral("Ctrl+Shift+R"));
        QCOMPARE(PreferencesView::shortcutListText(),
                 QStringLiteral("Ctrl+1-5, Ctrl+Shift+R, Ctrl+Shift+T, Ctrl+Shift++/-"));

        const QStringList texts = labelTexts(m_window.get());
        for (const char *expected : {"Tovani",
                                     "Speed reading guide for Linux",
                                     "to toggle",
                                     "Style",
                                     "Color",
                                     "Appearance",
                                     "Opacity",
                                     "Thickness",
                                     "Reading line height",
                                     "Tip: Increase thickness for thicker colored bands",
                                     "Vertical Brackets",
                                     "Crosshair-style reading zone",
                                     "Bracket width",
                                     "Magnifier",
                                     "Zoom on text around cursor",
                                     "Zoom level",
                                     "Requires Screen Recording permission.",
                                     "General",
                                     "Launch at Login",
                                     "Start Tovani when you log in",
                                     "Global Keyboard Shortcuts",
                                     "Reset Settings",
                                     "Restore all settings to defaults",
                                     "Preview"})
            QVERIFY2(texts.contains(QString::fromUtf8(expected)), expected);
        QCOMPARE(view()->resetButton()->text(), QStringLiteral("Reset"));

        // Sections top to bottom in their fixed order; the tiles in style order.
        showWindow();
        int previous = -1;
        for (const char *title :
             {"Style", "Color", "Appearance", "Vertical Brackets", "Magnifier", "General", "Preview"}) {
            const QLabel *l = findLabel(m_window.get(), QString::fromUtf8(title));
            QVERIFY2(l, title);
            QVERIFY2(windowY(l) > previous, title);
            previous = windowY(l);
        }
        int x = -1;
        for (LineStyle style : LineStyles::allCases) {
            StyleButton *tile = view()->styleButton(style);
            QCOMPARE(tile->text(), LineStyles::rawValue(style));
            QVERIFY(tile->x() > x);
            x = tile->x();
            QCOMPARE(tile->focusPolicy(), Qt::NoFocus);
        }

        // 15 swatches and the well: two rows of eight, tooltips "Name - hint".
        QCOMPARE(view()->colorButtons().size(), 15);
        QCOMPARE(view()->colorButtons().first()->toolTip(), QStringLiteral("Amber - Best for light mode"));
        QCOMPARE(view()->colorButtons()[12]->toolTip(), QStringLiteral("Ruler - Classic ruler"));
        QCOMPARE(view()->colorButtons()[7]->y(), view()->colorButtons()[0]->y());
        QVERIFY(view()->colorButtons()[8]->y() > view()->colorButtons()[7]->y());
        QCOMPARE(view()->colorWell()->y(), view()->colorButtons()[8]->y());
        QVERIFY(view()->colorWell()->x() > view()->colorButtons()[14]->x());

        // The live preview's page is 408 wide in the 480-wide window.
        QCOMPARE(view()->previewPanel()->width() - 32, 408);
    }

    void valueTextsShowStoredValuesUnchanged()
    {
        m_settings->setCustomOpacity(0.57);
        QCOMPARE(view()->opacityBlock()->valueText(), QStringLiteral("56%"));
        QCOMPARE(view()->opacityBlock()->slider()->value(), 9); // nearest step, 0.55
        QCOMPARE(m_settings->customOpacity(), 0.57);            // showing it wrote nothing back

        QCOMPARE(view()->bracketWidthBlock()->valueText(), QStringLiteral("40%"));
        QCOMPARE(view()->zoomBlock()->valueText(), QStringLiteral("2.0x"));
    }

    void slidersWriteAndSave()
    {
        showWindow();
        SteppedSlider *width = view()->bracketWidthBlock()->slider();
        QTest::keyClick(width, Qt::Key_Right);
        QCOMPARE(m_settings->verticalGuideMargin(), 20.5);
        QCOMPARE(view()->bracketWidthBlock()->valueText(), QStringLiteral("41%"));
        QCOMPARE(onDisk()->verticalGuideMargin(), 20.5); 

        SteppedSlider *zoom = view()->zoomBlock()->slider();
        zoom->setValue(-10); // from the user: QSlider clamps, the value stays in range
        QCOMPARE(m_settings->magnifierZoom(), 1.1);
        QTest::keyClick(zoom, Qt::Key_End);
        QCOMPARE(m_settings->magnifierZoom(), 3.0);
        QCOMPARE(view()->zoomBlock()->valueText(), QStringLiteral("3.0x"));
        QTest::keyClick(zoom, Qt::Key_Left);
        QCOMPARE(m_settings->magnifierZoom(), 2.9); // exactly, no drift
        QCOMPARE(onDisk()->magnifierZoom(), 2.9);

        view()->opacityBlock()->slider()->setValue(9);
        QCOMPARE(m_settings->customOpacity(), 0.55);
        QCOMPARE(view()->opacityBlock()->valueText(), QStringLiteral("55%"));
        view()->thicknessBlock()->slider()->setValue(99);
        QCOMPARE(m_settings->customThickness(), 100.0);
        view()->bracketOpacityBlock()->slider()->setValue(14);
        QCOMPARE(m_settings->verticalGuideOpacity(), 0.8);
        view()->lineHeightBlock()->slider()->setValue(0);
        QCOMPARE(m_settings->readingStripLineHeight(), 8.0);
        const auto disk = onDisk();
        QCOMPARE(disk->customOpacity(), 0.55);
        QCOMPARE(disk->customThickness(), 100.0);
        QCOMPARE(disk->verticalGuideOpacity(), 0.8);
        QCOMPARE(disk->readingStripLineHeight(), 8.0);
    }

    void styleTiles()
    {
        m_settings->setCustomOpacity(0.9);
        m_settings->setCustomThickness(77);
        QVERIFY(view()->styleButton(LineStyle::underline)->isSelected());
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
        CodableColor translucent{0.1, 0.2, 0.9, 0.4};
        m_settings->setCurrentColor(translucent);
        QCOMPARE(view()->styleButton(LineStyle::ruler)->color(), translucent.toColor());
    }

    void swatches()
    {
        const QList<ColorButton *> &swatches = view()->colorButtons();
        auto selected = [&] {
            QList<int> indexes;
            for (int i = 0; i < swatches.size(); ++i)
                if (swatches[i]->isSelected()) indexes.append(i);
            return indexes;
        };
        QCOMPARE(selected(), QList<int>{0}); // amber by default

        QTest::mouseClick(swatches[1], Qt::LeftButton); // gold
        QCOMPARE(m_settings->currentColor(), CodableColor::fromColor(PresetColor::palette()[1].color));
        QCOMPARE(onDisk()->currentColor(), m_settings->currentColor());
        QCOMPARE(selected(), QList<int>{1});

        // Alpha is not compared; each of R, G, B must lie strictly within 0.01.
        m_settings->setCurrentColor({1.0, 0.75, 0.0, 0.3});
        QCOMPARE(selected(), QList<int>{0});
        m_settings->setCurrentColor({0.995, 0.755, 0.009, 1});
        QCOMPARE(selected(), QList<int>{0});
        m_settings->setCurrentColor({1.0, 0.7601, 0.0, 1});
        QCOMPARE(selected(), QList<int>{});
        m_settings->setCurrentColor({0.3, 0.1, 0.5, 1});
        QCOMPARE(selected(), QList<int>{});
        m_settings->setCurrentColor({std::numeric_limits<double>::quiet_NaN(), 0.75, 0, 1});
        QCOMPARE(selected(), QList<int>{});
    }

    void colorWell()
    {
        showWindow();
        ColorWell *well = view()->colorWell();
        QCOMPARE(well->color(), CodableColor::amber().toColor());
        well->click();
        QColorDialog *dialog = well->dialog();
        QVERIFY(dialog);
        QVERIFY(dialog->testOption(QColorDialog::ShowAlphaChannel));

        // Live while choosing.
        dialog->setCurrentColor(QColor(10, 200, 30, 128));
        QCOMPARE(m_settings->currentColor(), CodableColor::fromColor(QColor(10, 200, 30, 128)));
        // Cancelling puts the colour back.
        dialog->reject();
        QCOMPARE(m_settings->currentColor(), CodableColor::amber());

        well->click();
        dialog = well->dialog();
        QVERIFY(dialog);
        const QColor chosen(10, 200, 30, 128);
        dialog->setCurrentColor(chosen);
        dialog->accept();
        QVERIFY(!well->dialog());
        QCOMPARE(m_settings->currentColor(), CodableColor::fromColor(chosen));
        QVERIFY(std::abs(m_settings->currentColor().alpha - 128 / 255.0) < 1e-6); // alpha kept
        QCOMPARE(onDisk()->currentColor(), m_settings->currentColor());
        QCOMPARE(well->color().alpha(), 128);
        for (ColorButton *swatch : view()->colorButtons())
            QVERIFY(!swatch->isSelected());
    }

    void foldingBlocks()
    {
        // Before showing: folded or not, without animation.
        QVERIFY(folded(view()->lineHeightFold()));
        QVERIFY(folded(view()->bracketFold()));
        QVERIFY(folded(view()->magnifierFold()));
        showWindow();

        // Reading strip picked by a tile: the line height block and its tip unfold.
        view()->styleButton(LineStyle::readingStrip)->click();
        QVERIFY(view()->lineHeightFold()->isExpanded());
        QVERIFY(view()->lineHeightFold()->isAnimating());
        // It starts from nothing and grows (no timing assumed: a busy machine
        // may run the whole animation in one step).
        QCOMPARE(view()->lineHeightFold()->maximumHeight(), 0);
        waitForFold(view()->lineHeightFold());
        QTRY_VERIFY_WITH_TIMEOUT(unfolded(view()->lineHeightFold()),
                                 2000); // the last layout pass may still be queued
        QVERIFY(view()->lineHeightBlock()->isVisible());

        // Changed from outside the window (a shortcut): folds the same way.
        m_settings->setCurrentStyle(LineStyle::ruler);
        QVERIFY(!view()->lineHeightFold()->isExpanded());
        QVERIFY(view()->lineHeightFold()->isAnimating());
        waitForFold(view()->lineHeightFold());
        QVERIFY(folded(view()->lineHeightFold()));

        // Brackets by their switch, magnifier from outside.
        QTest::mouseClick(view()->bracketSwitch(), Qt::LeftButton);
        QVERIFY(m_settings->verticalGuidesEnabled());
        QVERIFY(onDisk()->verticalGuidesEnabled());
        m_settings->setMagnifierEnabled(true);
        waitForFold(view()->bracketFold());
        waitForFold(view()->magnifierFold());
        QTRY_VERIFY_WITH_TIMEOUT(unfolded(view()->bracketFold()),
                                 2000); // the last layout pass may still be queued
        QTRY_VERIFY_WITH_TIMEOUT(unfolded(view()->magnifierFold()),
                                 2000); // the last layout pass may still be queued
        QVERIFY(
            findLabel(m_window.get(), QStringLiteral("Requires Screen Recording permission."))->isVisible());

        // Switching back and forth quickly ends in the last state.
        m_settings->setVerticalGuidesEnabled(false);
        QTest::qWait(50);
        m_settings->setVerticalGuidesEnabled(true);
        QTest::qWait(50);
        m_settings->setVerticalGuidesEnabled(false);
        waitForFold(view()->bracketFold());
        QVERIFY(folded(view()->bracketFold()));

        QTest::mouseClick(view()->magnifierSwitch(), Qt::LeftButton);
        QVERIFY(!m_settings->magnifierEnabled());
        QVERIFY(!onDisk()->magnifierEnabled());
        waitForFold(view()->magnifierFold());
        QVERIFY(folded(view()->magnifierFold()));
    }

    void previewFollowsSettings()
    {
        showWindow();
        PreviewPanel *panel = view()->previewPanel();
        QCOMPARE(panel->size(), QSize(440, 152));
        m_settings->setCurrentColor({0, 0, 1, 1});
        // The left bracket, margin 20: centred 81.6 left of the page centre,
        // page x 122.4 (panel x 138.4), rows page 88..112 (thickness 4).
        auto pixel = [&](int x, int y) { return panel->grab().toImage().pixel(x, y); };
        const QRgb without = pixel(138, 16 + 90);
        m_settings->setVerticalGuidesEnabled(true);
        const QRgb with = pixel(138, 16 + 90);
        QVERIFY(qBlue(with) > qRed(with) + 60);
        QVERIFY(with != without);
        // The bars follow the bracket width slider.
        view()->bracketWidthBlock()->slider()->setValue(
            view()->bracketWidthBlock()->slider()->maximum()); // 40 %
        QCOMPARE(pixel(138, 16 + 90), without);
        QVERIFY(qBlue(pixel(16 + 204 - 163, 16 + 90)) > qRed(pixel(16 + 204 - 163, 16 + 90)) + 60);
        m_settings->setVerticalGuidesEnabled(false);
        QCOMPARE(pixel(16 + 204 - 163, 16 + 90), without);

        // The guide follows the style and thickness.
        m_settings->applyStyle(LineStyle::highlightBar);
        QVERIFY(qBlue(pixel(220, 16 + 87)) > qRed(pixel(220, 16 + 87)) + 60); // 28 high: 86..113
        m_settings->setCustomThickness(4);
        QVERIFY(qBlue(pixel(220, 16 + 87)) < qRed(pixel(220, 16 + 87)) + 20);
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
        QCOMPARE(view()->loginNotice()->text(), QStringLiteral("Failed to enable launch at login: permission denied"));
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
        m_settings->setCustomOpacity(0.9);
        m_settings->setVerticalGuidesEnabled(true);
        m_settings->setMagnifierEnabled(true);
        m_settings->setGlobalHotkeysEnabled(true);
        m_settings->setCurrentColor({0.2, 0.3, 0.4, 1});
        m_settings->flush();
        showWindow();
        waitForFold(view()->bracketFold());

        QTest::mouseClick(view()->resetButton(), Qt::LeftButton);
        QMessageBox *box = view()->resetConfirmation();
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), QStringLiteral("Reset to Defaults?"));
        QCOMPARE(box->text(), QStringLiteral("Reset to Defaults?"));
        QCOMPARE(box->informativeText(),
                 QStringLiteral("This will restore all settings to their default values."));
        QCOMPARE(box->buttons().size(), 2);
        QPushButton *cancel = nullptr;
        QPushButton *reset = nullptr;
        for (QAbstractButton *b : box->buttons()) {
            if (b->text() == u"Cancel") cancel = qobject_cast<QPushButton *>(b);
            if (b->text() == u"Reset") reset = qobject_cast<QPushButton *>(b);
        }
        QVERIFY(cancel && reset);
        QCOMPARE(box->buttonRole(cancel), QMessageBox::RejectRole);
        QCOMPARE(box->buttonRole(reset), QMessageBox::DestructiveRole);

        // Cancel: nothing changes.
        cancel->click();
        QTRY_VERIFY(!view()->resetConfirmation());
        QCOMPARE(m_settings->currentStyle(), LineStyle::ruler);
        QCOMPARE(m_settings->customOpacity(), 0.9);
        QVERIFY(m_settings->globalHotkeysEnabled());
        QVERIFY(m_settings->verticalGuidesEnabled());

        // Reset: defaults, launch at login kept, shortcuts off, no notification.
        view()->resetButton()->click();
        box = view()->resetConfirmation();
        QVERIFY(box);
        for (QAbstractButton *b : box->buttons())
            if (b->text() == u"Reset") b->click();
        QTRY_VERIFY(!view()->resetConfirmation());
        QCOMPARE(m_settings->currentStyle(), LineStyle::highlightBar);
        QCOMPARE(view()->opacityBlock()->valueText(), QStringLiteral("50%"));
        QCOMPARE(view()->thicknessBlock()->valueText(), QStringLiteral("28px"));
        QVERIFY(!m_settings->globalHotkeysEnabled());
        QVERIFY(!view()->shortcutSwitch()->isChecked());
        QVERIFY(m_loginItem.isEnabled());
        QVERIFY(view()->loginSwitch()->isChecked());
        QVERIFY(view()->colorButtons()[0]->isSelected());
        QVERIFY(view()->styleButton(LineStyle::highlightBar)->isSelected());
        const auto disk = onDisk();
        QCOMPARE(disk->currentStyle(), LineStyle::highlightBar);
        QVERIFY(!disk->verticalGuidesEnabled());
        QVERIFY(!disk->globalHotkeysEnabled());
        waitForFold(view()->bracketFold());
        waitForFold(view()->magnifierFold());
        QVERIFY(folded(view()->bracketFold()));
        QVERIFY(folded(view()->magnifierFold()));
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
        QCOMPARE(window->windowTitle(), QStringLiteral("Tovani Preferences"));
        setPreferencesNotice(window.get(), QStringLiteral("No system tray is available."));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QLabel *notice = findLabel(window.get(), QStringLiteral("No system tray is available."));
        QVERIFY(notice && notice->isVisible());
        setPreferencesNotice(window.get(), QString());
        QVERIFY(!notice->isVisible());
        setPreferencesNotice(nullptr, QStringLiteral("ignored")); // no window: nothing happens
    }

    void followsDarkTheme()
    {
        showWindow();
        const QLabel *caption = findLabel(m_window.get(), QStringLiteral("Crosshair-style reading zone"));
        QVERIFY(caption);
        QVERIFY(caption->palette().color(QPalette::WindowText).lightness() < 128);
        // (QApplication only spreads a new palette while its event loop runs;
        // the window's own palette takes the same path through the widgets.)
        const QPalette light = m_window->palette();
        QPalette dark = light;
        dark.setColor(QPalette::Window, QColor(40, 40, 40));
        dark.setColor(QPalette::WindowText, QColor(235, 235, 235));
        dark.setColor(QPalette::Base, QColor(25, 25, 25));
        dark.setColor(QPalette::Text, QColor(235, 235, 235));
        dark.setColor(QPalette::Button, QColor(55, 55, 55));
        dark.setColor(QPalette::ButtonText, QColor(235, 235, 235));
        m_window->setPalette(dark);
        QVERIFY(caption->palette().color(QPalette::WindowText).lightness() > 128);
        // TOVANI_SCREENSHOT_DIR=docs keeps them (the pictures in docs/ are made
        // so); otherwise they go to a folder removed after the test.
        QTemporaryDir scratch;
        const QString dir = qEnvironmentVariable("TOVANI_SCREENSHOT_DIR", scratch.path());
        m_settings->setVerticalGuidesEnabled(true);
        waitForFold(view()->bracketFold());
        QVERIFY(m_window->grab().toImage().save(QDir(dir).filePath(QStringLiteral("preferences-dark.png"))));
        m_window->setPalette(light);
        QVERIFY(caption->palette().color(QPalette::WindowText).lightness() < 128);
    }

    void screenshot()
    {
        showWindow();
        QTest::qWait(50);
        const QImage shot = m_window->grab().toImage();
        QCOMPARE(shot.size() / shot.devicePixelRatio(), QSize(480, 720));
        // TOVANI_SCREENSHOT_DIR=docs keeps them (the pictures in docs/ are made
        // so); otherwise they go to a folder removed after the test.
        QTemporaryDir scratch;
        const QString dir = qEnvironmentVariable("TOVANI_SCREENSHOT_DIR", scratch.path());
        QVERIFY(shot.save(QDir(dir).filePath(QStringLiteral("preferences.png"))));

        // The lower part, with the detail blocks open and the preview showing
        // a reading strip with brackets.
        m_settings->applyStyle(LineStyle::readingStrip);
        m_settings->setVerticalGuidesEnabled(true);
        m_settings->setMagnifierEnabled(true);
        waitForFold(view()->magnifierFold());
        QScrollArea *area = m_window->findChild<QScrollArea *>();
        area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
        QTest::qWait(50);
        QVERIFY(
            m_window->grab().toImage().save(QDir(dir).filePath(QStringLiteral("preferences-details.png"))));
    }
};

QTEST_MAIN(TestPreferences)
#include "test_preferences.moc"
