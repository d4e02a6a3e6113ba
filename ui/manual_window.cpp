#include "ui/manual_window.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "ui/fonts.h"
#include "ui/manual_pages.h"

namespace quorvel::ui {
namespace {

// The text box with left and right inner margins.
class ManualText : public QPlainTextEdit {
  public:
    ManualText(int margin, QWidget* parent) : QPlainTextEdit(parent) {
        setReadOnly(true);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setFrameShape(QFrame::Box);
        setViewportMargins(margin, 0, margin, 0);
    }
};

QFont manualFont(int points, int weight, int dpiY) {
    return pixelFont(FontRole::Interface, fontPixelHeight(points, dpiY), weight);
}

}  // namespace

void ManualPicture::setImagePath(const QString& path) {
    QImageReader reader(path);
    image_ = reader.read();  // a null image when missing or undecodable
    update();
}

void ManualPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect area = rect();
    p.fillRect(area, Qt::white);
    if (!image_.isNull()) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(fittedPicture(image_.size(), area), image_);
    } else {
        p.setPen(QColor(180, 0, 0));
        p.drawText(area, Qt::AlignCenter | Qt::TextWordWrap,
                   QStringLiteral("リソース内の説明画像を読み込めません。"));
    }
    p.setPen(QColor(128, 128, 128));
    p.setBrush(Qt::NoBrush);
    p.drawRect(area.adjusted(0, 0, -1, -1));
}

ManualWindow::ManualWindow(QWidget* parent, QString (*picturePath)(int))
    : QDialog(parent), picturePath_(picturePath ? picturePath : &manualPicturePath) {
    setWindowTitle(QStringLiteral("Quorvel 取扱説明"));
    const ManualDpi d = dpi();
    setFont(manualFont(12, QFont::Normal, d.y));

    title_ = new QLabel(this);
    title_->setFont(manualFont(20, QFont::Bold, d.y));
    picture_ = new ManualPicture(this);
    text_ = new ManualText(10 * d.x / 96, this);
    text_->setFont(manualFont(17, QFont::Normal, d.y));
    const QFont buttonFont = manualFont(16, QFont::Bold, d.y);
    previous_ = new QPushButton(QStringLiteral("前へ"), this);
    next_ = new QPushButton(QStringLiteral("次へ"), this);
    close_ = new QPushButton(QStringLiteral("閉じる"), this);
    for (QPushButton* b : {previous_, next_, close_}) {
        b->setFont(buttonFont);
        b->setAutoDefault(false);
    }
    connect(previous_, &QPushButton::clicked, this, [this] { setPage(page_ - 1); });
    connect(next_, &QPushButton::clicked, this, [this] { setPage(page_ + 1); });
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);

    // Sized to the work area of the screen the main window is on, centred in it.
    QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QRect work = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QSize size = manualDialogSize(work.size(), d);
    resize(size);
    move(work.x() + (work.width() - size.width()) / 2,
         work.y() + (work.height() - size.height()) / 2);
    setPage(0);
    placeControls();
}

ManualDpi ManualWindow::dpi() const {
    const QScreen* s = screen();
    if (!s)
        return {};
    return {qRound(s->logicalDotsPerInchX()), qRound(s->logicalDotsPerInchY())};
}

void ManualWindow::setPage(int page) {
    page_ = std::clamp(page, 0, kManualPageCount - 1);
    const ManualPage& p = manualPages()[static_cast<std::size_t>(page_)];
    title_->setText(fromU8(p.title));
    text_->setPlainText(fromU8(p.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    previous_->setEnabled(page_ > 0);
    next_->setEnabled(page_ < kManualPageCount - 1);
    picture_->setImagePath(picturePath_(page_));
}

void ManualWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    placeControls();
}

void ManualWindow::placeControls() {
    const ManualLayout l = manualLayout(size(), dpi());
    if (l.title.isEmpty())
        return;
    layout_ = l;
    title_->setGeometry(l.title);
    picture_->setGeometry(l.picture);
    text_->setGeometry(l.text);
    previous_->setGeometry(l.previous);
    next_->setGeometry(l.next);
    close_->setGeometry(l.close);
    picture_->update();
}

void openManual(QWidget* parent) {
    ManualWindow manual(parent);
    manual.exec();
}

}  // namespace quorvel::ui
