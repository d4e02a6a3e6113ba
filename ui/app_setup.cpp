#include "ui/app_setup.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QToolTip>
#include <QTranslator>
#include <memory>

#include "ui/fonts.h"

namespace quorvel::ui {

QFont applicationFont() {
    QFont font = QApplication::font();
    // Keep the platform's size; only the families are ours.
    font.setFamilies(QStringList{fontFamily(FontRole::Interface)} +
                     fontFamilies(FontRole::Interface));
    font.setStyleHint(QFont::SansSerif);
    return font;
}

bool prepareApplication() {
    const QFont font = applicationFont();
    QApplication::setFont(font);  // also drops the platform's per-class fonts
    QToolTip::setFont(font);

    auto translator = std::make_unique<QTranslator>();
    const QString beside = QCoreApplication::applicationDirPath();
    for (const QString& dir : {beside + QStringLiteral("/translations"), beside,
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath)}) {
        if (translator->load(QStringLiteral("qtbase_ja"), dir) &&
            QCoreApplication::installTranslator(translator.get())) {
            translator.release()->setParent(qApp);  // lives as long as the application
            return true;
        }
    }
    return false;
}

}  // namespace quorvel::ui
