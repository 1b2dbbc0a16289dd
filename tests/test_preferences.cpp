// The preferences window against a settings file of its own and a fake login
// item: every control writes and saves its setting and follows changes made
// elsewhere, the reset confirmation, the magnifier notice, the dark theme;
// the keyboard and screen readers reach every control and change settings
// exactly as a click does; a folding block of wrapping text follows the
// width. The About window: its version line (blanks read as 1.0 and 1) and
// Escape closing it. (That both fit at larger fonts is test_translations';
// docs/tools/window_shots makes the pictures of both in docs/.)

#include "magnifier/MagnifierWindow.h"
#include "platform/FakePlatform.h"
#include "ui/AboutView.h"
#include "ui/ColorButton.h"
#include "ui/Controls.h"
#include "ui/LaunchAtLogin.h"
#include "ui/PreferencesView.h"
#include "ui/SliderBlock.h"
#include "ui/StyleButton.h"

#include <QtTest>
#include <QtWidgets>

#include <cmath>

namespace {

// The test's platform, made before any window.
platform::FakePlatform *fake = nullptr;

const auto on = [](bool value) { return QString::fromLatin1(value ? "on" : "off"); };
const auto unfolded = [](auto *f) { return f->isVisible() && f->isExpanded() && f->height() >= f->sizeHint().height(); };
const auto fold = [](auto *f) { return f->isHidden() && !f->isExpanded() ? "" : unfolded(f) ? "/open" : "/moving"; };

// Each setting as "name=saved/shown": the value the next start reads, then
// what its control shows (selected tiles or swatches, the switch, the value
// text at the handle's position), the block it unfolds ("moving" while
// folding) and the notices.
QStringList state(PreferencesView &v)
{
    // Read from a copy at a new path: QSettings serves a file of the same
    // path, size and modification time from its cache.
    v.settings().flush();
    const QTemporaryDir copy;
    QFile::copy(v.settings().filePath(), copy.filePath(QStringLiteral("tovani.conf")));
    const AppSettings saved(copy.filePath(QStringLiteral("tovani.conf")));
    const auto notice = [&v](const QLabel *l) { return l->isVisibleTo(&v) ? '/' + l->text() : QString(); };
    const auto toggle = [](bool saved, const ToggleSwitch *s) { return on(saved) + '/' + on(s->isChecked()); };
    QStringList tiles, swatches;
    for (LineStyle style : LineStyles::allCases)
        if (v.styleButton(style)->isSelected()) tiles << LineStyles::rawValue(style);
    for (int i = 0; i < v.colorButtons().size(); ++i)
        if (v.colorButtons()[i]->isSelected()) swatches << QString::number(i);
    QStringList words{"window=" + on(v.isVisible()) + notice(v.findChild<QWidget *>(QStringLiteral("notice"))->findChild<QLabel *>()),
                      "style=" + LineStyles::rawValue(saved.currentStyle()) + '/' + tiles.join(u',') + fold(v.lineHeightFold()),
                      "colour=" + saved.currentColor().toColor().name(QColor::HexArgb) + '/' + swatches.join(u','),
                      "brackets=" + toggle(saved.verticalGuidesEnabled(), v.bracketSwitch()) + fold(v.bracketFold()),
                      "magnifier=" + toggle(saved.magnifierEnabled(), v.magnifierSwitch()) + fold(v.magnifierFold()) + notice(v.magnifierNotice()),
                      "shortcuts=" + toggle(saved.globalHotkeysEnabled(), v.shortcutSwitch()),
                      "lines=" + toggle(saved.snapToTextLines(), v.snapSwitch()) + ',' + toggle(saved.followTextCursor(), v.caretSwitch()) +
                          (v.qtRestartNotice()->isVisibleTo(&v) ? "/restart" : "") +
                          (v.textLinesExplanation()->text().contains(u"you type") ? "/cursor" : ""),
                      "login=" + toggle(fake->fakeLoginItem.isEnabled(), v.loginSwitch()) + notice(v.loginNotice())};
    for (const auto &[name, block, value] : {std::tuple{"opacity", v.opacityBlock(), saved.customOpacity()},
                                             {"thickness", v.thicknessBlock(), saved.customThickness()},
                                             {"strip", v.lineHeightBlock(), saved.readingStripLineHeight()},
                                             {"width", v.bracketWidthBlock(), saved.verticalGuideMargin()},
                                             {"bracket opacity", v.bracketOpacityBlock(), saved.verticalGuideOpacity()},
                                             {"zoom", v.zoomBlock(), saved.magnifierZoom()}})
        words << QStringLiteral("%1=%2/%3 at %4")
                     .arg(QLatin1String(name), QString::number(value), block->valueText(), QString::number(block->slider()->value()));
    return words;
}

// A screen reader hears what a control shows: checked or not, the value.
bool heardAsShown(QWidget *c)
{
    QAccessibleInterface *i = QAccessible::queryAccessibleInterface(c);
    if (auto *block = qobject_cast<SliderBlock *>(c->parentWidget()))
        return i->text(QAccessible::Value) == block->valueText() &&
               i->valueInterface()->currentValue().toDouble() == valuetext::number(block->valueText());
    return bool(i->state().checked) == static_cast<QAbstractButton *>(c)->isChecked();
}

// A window on settings of its own with every block open and a colour that is
// none of the swatches; its controls in reading order.
struct OpenWindow
{
    QTemporaryDir dir;
    AppSettings settings{dir.filePath(QStringLiteral("tovani.conf"))};
    PreferencesWindow window{*fake, settings};
    PreferencesView *v = window.view();
    OpenWindow()
    {
        settings.applyStyle(LineStyle::readingStrip);
        settings.setVerticalGuidesEnabled(true);
        settings.setMagnifierEnabled(true);
        settings.setCurrentColor({0.2, 0.3, 0.4, 1});
        window.show();
    }
    bool settled() const
    {
        // Set before showing, the blocks open at once, while showing has only
        // posted the requests that lay out the nested widgets again: sizes
        // are final once those are handled.
        const bool open =
            QTest::qWaitFor([this] { return unfolded(v->lineHeightFold()) && unfolded(v->bracketFold()) && unfolded(v->magnifierFold()); });
        return QCoreApplication::sendPostedEvents(), open;
    }
    QList<QWidget *> controls() const // tiles 0-4, swatches 5-19, then 20-
    {
        QList<QWidget *> all;
        for (LineStyle style : LineStyles::allCases)
            all << v->styleButton(style);
        for (ColorButton *b : v->colorButtons())
            all << b;
        return all << v->colorWell() << v->opacityBlock()->slider() << v->thicknessBlock()->slider() << v->lineHeightBlock()->slider()
                   << v->bracketSwitch() << v->bracketWidthBlock()->slider() << v->bracketOpacityBlock()->slider() << v->magnifierSwitch()
                   << v->zoomBlock()->slider() << v->snapSwitch() << v->caretSwitch() << v->lineKeysSwitch() << v->speechRateBlock()->slider()
                   << v->voiceBox() << v->loginSwitch() << v->shortcutSwitch() << v->resetButton();
    }
};

} // namespace

