// Every standard window of the program draws its kanji in the interface font chosen by family,
// never in whatever the locale's fontconfig fallback offers (a brush font), and Qt's own
// dialogs speak Japanese. Registered once per locale.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGlyphRun>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRawFont>
#include <QTest>
#include <QTextLayout>
#include <QToolTip>

#include "ui/app_setup.h"
#include "ui/fonts.h"

using namespace quorvel::ui;

namespace {

const QString kKanji = QStringLiteral("和文電報テキストファイルを読み込めません。");

// The families of the fonts that really draw `text` in `font`, fallbacks included.
QStringList drawingFamilies(const QFont& font, const QString& text) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QStringList families;
    for (const QGlyphRun& run : layout.glyphRuns()) {
        if (!families.contains(run.rawFont().familyName()))
            families << run.rawFont().familyName();
    }
    return families;
}

bool isBrush(const QString& family) {
    for (const char* mark : {"brush", "kouzan", "行書", "毛筆", "sousyo", "gyousyo"}) {
        if (family.contains(QString::fromUtf8(mark), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

// Drawn by an interface family of the chain, and by nothing else.
void verifyInterfaceFont(const QFont& font, const QString& text) {
    const QStringList chain = fontFamilies(FontRole::Interface);
    const QStringList drawn = drawingFamilies(font, text);
    QVERIFY2(!drawn.isEmpty(), qPrintable(text));
    for (const QString& family : drawn) {
        QVERIFY2(chain.contains(family, Qt::CaseInsensitive),
                 qPrintable(family + QStringLiteral(" draws ") + text));
        QVERIFY2(!isBrush(family), qPrintable(family));
    }
}

QWidget* visibleTopLevel(const char* className) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->inherits(className) && w->isVisible())
            return w;
    }
    return nullptr;
}

}  // namespace

class AppFontTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QVERIFY(prepareApplication()); }

    void messageBoxAndTooltipDrawKanjiInInterfaceFont() {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("ERROR"), kKanji, QMessageBox::Ok);
        box.show();
        auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        QVERIFY(label);
        verifyInterfaceFont(label->font(), label->text());
        verifyInterfaceFont(box.button(QMessageBox::Ok)->font(), kKanji);

        QWidget owner;
        owner.show();
        QToolTip::showText(owner.mapToGlobal(QPoint(5, 5)), kKanji, &owner);
        QWidget* tip = visibleTopLevel("QTipLabel");
        QVERIFY(tip);
        verifyInterfaceFont(tip->font(), kKanji);
        QToolTip::hideText();
    }

    void fileDialogFilterAndButtonsAreJapanese() {
        QFileDialog dialog(nullptr, QStringLiteral("和文電報テキストファイルを選択"), QString(),
                           QStringLiteral("和文電報テキスト (*.txt);;すべてのファイル (*.*)"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.show();
        auto* filter = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        QVERIFY(filter);
        QCOMPARE(filter->currentText(), QStringLiteral("和文電報テキスト (*.txt)"));
        verifyInterfaceFont(filter->font(), filter->currentText());

        auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        QVERIFY(buttons);
        const QPushButton* open = buttons->button(QDialogButtonBox::Open);
        const QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
        QVERIFY(open && cancel);
        QVERIFY2(open->text().contains(QStringLiteral("開く")), qPrintable(open->text()));
        QVERIFY2(cancel->text().contains(QStringLiteral("キャンセル")), qPrintable(cancel->text()));
        auto* lookIn = dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"));
        QVERIFY(lookIn);
        QVERIFY2(!lookIn->text().contains(QStringLiteral("Look in")), qPrintable(lookIn->text()));
        verifyInterfaceFont(open->font(), open->text());
    }
};

QTEST_MAIN(AppFontTest)
#include "app_font_test.moc"
