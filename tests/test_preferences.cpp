// The preferences window against a settings file of its own and a fake login
// item: every control writes and saves its setting and follows changes made
// elsewhere, the reset confirmation, the magnifier notice, the dark theme.
// With TOVANI_SCREENSHOT_DIR=docs it saves the pictures of docs/.

#include "feedback/LaunchAtLogin.h"
#include "magnifier/MagnifierWindow.h"
#include "platform/FakePlatform.h"
#include "ui/ColorButton.h"
#include "ui/Controls.h"
#include "ui/PreferencesView.h"
#include "ui/SliderBlock.h"
#include "ui/StyleButton.h"

#include <QtTest>
#include <QtWidgets>

namespace {

using View = PreferencesView;
platform::FakeLoginItem loginItem;

class SessionPlatform : public platform::FakePlatform
{
public:
    bool x11 = true;
    bool isX11() const override { return x11; }
};

QString on(bool value)
{
    return QString::fromLatin1(value ? "on" : "off");
}
QString on(bool saved, const ToggleSwitch *shown)
{
    return on(saved) + '/' + on(shown->isChecked());
}
bool unfolded(FoldingBlock *f)
{
    return f->isVisible() && f->isExpanded() && f->height() >= f->sizeHint().height();
}
QString fold(FoldingBlock *f)
{
    return f->isHidden() && !f->isExpanded() ? "" : unfolded(f) ? "/open" : "/moving";
}

// Each setting as "name=saved/shown": the value the next start reads, then
// what its control shows (selected tiles or swatches, the switch, the value
// text at the handle's position), the block it unfolds ("moving" while
// folding) and the notices.
QStringList state(View &v)
{
    // Read from a copy at a new path: QSettings serves a file of the same
    // path, size and modification time from its cache.
    v.settings().flush();
    const QTemporaryDir copy;
    QFile::copy(v.settings().filePath(), copy.filePath(QStringLiteral("tovani.conf")));
    const AppSettings saved(copy.filePath(QStringLiteral("tovani.conf")));
    const auto notice = [&v](const QLabel *l) { return l->isVisibleTo(&v) ? '/' + l->text() : QString(); };
    QStringList tiles, swatches;
    for (LineStyle style : LineStyles::allCases)
        if (v.styleButton(style)->isSelected()) tiles << LineStyles::rawValue(style);
    for (int i = 0; i < v.colorButtons().size(); ++i)
        if (v.colorButtons()[i]->isSelected()) swatches << QString::number(i);
    const auto *trayNotice = v.findChild<QWidget *>(QStringLiteral("notice"))->findChild<QLabel *>();
    QStringList words{
        "window=" + on(v.isVisible()) + notice(trayNotice),
        "style=" + LineStyles::rawValue(saved.currentStyle()) + '/' + tiles.join(u',') +
            fold(v.lineHeightFold()),
        "colour=" + saved.currentColor().toColor().name(QColor::HexArgb) + '/' + swatches.join(u','),
        "brackets=" + on(saved.verticalGuidesEnabled(), v.bracketSwitch()) + fold(v.bracketFold()),
        "magnifier=" + on(saved.magnifierEnabled(), v.magnifierSwitch()) + fold(v.magnifierFold()) +
            notice(v.magnifierNotice()),
        "shortcuts=" + on(saved.globalHotkeysEnabled(), v.shortcutSwitch()),
        "login=" + on(loginItem.isEnabled(), v.loginSwitch()) + notice(v.loginNotice())};
    for (const auto &[name, block, value] :
         {std::tuple{"opacity", v.opacityBlock(), saved.customOpacity()},
          {"thickness", v.thicknessBlock(), saved.customThickness()},
          {"strip", v.lineHeightBlock(), saved.readingStripLineHeight()},
          {"width", v.bracketWidthBlock(), saved.verticalGuideMargin()},
          {"bracket opacity", v.bracketOpacityBlock(), saved.verticalGuideOpacity()},
          {"zoom", v.zoomBlock(), saved.magnifierZoom()}})
        words << QStringLiteral("%1=%2/%3 at %4")
                     .arg(QLatin1String(name))
                     .arg(value)
                     .arg(block->valueText())
                     .arg(block->slider()->value());
    return words;
}

// TOVANI_SCREENSHOT_DIR=docs keeps a picture of the window (docs/ is made so).
void shoot(QWidget *window, const char *name)
{
    const QString dir = qEnvironmentVariable("TOVANI_SCREENSHOT_DIR");
    if (!dir.isEmpty()) QVERIFY(window->grab().save(QDir(dir).filePath(QString::fromLatin1(name))));
}

} // namespace

