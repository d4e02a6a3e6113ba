#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <cstdio>
#include <cstring>
#include <string>

#include "storage/data_dir_lock.h"
#include "storage/paths.h"
#include "storage/utf.h"
#include "ui/app_setup.h"
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

QString description() {
    const quorvel::DataPaths paths = quorvel::DataPaths::fromSystem();
    return QStringLiteral(
               "Quorvel, a Morse telegraphy trainer.\n\n"
               "Settings (telegram_practice.ini) and practice history are kept in one data "
               "directory, now %1:\n"
               "the --data-dir option, else $QUORVEL_DATA_DIR, else the program's own "
               "directory when it already holds telegram_practice.ini or "
               "telegram_practice_log.csv, else $XDG_DATA_HOME/quorvel (~/.local/share/quorvel)."
               "\n\nEnvironment:\n"
               "  QUORVEL_DATA_DIR  the data directory when --data-dir is not given\n"
               "  XDG_DATA_HOME     where the per-user data directory is made\n"
               "  SDL_AUDIODRIVER   the sound driver (pulseaudio, pipewire, alsa; dummy: none)\n"
               "  QT_QPA_PLATFORM   the display platform (xcb, wayland; offscreen: none)")
        .arg(QString::fromStdU16String(quorvel::pathText(paths.dataDirectory())));
}

// --help and --version need no display, so they are answered before the window system starts.
bool asksForText(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        for (const char* name : {"--help", "-h", "-?", "--help-all", "--version", "-v"})
            if (std::strcmp(argv[i], name) == 0)
                return true;
    return false;
}

// --data-dir as given. On POSIX the bytes of the argument itself: a name that is not valid in
// the locale's encoding (Shift-JIS bytes) would not survive the decoding into a QString.
std::filesystem::path dataDirArgument(int argc, char** argv, const QString& parsed) {
#ifndef _WIN32
    constexpr const char* kOption = "--data-dir";
    const std::size_t length = std::strlen(kOption);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            break;
        if (std::strcmp(argv[i], kOption) == 0 && i + 1 < argc)
            return std::filesystem::path(std::string(argv[i + 1]));
        if (std::strncmp(argv[i], kOption, length) == 0 && argv[i][length] == '=')
            return std::filesystem::path(std::string(argv[i] + length + 1));
    }
#else
    static_cast<void>(argc);
    static_cast<void>(argv);
#endif
    return std::filesystem::path(parsed.toStdU16String());
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUORVEL_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(description());
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption dataDir(QStringLiteral("data-dir"),
                                     QStringLiteral("Keep settings and logs in DIR."),
                                     QStringLiteral("DIR"));
    const QCommandLineOption size(
        QStringLiteral("size"),
        QStringLiteral("Open with a client area of WxH pixels, at least 200x150 (e.g. 770x560); "
                       "without it the window fills the screen's work area."),
        QStringLiteral("WxH"));
    parser.addOption(dataDir);
    parser.addOption(size);
    if (asksForText(argc, argv)) {
        const QCoreApplication text(argc, argv);
        parser.process(text);  // prints and exits
    }
    QApplication app(argc, argv);
    quorvel::ui::prepareApplication();
    parser.process(app);

    QSize client;
    if (parser.isSet(size)) {
        client = parseSize(parser.value(size));
        if (!client.isValid()) {
            std::fprintf(stderr, "quorvel: --size takes WxH, e.g. 1540x1120\n");
            return 2;
        }
    }
    std::filesystem::path dataDirOption;
    if (parser.isSet(dataDir)) {
        dataDirOption = dataDirArgument(argc, argv, parser.value(dataDir));
        if (dataDirOption.empty()) {
            std::fprintf(stderr, "quorvel: --data-dir needs a directory name (it is empty)\n");
            return 2;
        }
    }
    const quorvel::DataPaths paths = quorvel::DataPaths::fromSystem(dataDirOption);
    std::string error;
    if (!paths.prepare(&error)) {
        std::fprintf(stderr, "quorvel: %s\n", error.c_str());
        return 1;
    }
    // One writer per history: a second window would rewrite the first one's logs.
    quorvel::DataDirLock lock;
    if (lock.acquire(paths.dataDirectory()) == quorvel::DataDirLock::Result::Busy) {
        QString text = QStringLiteral("この履歴フォルダは他の Quorvel が使用中です");
        if (lock.holder() > 0)
            text += QStringLiteral("（プロセス %1）").arg(lock.holder());
        text += QStringLiteral("。\n") +
                QString::fromStdU16String(quorvel::pathText(paths.dataDirectory()));
        QMessageBox::warning(nullptr, QStringLiteral("Quorvel"), text);
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
