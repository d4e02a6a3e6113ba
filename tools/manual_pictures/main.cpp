// Writes page1.png .. page9.png of the manual into the directory given as the argument.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <cstdio>

#include "drawn_pages.h"
#include "ui/app_setup.h"
#include "window_pages.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: quorvel-manual-pictures OUTPUT_DIR\n");
        return 2;
    }
    QApplication app(argc, argv);
    quorvel::ui::prepareApplication();  // the fonts the program itself starts with
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    const QImage pages[9] = {
        manualpictures::basicOperation(), manualpictures::screenParts(),
        manualpictures::wiringDiagram(),  manualpictures::practiceTips(),
        manualpictures::soundSettings(),  manualpictures::loadingAndPages(),
        manualpictures::autoKeyer(),      manualpictures::troubleshooting(),
        manualpictures::keysAndCodes(),
    };
    for (int i = 0; i < 9; ++i) {
        const QString file = out.filePath(QStringLiteral("page%1.png").arg(i + 1));
        if (pages[i].isNull() || !pages[i].save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