class TestPreferences : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    SessionPlatform m_platform;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<PreferencesWindow> m_window;

    View *view() const { return m_window->view(); }
    void showWindow()
    {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", m_dir.path().toUtf8()); // where LaunchAtLogin records its changes
        LaunchAtLogin::setLoginItem(&loginItem);
        platform::Platform::setInstance(&m_platform); // asked whether the magnifier can capture
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    }

    void init()
    {
        m_window.reset();
        QFile::remove(m_dir.filePath(QStringLiteral("tovani.conf")));
        m_settings = std::make_unique<AppSettings>(m_dir.filePath(QStringLiteral("tovani.conf")));
        loginItem.setEnabledDirectly(false);
        loginItem.setFailure(QString());
        m_platform.x11 = true;
        m_window = std::make_unique<PreferencesWindow>(*m_settings);
    }

    void controlsWriteAndFollow()
    {
        View *v = view();
        AppSettings &s = *m_settings;
        m_platform.x11 = false; // the magnifier notice tells why it shows nothing
        const QString needsX11 = '/' + MagnifierView::needsX11Text();
        const auto choose = [v, &s](bool ok) { // the chooser shows each colour live
            v->colorWell()->click();
            v->colorWell()->dialog()->setCurrentColor(QColor(10, 200, 30, 128));
            QCOMPARE(s.currentColor().toColor(), QColor(10, 200, 30, 128));
            ok ? v->colorWell()->dialog()->accept() : v->colorWell()->dialog()->reject();
        };
        const auto flip = [&s](void (AppSettings::*set)(bool)) { // while its block still folds
            for (bool value : {false, true, false}) {
                (s.*set)(value);
                QTest::qWait(30);
            }
        };
        const auto reset = [v](QMessageBox::ButtonRole role) { // Enter picks Cancel
            v->resetButton()->click();
            QMessageBox *box = v->resetConfirmation();
            QVERIFY(box && box->buttonRole(box->defaultButton()) == QMessageBox::RejectRole);
            for (QAbstractButton *b : box->buttons())
                if (box->buttonRole(b) == role) b->click();
        };
        const auto click = [](QAbstractButton *b) { QTest::mouseClick(b, Qt::LeftButton); };
        const auto hex = [](const CodableColor &c) { return "colour=" + c.toColor().name(QColor::HexArgb); };
        const CodableColor nearlyAmber{0.995, 0.755, 0.009, 0.3}; // R, G, B within 0.01; alpha not compared
        const QString noTray = QStringLiteral("No system tray is available.");
        // A person's action or a change made elsewhere (a hot key, the tray),
        // and what it changes; each step starts where the last one ended.
        // Sliders land on exact steps (0.55, never 0.5500000000000001); a
        // stored value between steps shows its own text, unrounded.
        const std::pair<std::function<void()>, QString> steps[] = {
            {[this] { showWindow(); }, "window=on"},
            {[v] { v->opacityBlock()->slider()->setValue(9); }, "opacity=0.55/55% at 9"},
            {[&s] { s.setCustomOpacity(0.57); }, "opacity=0.57/56% at 9"},
            {[v] { v->thicknessBlock()->slider()->setValue(99); }, "thickness=100/100px at 99"},
            {[&s] { s.setCustomThickness(27.9); }, "thickness=27.9/27px at 27"},
            {[v] { v->lineHeightBlock()->slider()->setValue(0); }, "strip=8/8px at 0"},
            {[&s] { s.setReadingStripLineHeight(30.6); }, "strip=30.6/30px at 23"},
            {[v] { v->bracketWidthBlock()->slider()->setValue(39); }, "width=20.5/41% at 39"},
            {[&s] { s.setVerticalGuideMargin(7.3); }, "width=7.3/14% at 13"},
            {[v] { v->bracketOpacityBlock()->slider()->setValue(14); }, "bracket opacity=0.8/80% at 14"},
            {[&s] { s.setVerticalGuideOpacity(0.42); }, "bracket opacity=0.42/42% at 6"},
            {[v] { v->zoomBlock()->slider()->setValue(18); }, "zoom=2.9/2.9x at 18"},
            {[&s] { s.setMagnifierZoom(1.34); }, "zoom=1.34/1.3x at 2"},
            // A tile loads its style's defaults, also when it is already selected.
            {[v, &s] {
                 v->styleButton(LineStyle::readingStrip)->click();
                 s.setCustomThickness(60);
                 v->styleButton(LineStyle::readingStrip)->click();
             },
             "style=Reading Strip/Reading Strip/open opacity=0.55/55% at 9 thickness=55/55px at 54"},
            {[&s] { s.setCurrentStyle(LineStyle::ruler); }, "style=Ruler/Ruler"},
            {[&] { click(v->colorButtons()[1]); },
             hex(CodableColor::fromColor(PresetColor::palette()[1].color)) + "/1"},
            {[&] { s.setCurrentColor(nearlyAmber); }, hex(nearlyAmber) + "/0"},
            {[&] { choose(false); }, ""},
            {[&] { choose(true); }, "colour=#800ac81e/"},
            {[&] { click(v->bracketSwitch()); }, "brackets=on/on/open"},
            {[&] { flip(&AppSettings::setVerticalGuidesEnabled); }, "brackets=off/off"},
            {[&] { click(v->magnifierSwitch()); }, "magnifier=on/on/open" + needsX11},
            {[&] { flip(&AppSettings::setMagnifierEnabled); }, "magnifier=off/off"},
            {[&] { click(v->shortcutSwitch()); }, "shortcuts=on/on"},
            {[&] { flip(&AppSettings::setGlobalHotkeysEnabled); }, "shortcuts=off/off"},
            // The login switch shows the login item as it is, asked again on
            // showing; a refused change says why until then.
            {[&] {
                 loginItem.setFailure(QStringLiteral("permission denied"));
                 click(v->loginSwitch());
             },
             "login=off/off/Failed to enable launch at login: permission denied"},
            {[v] { QTest::keyClick(v->zoomBlock()->slider(), Qt::Key_Escape); }, "window=off"},
            {[this] {
                 loginItem.setEnabledDirectly(true);
                 showWindow();
             },
             "window=on login=on/on"},
            {[&] { setPreferencesNotice(m_window.get(), noTray); }, "window=on/" + noTray},
            {[this] { setPreferencesNotice(m_window.get(), QString()); }, "window=on"},
            {[&s] {
                 s.setVerticalGuidesEnabled(true);
                 s.setMagnifierEnabled(true);
                 s.setGlobalHotkeysEnabled(true);
             },
             "brackets=on/on/open magnifier=on/on/open" + needsX11 + " shortcuts=on/on"},
            {[&] { reset(QMessageBox::RejectRole); }, ""},
        };
        QVERIFY(!state(*v).join(u' ').contains(u"moving")); // the blocks start folded, not folding
        for (const auto &step : steps) {
            const QString &changes = step.second;
            const QStringList before = state(*v);
            step.first();
            QString got;
            const bool settled = QTest::qWaitFor(
                [&] {
                    QStringList after = state(*v);
                    after.removeIf([&before](const QString &word) { return before.contains(word); });
                    return (got = after.join(u' ')) == changes;
                },
                2000);
            QVERIFY2(settled, qPrintable(QStringLiteral("\"%1\", not \"%2\"").arg(got, changes)));
        }
        // Reset: what resetToDefaults() gives, shown and saved; launch at
        // login is left as it is.
        reset(QMessageBox::DestructiveRole);
        AppSettings defaults(m_dir.filePath(QStringLiteral("defaults.conf")));
        defaults.resetToDefaults();
        PreferencesWindow fresh(defaults);
        fresh.show();
        QTRY_COMPARE_WITH_TIMEOUT(state(*v), state(*fresh.view()), 2000);
        QVERIFY(loginItem.isEnabled());
    }

    void darkThemeAndScreenshots()
    {
        showWindow();
        shoot(m_window.get(), "preferences.png");
        // Every text follows a dark palette: none keeps a dark colour of its own.
        const QPalette light = m_window->palette();
        QPalette dark = light;
        for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
            dark.setColor(role, QColor(40, 40, 40));
        for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            dark.setColor(role, QColor(235, 235, 235));
        m_window->setPalette(dark);
        for (const QLabel *l : m_window->findChildren<QLabel *>())
            QVERIFY2(l->palette().color(l->foregroundRole()).lightness() > 128, qPrintable(l->text()));
        m_settings->setVerticalGuidesEnabled(true);
        QTRY_VERIFY_WITH_TIMEOUT(unfolded(view()->bracketFold()), 2000);
        shoot(m_window.get(), "preferences-dark.png");
        // The lower part: the detail blocks open, a reading strip with brackets.
        m_window->setPalette(light);
        m_settings->applyStyle(LineStyle::readingStrip);
        m_settings->setMagnifierEnabled(true);
        QTRY_VERIFY_WITH_TIMEOUT(unfolded(view()->magnifierFold()), 2000);
        QVERIFY(!view()->magnifierNotice()->isVisibleTo(view())); // capture works here
        QScrollBar *bar = m_window->findChild<QScrollArea *>()->verticalScrollBar();
        bar->setValue(bar->maximum());
        QTest::qWait(50);
        shoot(m_window.get(), "preferences-details.png");
    }
};

QTEST_MAIN(TestPreferences)
#include "test_preferences.moc"