class TestPreferences : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    platform::FakePlatform m_platform;
    AppSettings m_settings{m_dir.filePath(QStringLiteral("tovani.conf"))};
    std::unique_ptr<PreferencesWindow> m_window;

    // Each step, a person's action or a change made elsewhere (a hot key, the
    // tray), must change exactly those words of state(), starting where the
    // step before ended; the first wrong one is told.
    using Steps = QList<std::pair<std::function<void()>, QString>>;
    QString run(const Steps &steps)
    {
        for (const auto &[act, changes] : steps) {
            const QStringList before = state(*m_window->view());
            act();
            QString got;
            const auto changed = [&, &changes = changes] {
                QStringList after = state(*m_window->view());
                after.removeIf([&before](const QString &word) { return before.contains(word); });
                return (got = after.join(u' ')) == changes;
            };
            if (!QTest::qWaitFor(changed, 2000)) return QStringLiteral("\"%1\", not \"%2\"").arg(got, changes);
        }
        return {};
    }
    static void click(QAbstractButton *b) { QTest::mouseClick(b, Qt::LeftButton); }
    // Reset, answered with the button of that role; Enter picks Cancel.
    void reset(QMessageBox::ButtonRole role)
    {
        m_window->view()->resetButton()->click();
        QMessageBox *box = m_window->view()->resetConfirmation();
        QVERIFY(box && box->buttonRole(box->defaultButton()) == QMessageBox::RejectRole);
        for (QAbstractButton *b : box->buttons())
            if (box->buttonRole(b) == role) b->click();
    }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", m_dir.path().toUtf8()); // where LaunchAtLogin records its changes
        fake = &m_platform;
        m_window = std::make_unique<PreferencesWindow>(m_platform, m_settings);
    }

    // Sliders land on exact steps (0.55, never 0.5500000000000001); a stored
    // value between steps shows its own text, unrounded. A tile loads its
    // style's defaults, also when it is already selected. A colour whose R,
    // G, B are each within 0.01 of a swatch's selects it; alpha does not
    // count; the chooser shows each colour live.
    void slidersTilesAndColours()
    {
        PreferencesView *v = m_window->view();
        AppSettings &s = m_settings;
        const auto choose = [v, &s](bool ok) {
            v->colorWell()->click();
            v->colorWell()->dialog()->setCurrentColor(QColor(10, 200, 30, 128));
            QCOMPARE(s.currentColor().toColor(), QColor(10, 200, 30, 128));
            ok ? v->colorWell()->dialog()->accept() : v->colorWell()->dialog()->reject();
        };
        QVERIFY(!state(*v).join(u' ').contains(u"moving")); // the blocks start folded, not folding
        const CodableColor near{0.995, 0.755, 0.009, 0.3};  // swatch 0 but for alpha
        const Steps steps = {{[this] { m_window->show(); }, "window=on magnifier=off/off/" + MagnifierView::needsX11Text()},
                             {[v] { v->opacityBlock()->slider()->setValue(9); }, "opacity=0.55/55% at 9"},
                             {[&s] { s.setCustomOpacity(0.57); }, "opacity=0.57/56% at 9"},
                             {[v] { v->thicknessBlock()->slider()->setValue(99); }, "thickness=100/100px at 99"},
                             {[&s] { s.setCustomThickness(27.9); }, "thickness=27.9/27px at 27"},
                             {[v] { v->lineHeightBlock()->slider()->setValue(0); }, "strip=8/8px at 0"},
                             {[v] { v->bracketWidthBlock()->slider()->setValue(39); }, "width=20.5/41% at 39"},
                             {[&s] { s.setVerticalGuideMargin(7.3); }, "width=7.3/14% at 13"},
                             {[v] { v->bracketOpacityBlock()->slider()->setValue(14); }, "bracket opacity=0.8/80% at 14"},
                             {[v] { v->zoomBlock()->slider()->setValue(18); }, "zoom=2.9/2.9x at 18"},
                             {[&s] { s.setMagnifierZoom(1.34); }, "zoom=1.34/1.3x at 2"},
                             {[&] { v->styleButton(LineStyle::readingStrip)->click(), s.setCustomThickness(60); },
                              "style=Reading Strip/Reading Strip/open opacity=0.55/55% at 9 thickness=60/60px at 59"},
                             {[&] { v->styleButton(LineStyle::readingStrip)->click(); }, "thickness=55/55px at 54"},
                             {[&s] { s.setCurrentStyle(LineStyle::ruler); }, "style=Ruler/Ruler"},
                             {[&] { click(v->colorButtons()[1]); }, "colour=" + PresetColor::palette()[1].color.name(QColor::HexArgb) + "/1"},
                             {[&s, near] { s.setCurrentColor(near); }, "colour=#4dfec102/0"},
                             {[&] { choose(false); }, ""},
                             {[&] { choose(true); }, "colour=#800ac81e/"}};
        QCOMPARE(run(steps), QString());
    }

    // Switches unfold their blocks (and fold them, also while they still
    // move); what the text-line switches do is said as they change; the login
    // switch shows the login item as it is, asked again on showing, and a
    // refused change says why until then. A reset has every control follow a
    // change made elsewhere, to what a new window shows; launch at login is
    // left as it is.
    void switchesNoticesAndReset()
    {
        PreferencesView *v = m_window->view();
        AppSettings &s = m_settings;
        m_platform.x11 = false; // the magnifier notice tells why it shows nothing
        platform::FakeLoginItem &login = m_platform.fakeLoginItem;
        const QString needsX11 = '/' + MagnifierView::needsX11Text();
        const auto flip = [&s](void (AppSettings::*set)(bool)) {
            for (bool value : {false, true, false})
                (s.*set)(value), QTest::qWait(30);
        };
        const Steps steps = {
            {[&] { click(v->bracketSwitch()); }, "brackets=on/on/open"},
            {[&] { flip(&AppSettings::setVerticalGuidesEnabled); }, "brackets=off/off"},
            // No way to magnify: the switch stays off, the reason beside it.
            {[&] { click(v->magnifierSwitch()), s.setMagnifierEnabled(true); }, "magnifier=on/off" + needsX11},
            {[&] { flip(&AppSettings::setMagnifierEnabled); }, "magnifier=off/off" + needsX11},
            {[&] { click(v->shortcutSwitch()); }, "shortcuts=on/on"},
            {[&] { click(v->snapSwitch()); }, "lines=off/off,off/off"},
            {[&] { click(v->caretSwitch()); }, "lines=off/off,on/on/restart/cursor"},
            {[&] { login.setFailure(QStringLiteral("permission denied")), click(v->loginSwitch()); },
             "login=off/off/Failed to enable launch at login: permission denied"},
            {[v] { QTest::keyClick(v->zoomBlock()->slider(), Qt::Key_Escape); }, "window=off"},
            {[&] { login.setEnabledDirectly(true), m_window->show(); }, "window=on login=on/on"},
            {[&s] { s.setVerticalGuidesEnabled(true), s.setMagnifierEnabled(true); }, "brackets=on/on/open magnifier=on/off" + needsX11},
            {[this] { reset(QMessageBox::RejectRole); }, ""}};
        QCOMPARE(run(steps), QString());
        reset(QMessageBox::DestructiveRole);
        AppSettings defaults(m_dir.filePath(QStringLiteral("defaults.conf")));
        defaults.resetToDefaults();
        PreferencesWindow fresh(m_platform, defaults);
        fresh.show();
        QTRY_COMPARE_WITH_TIMEOUT(state(*v), state(*fresh.view()), 2000);
        QVERIFY(login.isEnabled());
    }

    void darkThemeAndNoNoticeWhereCaptureWorks()
    {
        m_platform.x11 = true;
        m_settings.setMagnifierEnabled(true);
        PreferencesWindow window(m_platform, m_settings);
        window.show();
        QTRY_VERIFY(unfolded(window.view()->magnifierFold()));
        QVERIFY(!window.view()->magnifierNotice()->isVisibleTo(window.view()));
        // Every text follows a dark palette: none keeps a dark colour of its own.
        window.setPalette(QPalette(QColor(40, 40, 40), QColor(40, 40, 40))); // white text on black and greys
        for (const QLabel *l : window.findChildren<QLabel *>())
            QVERIFY2(l->palette().color(l->foregroundRole()).lightness() > 128, qPrintable(l->text()));
    }

    // The desktop's hint for binding keys shows under the shortcut switch
    // only when there is one; once no key is bound by the desktop, the switch
    // lists the keys asked for again. (Keys it bound: test_appdelegate.)
    void shortcutsAsTheDesktopBindsThem()
    {
        m_platform.fakeHotkeys.hint = QStringLiteral("Bind a key in Settings");
        PreferencesView view(m_platform, m_settings, {});
        view.setBoundKeys([](const QString &) { return QStringLiteral("Meta+G"); });
        QVERIFY(!view.shortcutHint()->isHidden() && view.shortcutHint()->text() == u"Bind a key in Settings");
        m_platform.fakeHotkeys.hint.clear();
        view.setBoundKeys({});
        QVERIFY(view.shortcutHint()->isHidden());
        QCOMPARE(view.shortcutSwitch()->accessibleDescription(), PreferencesView::shortcutListText());
    }

    // Tab and Shift+Tab visit every control in reading order, each radio
    // group once: at its checked tile, at the first swatch when the colour is
    // none of them.
    void tabVisitsEveryControlInReadingOrder()
    {
        OpenWindow w;
        QVERIFY(QTest::qWaitForWindowActive(&w.window) && w.settled());
        QList<QWidget *> stops = w.controls().mid(20);
        stops.prepend(w.controls()[5]);
        stops.prepend(w.v->styleButton(LineStyle::readingStrip));
        for (bool forward : {true, false}) {
            (forward ? stops.last() : stops.first())->setFocus();
            QList<QWidget *> visited;
            for (qsizetype i = 0; i < stops.size(); ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, forward ? Qt::NoModifier : Qt::ShiftModifier);
                visited << QApplication::focusWidget();
            }
            if (!forward) std::reverse(visited.begin(), visited.end());
            QCOMPARE(visited, stops); // back if the first pass went through
        }
    }

    // A change made with a key or a screen reader's action (else setting
    // the value to 40) in one window, and with the mouse (a click, or the
    // slider moved by steps) in another, leaves both with the same settings
    // and controls. Rows run in sequence.
    void keysAndScreenReadersActLikeClicks()
    {
        const QString toggle = QAccessibleActionInterface::toggleAction();
        // clang-format off
        const std::tuple<const char *, int, int, QString, int, int> rows[] = {
            {"Enter on a swatch", 7, Qt::Key_Return, {}, 7, 0}, {"Down in the swatches", 7, Qt::Key_Down, {}, 15, 0},
            {"Enter on a switch", 35, Qt::Key_Enter, {}, 35, 0}, {"Right on a slider", 21, Qt::Key_Right, {}, 21, 1},
            {"Page Down on a slider", 22, Qt::Key_PageDown, {}, 22, -9}, {"toggling a tile", 1, 0, toggle, 1, 0},
            {"toggling a swatch", 12, 0, toggle, 12, 0}, {"toggling a switch", 24, 0, toggle, 24, 0},
            {"increasing a slider", 28, 0, QAccessibleActionInterface::increaseAction(), 28, 1},
            {"setting a slider's value", 21, 0, {}, 21, -2}}; // 40%: from 8 (0.5, the tile's) to 6
        // clang-format on
        OpenWindow keys, mouse;
        keys.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&keys.window) && keys.settled() && mouse.settled());
        for (const auto &[what, index, key, action, clicked, steps] : rows) {
            const QStringList before = state(*keys.v);
            QWidget *control = keys.controls()[index], *other = mouse.controls()[clicked];
            QAccessibleInterface *heard = QAccessible::queryAccessibleInterface(control);
            if (key)
                control->setFocus(), QTest::keyClick(control, Qt::Key(key));
            else
                action.isEmpty() ? heard->valueInterface()->setCurrentValue(40) : heard->actionInterface()->doAction(action);
            if (auto *slider = qobject_cast<QSlider *>(other); slider && steps)
                slider->setValue(slider->value() + steps);
            else
                QTest::mouseClick(other, Qt::LeftButton, {}, other->rect().center());
            QTRY_VERIFY2(state(*keys.v) == state(*mouse.v),
                         qPrintable(QStringLiteral("%1: %2\nclicked: %3").arg(what, state(*keys.v).join(u' '), state(*mouse.v).join(u' '))));
            QVERIFY2(state(*keys.v) != before && heardAsShown(control), what);
        }
        keys.v->colorWell()->setFocus(); // Enter on the colour well opens the chooser
        QTest::keyClick(keys.v->colorWell(), Qt::Key_Return);
        QTRY_VERIFY(keys.v->colorWell()->dialog());
    }

    // A block of wrapping text narrowed takes the height its new lines need
    // rather than keep the old one and cut the text off at the top.
    void foldingBlockFollowsWidth()
    {
        QWidget window;
        auto *column = new QVBoxLayout(&window);
        auto *text = new QLabel(QStringLiteral("Increase thickness for thicker colored bands. ").repeated(4));
        text->setWordWrap(true);
        auto *fold = new FoldingBlock(text, 16);
        column->addWidget(fold);
        column->addStretch(1);
        window.show();
        for (int width : {900, 200, 900}) {
            window.resize(width, 600);
            QTRY_COMPARE(text->geometry(), QRect(0, 16, fold->width(), text->heightForWidth(fold->width())));
        }
    }

    void aboutVersionLineAndEscape()
    {
        for (const auto &[version, build, line] :
             {std::array{"1.0.0", "7", "Version 1.0.0 (7)"}, {"", "", "Version 1.0 (1)"}, {"  ", "12", "Version 1.0 (12)"}})
            QVERIFY2(std::ranges::any_of(AboutView(version, build).findChildren<QLabel *>(),
                                         [line = line](auto *l) { return l->text() == QLatin1String(line); }),
                     line);
        const std::unique_ptr<QWidget> window(createAboutWindow());
        window->show(); // visible at once; Escape hides it
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QVERIFY(!window->isVisible());
    }
};

QTEST_MAIN(TestPreferences)
#include "test_preferences.moc"
