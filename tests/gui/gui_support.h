// Scratch directories and file helpers shared by the window's Qt tests.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <memory>

#include "storage/paths.h"

namespace quorvel::test {

// Under QUORVEL_TEST_TMP when CTest sets it, removed afterwards.
inline std::unique_ptr<QTemporaryDir> scratchDir() {
    const QByteArray base = qgetenv("QUORVEL_TEST_TMP");
    if (!base.isEmpty()) {
        QDir().mkpath(QString::fromLocal8Bit(base));
        return std::make_unique<QTemporaryDir>(QString::fromLocal8Bit(base) +
                                               QStringLiteral("/gui-XXXXXX"));
    }
    return std::make_unique<QTemporaryDir>();
}

inline DataPaths pathsIn(const QTemporaryDir& dir) {
    return DataPaths(std::filesystem::path(dir.path().toStdString()));
}

inline void writeFile(const std::filesystem::path& file, const QByteArray& bytes) {
    QFile f(QString::fromStdString(file.string()));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

inline QByteArray readFile(const std::filesystem::path& file) {
    QFile f(QString::fromStdString(file.string()));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A two-telegram Japanese set, short enough for a whole run in a test.
inline const QByteArray kTwoTelegrams =
    "[VALA]\n一\n[VALB]\nアキタ\n[VALC]\n二\n[VALD]\nセ一〇\n[VALE]\nコウチ」\n[TEXT]\nハレ\n"
    "[VALA]\n三\n[VALB]\nナラ\n[VALC]\n四\n[VALD]\nセ一一\n[VALE]\nミト」\n[TEXT]\nアメ\n";

}  // namespace quorvel::test
