// The engine's view for the Qt window: every report becomes a queued signal, so a worker
// thread never waits for the GUI thread and nothing here touches the document.
#pragma once

#include <QMetaType>
#include <QObject>
#include <QString>

#include "practice/practice_view.h"

Q_DECLARE_METATYPE(quorvel::TelegramResult)

namespace quorvel::ui {

class ViewAdapter final : public QObject, public PracticeView {
    Q_OBJECT
  public:
    explicit ViewAdapter(QObject* parent = nullptr);

    void showMessage(const std::u16string& text) override;
    void inputPaperChanged() override;
    void papersChanged() override;
    void pageLabelsChanged(const PageLabels& labels) override;
    void judgementLineChanged(const std::u16string& text) override;
    void statusLinesChanged(const std::u16string& line1, const std::u16string& line2) override;
    void scoreLineChanged(const std::u16string& text) override;
    void resultLabelChanged(const std::u16string& text) override;
    void languageChanged(bool latin) override;
    void speedChanged(int wpm) override;
    void pauseChanged(bool paused) override;
    void sendModeChanged(bool send) override;
    void levelChanged(int level) override;
    void keyTypeChanged(const std::u16string& label) override;
    void messageBox(const std::u16string& title, const std::u16string& text,
                    MessageIcon icon) override;
    // Returns at once: the window shows the card and dismisses the result on the engine.
    void telegramResultReady(const TelegramResult& result) override;

  signals:
    void messageShown(const QString& text);
    void inputPaperNeedsRepaint();
    void papersNeedRepaint();
    void pageLabelsShown(const QString& paper, const QString& centre);
    void statusLinesShown(const QString& line1, const QString& line2);
    void scoreLineShown(const QString& text);
    void resultLabelShown(const QString& text);
    void languageShown(bool latin);
    void speedShown(int wpm);
    void pauseShown(bool paused);
    void sendModeShown(bool send);
    void levelShown(int level);
    void messageBoxRequested(const QString& title, const QString& text, int icon);
    void resultReady(const quorvel::TelegramResult& result);
};

QString toQString(const std::u16string& s);

}  // namespace quorvel::ui
