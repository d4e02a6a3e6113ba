#include "ui/audio_export_dialog.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <filesystem>

#include "audio/file/audio_file_writer.h"
#include "engine/audio_export.h"
#include "engine/trainer.h"
#include "ui/design_grid.h"

namespace quorvel::ui {
namespace {

constexpr int kSampleRate = 48000;

std::filesystem::path toPath(const QString& s) {
#ifdef _WIN32
    return std::filesystem::path(s.toStdWString());
#else
    return std::filesystem::path(s.toLocal8Bit().toStdString());
#endif
}

QString defaultPath() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QDir::homePath();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmm"));
    return QDir(dir).filePath(QStringLiteral("quorvel-%1.mp3").arg(stamp));
}

}  // namespace

AudioExportDialog::AudioExportDialog(Trainer& trainer, QWidget* parent)
    : QDialog(parent),
      trainer_(trainer),
      path_(new QLineEdit(defaultPath(), this)),
      quality_(new QSpinBox(this)),
      progress_(new QProgressBar(this)),
      status_(new QLabel(this)),
      save_(new QPushButton(QStringLiteral("保存"), this)),
      stop_(new QPushButton(QStringLiteral("中止"), this)),
      close_(new QPushButton(QStringLiteral("閉じる"), this)) {
    setWindowTitle(QStringLiteral("音声保存"));
    auto* browse = new QPushButton(QStringLiteral("参照…"), this);
    quality_->setRange(0, 10);
    quality_->setValue(kDefaultAudioQuality);
    quality_->setToolTip(QStringLiteral("0 で最小のファイル、10 で最高の音質 (MP3・Ogg・Opus)"));
    progress_->setRange(0, 1);
    progress_->setValue(0);
    status_->setWordWrap(true);
    status_->setText(
        QStringLiteral("いまの電報セットを、いまの速度・音色・受信環境で音声ファイルにします。"
                       "形式は拡張子で決まります (.mp3 .ogg .opus .flac .wav)。"));
    stop_->setEnabled(false);
    save_->setDefault(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("保存先"), this), 0, 0);
    grid->addWidget(path_, 0, 1);
    grid->addWidget(browse, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("音質"), this), 1, 0);
    grid->addWidget(quality_, 1, 1, Qt::AlignLeft);
    grid->addWidget(progress_, 2, 0, 1, 3);
    grid->addWidget(status_, 3, 0, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {save_, stop_, close_})
        buttons->addWidget(b);
    grid->addLayout(buttons, 4, 0, 1, 3);
    resize(560, sizeHint().height());

    connect(browse, &QPushButton::clicked, this, &AudioExportDialog::browse);
    connect(save_, &QPushButton::clicked, this, &AudioExportDialog::start);
    connect(stop_, &QPushButton::clicked, this, [this] { cancel_ = true; });
    connect(close_, &QPushButton::clicked, this, &AudioExportDialog::reject);
    connect(path_, &QLineEdit::textChanged, this, &AudioExportDialog::pathChanged);
    connect(&poll_, &QTimer::timeout, this, &AudioExportDialog::showProgress);
    pathChanged();
}

AudioExportDialog::~AudioExportDialog() {
    cancel_ = true;
    if (worker_.joinable())
        worker_.join();
}

void AudioExportDialog::reject() {
    // Closing while it runs stops the export; the dialog goes when the thread has let go.
    if (exporting()) {
        cancel_ = true;
        return;
    }
    QDialog::reject();
}

void AudioExportDialog::browse() {
    const QString filters = QStringLiteral(
        "MP3 (*.mp3);;Ogg Vorbis (*.ogg);;Opus (*.opus);;FLAC (*.flac);;WAV (*.wav)");
    QString chosen;
    QString name = QFileDialog::getSaveFileName(this, QStringLiteral("音声ファイルの保存先"),
                                                path_->text(), filters, &chosen);
    if (name.isEmpty())
        return;
    if (!audioFormatForPath(toPath(name))) {
        // The filter's extension, e.g. "MP3 (*.mp3)" gives ".mp3".
        const auto star = chosen.indexOf(QLatin1Char('*'));
        name += chosen.mid(star + 1).chopped(1);
    }
    path_->setText(QDir::toNativeSeparators(name));
}

