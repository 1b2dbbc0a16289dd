// The program in the user's language: a walk over everything a person reads
// (Preferences and the dialogs it opens, About, the tray menu and its tooltip,
// the HUD after every command, `tovani --help` and its errors) finds no text
// left in English in German, and in every language, and at larger fonts, the
// texts fit the windows. That every tr() text has a translation is checked by
// check_translations.cmake; this finds texts that never went through tr().

#include "app/AppDelegate.h"
#include "app/CommandLine.h"
#include "app/CommandRegistry.h"
#include "app/Translations.h"
#include "feedback/HUDNotification.h"
#include "platform/FakePlatform.h"
#include "ui/AboutView.h"
#include "ui/ColorButton.h"
#include "ui/Controls.h"
#include "ui/PreferencesView.h"
#include "ui/StyleButton.h"
#include "ui/TrayMenu.h"

#include <QtTest>
#include <QtWidgets>

namespace {

// Fonts at a desktop's 96 dots per inch, set before the application starts.
const bool desktopDpi = (QCoreApplication::setAttribute(Qt::AA_Use96Dpi), true);

// The texts a widget and everything in it show or tell a screen reader.
QStringList shownTexts(QWidget *root)
{
    QStringList texts;
    for (QWidget *w : QList<QWidget *>{root} + root->findChildren<QWidget *>()) {
        texts << w->windowTitle() << w->toolTip() << w->accessibleName() << w->accessibleDescription();
        if (auto *label = qobject_cast<QLabel *>(w)) texts << label->text();
        if (auto *button = qobject_cast<QAbstractButton *>(w)) texts << button->text();
        for (QAction *action : w->actions())
            texts << action->text() << action->toolTip();
    }
    return texts;
}

// What the HUD says after each command, for every style, locked and not.
QStringList hudMessages(CommandTarget &target)
{
    QStringList all;
    for (bool locked : {false, true}) {
        target.setGuideLocked(locked);
        for (LineStyle style : LineStyles::allCases) {
            target.settings().applyStyle(style);
            for (const Command &command : Commands::all())
                if (command.feedback) all << command.feedback(target).message;
        }
    }
    return all;
}

// What does not fit in a window: widgets that overlap a sibling or stick
// out of their parent (sections scroll up and down, never sideways), labels
// whose text is cut, style tiles with a word wider than the tile. A tile's
// name wraps between words, in a font the tiles shrink by at most 15 % until
// the longest name fits: every word must fit in that.
QStringList layoutFaults(QWidget *window)
{
    QStringList faults;
    const auto name = [](QWidget *w) { return QStringLiteral("%1 \"%2\"").arg(w->metaObject()->className(),
        QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name)); };
    for (QWidget *parent : window->findChildren<QWidget *>()) {
        QList<QWidget *> kids;
        for (QWidget *kid : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (kid->isVisible() && !qobject_cast<QFocusFrame *>(kid) && !qobject_cast<QScrollBar *>(kid)) kids << kid;
        const bool scrolls = qobject_cast<QScrollArea *>(parent->parentWidget());
        for (qsizetype i = 0; parent->isVisible() && i < kids.size(); ++i) {
            if (!parent->rect().contains(kids[i]->geometry()) && !scrolls) faults << name(kids[i]) + " sticks out";
            for (qsizetype j = i + 1; j < kids.size(); ++j)
                if (kids[i]->geometry().intersects(kids[j]->geometry())) faults << name(kids[i]) + " overlaps " + name(kids[j]);
        }
    }
    for (const QLabel *l : window->findChildren<QLabel *>()) {
        const int flags = int(l->alignment()) | (l->wordWrap() ? Qt::TextWordWrap : 0);
        if (l->isVisible() && !l->contentsRect().contains(l->fontMetrics().boundingRect(l->contentsRect(), flags, l->text())))
            faults << "cut: " + l->text();
    }
    for (const QScrollArea *area : window->findChildren<QScrollArea *>())
        if (area->widget()->width() > area->viewport()->width()) faults << QStringLiteral("scrolls sideways");
    for (StyleButton *tile : window->findChildren<StyleButton *>()) {
        QFont smallest = tile->font();
        smallest.setPointSizeF(smallest.pointSizeF() * 0.85);
        for (const QString &word : tile->text().split(u' '))
            if (QFontMetricsF(smallest).horizontalAdvance(word) > tile->width() - 8)
                faults << "tile: " + tile->text();
    }
    return faults;
}

} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    platform::FakePlatform m_platform;
    AppSettings m_settings{m_dir.filePath(QStringLiteral("tovani.conf"))};

    // The application with its tray, the hot keys taken and the guide on.
    std::unique_ptr<AppDelegate> start()
    {
        m_settings.setGlobalHotkeysEnabled(true);
        auto app = std::make_unique<AppDelegate>(m_platform, m_settings);
        app->applicationDidFinishLaunching(false);
        app->setGuideEnabled(true);
        return app;
    }

    // Every text a person can meet, in the language installed now.
    QStringList everyText()
    {
        m_settings.resetToDefaults();
        QStringList texts;
        PreferencesWindow window(m_platform, m_settings);
        window.show();
        texts << shownTexts(&window);
        window.view()->resetButton()->click();
        texts << shownTexts(window.view()->resetConfirmation());
        window.view()->colorWell()->click();
        texts << shownTexts(window.view()->colorWell()->dialog());
        window.view()->colorWell()->dialog()->reject();
        AboutWindow about;
        texts << shownTexts(&about);

        const std::unique_ptr<AppDelegate> app = start();
        texts << shownTexts(app->tray()->menu()) << app->tray()->toolTip().split(u'\n') << hudMessages(*app)
              << CommandLine::usage().split(u'\n');
        for (const QStringList &arguments : QList<QStringList>{
                 {"--help", "x"}, {"-x"}, {"nonsense"}, {"toggle", "x"}, {"style"}, {"style", "x"}})
            texts << CommandLine::parse(arguments).error;
        return texts;
    }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", m_dir.path().toUtf8());
        m_platform.x11 = false; // the magnifier's notice shows
        // A desktop's usual font (the offscreen platform's own is smaller).
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    }

    void nothingLeftInEnglish()
    {
        translations::install(QLocale(QLocale::English, QLocale::UnitedStates));
        const QStringList english = everyText();
        QVERIFY(translations::install(QLocale(QLocale::German, QLocale::Germany)));
        // Left alone: texts that read the same in every language (names,
        // numbers, units).
        const QRegularExpression names(QStringLiteral(
            "\\b(Tovani|tovani|Version|GPL-3\\.0-or-later|X11|HTML|OK|px|Gold|Orange|Cyan)\\b"));
        const QRegularExpression letters(QStringLiteral("\\p{L}"));
        QStringList untranslated = everyText();
        untranslated.removeIf(
            [&](QString text) { return !english.contains(text) || !text.remove(names).contains(letters); });
        untranslated.removeDuplicates();
        QVERIFY2(untranslated.isEmpty(), qPrintable("shown in English: " + untranslated.join(QStringLiteral(" | "))));
    }

    void windowsFit_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<double>("scale");
        for (const char *name : {"en_US", "de_DE", "fr_FR", "es_ES"})
            QTest::newRow(name) << QLocale(QLatin1String(name)) << 1.0;
        QTest::newRow("en_US 150%") << QLocale(QLocale::English, QLocale::UnitedStates) << 1.5;
        QTest::newRow("en_US 200%") << QLocale(QLocale::English, QLocale::UnitedStates) << 2.0;
    }

    // In every language, and at larger desktop fonts: in the preferences
    // (every folding block open, every notice shown) and About no widget
    // overlaps a sibling or sticks out of its parent (the sections only
    // scroll up and down) and no label's text is cut; no style name is wider
    // than its tile and no HUD message wraps.
    void windowsFit()
    {
        QFETCH(QLocale, locale);
        QFETCH(double, scale);
        translations::install(locale);
        // The font of initTestCase(), larger.
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), int(10 * scale)));
        m_settings.resetToDefaults();
        m_settings.applyStyle(LineStyle::readingStrip);
        m_settings.setVerticalGuidesEnabled(true);
        m_settings.setMagnifierEnabled(true);
        PreferencesWindow preferences(m_platform, m_settings);
        AboutWindow about;
        QStringList faults;
        for (QWidget *window : {static_cast<QWidget *>(&preferences), static_cast<QWidget *>(&about)}) {
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            QTRY_VERIFY(std::ranges::none_of(window->findChildren<FoldingBlock *>(),
                                             [](FoldingBlock *f) { return f->isAnimating(); }));
            QCoreApplication::sendPostedEvents(); // showing posts the layout of the nested widgets
            faults << layoutFaults(window);
        }
        for (const QString &message : hudMessages(*start()))
            if (HUDView(message).panelSize().height() > HUDView(QStringLiteral("x")).panelSize().height())
                faults << "wraps: " + message;
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral(" | "))));
    }
};

QTEST_MAIN(TestTranslations)
#include "test_translations.moc"
