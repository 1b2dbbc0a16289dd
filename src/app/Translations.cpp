#include "app/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTranslator>

#include <memory>

namespace translations {

namespace {
std::unique_ptr<QTranslator> g_own;
std::unique_ptr<QTranslator> g_qt;
} // namespace

QStringList searchPath()
{
    const QString relative = QStringLiteral("tovani/translations");
    QStringList dirs{QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/") + relative)};
    for (const QString &dir :
         QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, relative, QStandardPaths::LocateDirectory)) {
        if (!dirs.contains(QDir::cleanPath(dir)))
            dirs.append(QDir::cleanPath(dir));
    }
    return dirs;
}

bool install(const QLocale &locale)
{
    for (std::unique_ptr<QTranslator> *old : {&g_own, &g_qt}) {
        if (*old)
            QCoreApplication::removeTranslator(old->get());
        old->reset();
    }

    // The first folder that has the language wins; an English locale finds
    // the English plural forms.
    auto own = std::make_unique<QTranslator>();
    bool found = false;
    for (const QString &dir : searchPath()) {
        if ((found = own->load(locale, QStringLiteral("tovani"), QStringLiteral("_"), dir)))
            break;
    }
    if (found && QCoreApplication::installTranslator(own.get()))
        g_own = std::move(own);

    auto qt = std::make_unique<QTranslator>();
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(qt.get()))
        g_qt = std::move(qt);

    return g_own != nullptr;
}

} // namespace translations
