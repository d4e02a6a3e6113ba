#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

#include "storage/paths.h"
#include "ui/main_window.h"
#include "ui/session.h"

namespace {

// "WxH" of --size; invalid when absent or malformed.
QSize parseSize(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('x'));
    if (parts.size() != 2)
        return {};
    bool okW = false;
    bool okH = false;
    const int w = parts[0].toInt(&okW);
    const int h = parts[1].toInt(&okH);
    if (!okW || !okH || w < 200 || h < 150)
        return {};
    return {w, h};
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Quorvel, a Morse telegraphy trainer"));
    parser.addHelpOption();
    const QCommandLineOption dataDir(QStringLiteral("data-dir"),
                                     QStringLiteral("Keep settings and logs in DIR."),
                                     QStringLiteral("DIR"));
    const QCommandLineOption size(QStringLiteral("size"),
                                  QStringLiteral("Open with a client area of WxH pixels."),
                                  QStringLiteral("WxH"));
    parser.addOption(dataDir);
    parser.addOption(size);
    parser.process(app);

    QSize client;
    if (parser.isSet(size)) {
        client = parseSize(parser.value(size));
        if (!client.isValid()) {
            std::fprintf(stderr, "quorvel: --size takes WxH, e.g. 1540x1120\n");
            return 2;
        }
    }
    const quorvel::DataPaths paths = quorvel::DataPaths::fromSystem(
        parser.isSet(dataDir) ? std::filesystem::path(parser.value(dataDir).toStdU16String())
                              : std::filesystem::path());
    std::string error;
    if (!paths.prepare(&error)) {
        std::fprintf(stderr, "quorvel: %s\n", error.c_str());
        return 1;
    }

    quorvel::ui::Session session(paths, client);
    quorvel::ui::MainWindow& window = session.window();
    if (client.isValid())
        window.show();
    else
        window.showMaximized();  // the work area, which the fonts were scaled for
    QMetaObject::invokeMethod(
        &window, [&window] { window.showFirstRunGuideIfDue(); }, Qt::QueuedConnection);
    return QApplication::exec();
}
