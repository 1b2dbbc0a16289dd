// window_shots: the pictures of the preferences and About windows for the
// README, drawn on Qt's offscreen platform in Fusion with DejaVu Sans 10, on
// a fresh settings file and a fake desktop (an X11 session where the
// magnifier can capture, launch at login off), so they never depend on the
// machine that makes them.
//
//   window_shots DIR    writes DIR/preferences.png, preferences-dark.png,
//                       preferences-details.png and about.png,
//                       preferences-de.png and about-de.png in German, then
//                       the same windows at twice the font size (DejaVu Sans
//                       20), the style picker with the keyboard focus:
//                       preferences-large-text.png, about-large-text.png and
//                       in German preferences-de-large-text.png,
//                       about-de-large-text.png
//
// docs/make-screenshots.sh runs it with DIR = docs.
#include "app/Translations.h"
#include "platform/FakePlatform.h"
#include "settings/Settings.h"
#include "ui/AboutView.h"
#include "ui/Controls.h"
#include "ui/PreferencesView.h"
#include "ui/StyleButton.h"

#include <QtTest>
#include <QtWidgets>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

class X11Session : public platform::FakePlatform
{
public:
    X11Session() { x11 = true; }
};

bool unfolded(FoldingBlock *f)
{
    return f->isVisible() && f->isExpanded() && f->height() >= f->sizeHint().height();
}

// Waits until the block has unfolded and no block of the window is still
// moving, then lets the layout follow.
bool waitUntilUnfolded(QWidget *window, FoldingBlock *f)
{
    const auto settled = [window, f] {
        const auto blocks = window->findChildren<FoldingBlock *>();
        return unfolded(f) && std::none_of(blocks.begin(), blocks.end(), [](auto *b) { return b->isAnimating(); });
    };
    for (int waited = 0; waited < 2000 && !settled(); waited += 20)
        QTest::qWait(20);
    QTest::qWait(50);
    return settled();
}

bool save(QWidget *window, const QDir &dir, const char *name)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    if (window->grab().save(path)) return true;
    std::fprintf(stderr, "window_shots: could not write %s\n", qPrintable(path));
    return false;
}

// The preferences at their defaults; in a dark palette with the brackets'
// block open; then scrolled to the foot with the detail blocks open (a
// reading strip, the magnifier on).
bool preferences(platform::Platform &session, const QDir &out)
{
    const QTemporaryDir scratch;
    AppSettings settings(scratch.filePath(QStringLiteral("tovani.conf")));
    PreferencesWindow window(session, settings);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window) || !save(&window, out, "preferences.png")) return false;
    const QPalette light = window.palette();
    QPalette dark = light;
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
        dark.setColor(role, QColor(40, 40, 40));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(role, QColor(235, 235, 235));
    window.setPalette(dark);
    settings.setVerticalGuidesEnabled(true);
    if (!waitUntilUnfolded(&window, window.view()->bracketFold()) ||
        !save(&window, out, "preferences-dark.png"))
        return false;
    window.setPalette(light);
    settings.applyStyle(LineStyle::readingStrip);
    settings.setMagnifierEnabled(true);
    if (!waitUntilUnfolded(&window, window.view()->magnifierFold())) return false;
    QScrollBar *bar = window.findChild<QScrollArea *>()->verticalScrollBar();
    bar->setValue(bar->maximum());
    QTest::qWait(50);
    return save(&window, out, "preferences-details.png");
}

bool about(const QDir &out)
{
    const std::unique_ptr<QWidget> window(createAboutWindow());
    window->show();
    return QTest::qWaitForWindowExposed(window.get()) && save(window.get(), out, "about.png");
}

// Both windows at twice the desktop's font size, as a person who reads with
// large text sees them.
bool largeText(platform::Platform &session, const QDir &out, const char *suffix)
{
    const auto name = [suffix](const char *window) {
        return QStringLiteral("%1%2-large-text.png").arg(QLatin1String(window), QLatin1String(suffix)).toLatin1();
    };
    const QFont normal = QApplication::font();
    QFont large = normal;
    large.setPointSizeF(normal.pointSizeF() * 2);
    QApplication::setFont(large);
    const QTemporaryDir scratch;
    AppSettings settings(scratch.filePath(QStringLiteral("tovani.conf")));
    bool ok = false;
    {
        PreferencesWindow window(session, settings);
        window.show();
        ok = QTest::qWaitForWindowExposed(&window);
        window.view()->styleButton(settings.currentStyle())->setFocus(Qt::TabFocusReason);
        QTest::qWait(50);
        ok = ok && save(&window, out, name("preferences").constData());
    }
    if (ok) {
        const std::unique_ptr<QWidget> window(createAboutWindow());
        window->show();
        ok = QTest::qWaitForWindowExposed(window.get()) && save(window.get(), out, name("about").constData());
    }
    QApplication::setFont(normal);
    return ok;
}

// Both windows in German, at their defaults. The translations are found in
// the build folder's share/, two levels above this program.
bool inGerman(platform::Platform &session, const QDir &out)
{
    qputenv("XDG_DATA_DIRS", QFile::encodeName(QCoreApplication::applicationDirPath() + QStringLiteral("/../../share")));
    if (!translations::install(QLocale(QLocale::German, QLocale::Germany))) {
        std::fprintf(stderr, "window_shots: no German translation found\n");
        return false;
    }
    const QTemporaryDir scratch;
    AppSettings settings(scratch.filePath(QStringLiteral("tovani.conf")));
    PreferencesWindow window(session, settings);
    window.show();
    const std::unique_ptr<QWidget> aboutWindow(createAboutWindow());
    aboutWindow->show();
    return QTest::qWaitForWindowExposed(&window) && save(&window, out, "preferences-de.png") &&
           QTest::qWaitForWindowExposed(aboutWindow.get()) && save(aboutWindow.get(), out, "about-de.png");
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QTemporaryDir configHome; // where launch at login would look
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
    QApplication app(argc, argv);
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    if (argc != 2 || !QDir(QString::fromLocal8Bit(argv[1])).exists()) {
        std::fprintf(stderr, "usage: window_shots DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    X11Session session;
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    const bool ok = preferences(session, out) && about(out) && largeText(session, out, "") && inGerman(session, out) &&
                    largeText(session, out, "-de");
    return ok ? 0 : 1;
}
