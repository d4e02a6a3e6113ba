#include "ui/view_adapter.h"

namespace quorvel::ui {

QString toQString(const std::u16string& s) {
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

ViewAdapter::ViewAdapter(QObject* parent) : QObject(parent) {
    qRegisterMetaType<quorvel::TelegramResult>();
}

void ViewAdapter::showMessage(const std::u16string& text) {
    emit messageShown(toQString(text));
}

void ViewAdapter::inputPaperChanged() {
    emit inputPaperNeedsRepaint();
}

void ViewAdapter::papersChanged() {
    emit papersNeedRepaint();
}

void ViewAdapter::pageLabelsChanged(const PageLabels& labels) {
    emit pageLabelsShown(toQString(labels.paper), toQString(labels.centre));
}

void ViewAdapter::judgementLineChanged(const std::u16string& text) {
    // The judgement and the status messages share the one message line.
    emit messageShown(toQString(text));
}

void ViewAdapter::statusLinesChanged(const std::u16string& line1, const std::u16string& line2) {
    emit statusLinesShown(toQString(line1), toQString(line2));
}

void ViewAdapter::scoreLineChanged(const std::u16string& text) {
    emit scoreLineShown(toQString(text));
}

void ViewAdapter::resultLabelChanged(const std::u16string& text) {
    emit resultLabelShown(toQString(text));
}

void ViewAdapter::languageChanged(bool latin) {
    emit languageShown(latin);
}

void ViewAdapter::speedChanged(int wpm) {
    emit speedShown(wpm);
}

void ViewAdapter::pauseChanged(bool paused) {
    emit pauseShown(paused);
}

void ViewAdapter::sendModeChanged(bool send) {
    emit sendModeShown(send);
}

void ViewAdapter::levelChanged(int level) {
    emit levelShown(level);
}

void ViewAdapter::keyTypeChanged(const std::u16string& label) {
    emit resultLabelShown(toQString(label));
}

void ViewAdapter::messageBox(const std::u16string& title, const std::u16string& text,
                             MessageIcon icon) {
    emit messageBoxRequested(toQString(title), toQString(text), static_cast<int>(icon));
}

void ViewAdapter::telegramResultReady(const TelegramResult& result) {
    emit resultReady(result);
}

}  // namespace quorvel::ui