void AudioExportDialog::pathChanged() {
    const auto format = audioFormatForPath(toPath(path_->text()));
    quality_->setEnabled(format && isLossy(*format));
}

void AudioExportDialog::start() {
    if (exporting())
        return;
    const std::filesystem::path path = toPath(path_->text().trimmed());
    const auto format = audioFormatForPath(path);
    if (!format || !audioFormatAvailable(*format)) {
        status_->setText(QStringLiteral(
            "ファイル名の最後に .mp3 .ogg .opus .flac .wav のどれかを付けてください。"));
        return;
    }
    if (QFileInfo::exists(path_->text().trimmed()) &&
        QMessageBox::question(
            this, QStringLiteral("音声保存"),
            QStringLiteral("%1 はすでにあります。置き換えますか？").arg(path_->text().trimmed())) !=
            QMessageBox::Yes)
        return;

    // What the window shows now: later changes of the settings or the set do not reach it.
    copyPracticeSettings(trainer_.settings(), settings_);
    AudioExportJob job;
    const SharedSnapshot shown = trainer_.snapshot();
    job.telegrams = *shown->set;
    job.latin = shown->latinMode;
    job.sampleRate = kSampleRate;
    AudioFileOptions options;
    options.sampleRate = kSampleRate;
    options.quality = quality_->value();
    describeTelegrams(job.telegrams, options.title, options.comment);

    cancel_ = false;
    framesDone_ = 0;
    framesTotal_ = 0;
    progress_->setRange(0, 0);  // busy until the length is known
    status_->setText(QStringLiteral("書き出し中…"));
    save_->setEnabled(false);
    stop_->setEnabled(true);
    path_->setEnabled(false);
    quality_->setEnabled(false);
    poll_.start(100);
    worker_ = std::thread([this, path, job = std::move(job), options] {
        bool written = false;
        QString message;
        try {
            framesTotal_ = std::max<std::uint64_t>(1, audioExportFrames(settings_, job));
            auto writer = openAudioFile(path, options);
            written = exportAudio(settings_, job, *writer, [this](std::uint64_t frames) {
                framesDone_ = frames;
                return !cancel_.load();
            });
            message = written ? QStringLiteral("保存しました: %1")
                                    .arg(QString::fromStdString(path.filename().string()))
                              : QStringLiteral("中止しました。ファイルは作られていません。");
        } catch (const std::exception& e) {
            message = QStringLiteral("保存できませんでした: %1").arg(QString::fromUtf8(e.what()));
        }
        QMetaObject::invokeMethod(
            this, [this, written, message] { ended(written, message); }, Qt::QueuedConnection);
    });
}

void AudioExportDialog::showProgress() {
    const std::uint64_t total = framesTotal_.load();
    if (total == 0)
        return;
    // Per mille: the bar's range is an int, a long set's frame count is not.
    progress_->setRange(0, 1000);
    progress_->setValue(
        static_cast<int>(std::min<std::uint64_t>(1000, framesDone_ * 1000 / total)));
}

void AudioExportDialog::ended(bool written, const QString& message) {
    if (worker_.joinable())
        worker_.join();
    poll_.stop();
    progress_->setRange(0, 1000);
    progress_->setValue(written ? 1000 : 0);
    status_->setText(message);
    save_->setEnabled(true);
    stop_->setEnabled(false);
    path_->setEnabled(true);
    pathChanged();
    emit exportEnded(written, message);
}

void installAudioExport(QWidget* window, DesignGridLayout* grid, const QFont& font,
                        Trainer& trainer) {
    auto* button = new QPushButton(QStringLiteral("音声保存"), window);
    button->setFont(font);
    button->setToolTip(QStringLiteral("いまの電報セットを音声ファイル (MP3 など) に保存します"));
    // Below the last band effect, which ends at 1019.
    grid->addWidgetAt(button, QRect(10, 1030, 240, 29));
    auto dialog = std::make_shared<QPointer<AudioExportDialog>>();
    QObject::connect(button, &QPushButton::clicked, window, [window, &trainer, dialog] {
        if (!*dialog)
            *dialog = new AudioExportDialog(trainer, window);
        (*dialog)->show();
        (*dialog)->raise();
        (*dialog)->activateWindow();
    });
}

}  // namespace quorvel::ui
