// Every control of the main window with its caption, placed on the design grid, and the two
// fonts made once from the scale of the first client area.
#pragma once

#include <QFont>
#include <QString>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;
class QWidget;

namespace quorvel::ui {

class DesignGridLayout;

inline constexpr int kBandFlagCount = 21;

struct ControlPanel {
    // Top row and left column.
    QPushButton* rxStart = nullptr;
    QPushButton* rxStop = nullptr;
    QPushButton* pause = nullptr;
    QPushButton* reset = nullptr;
    QPushButton* demo = nullptr;
    QPushButton* random = nullptr;
    QPushButton* loadFile = nullptr;
    QPushButton* manual = nullptr;
    QPushButton* fullScreen = nullptr;
    QPushButton* results = nullptr;
    QPushButton* home = nullptr;
    QPushButton* exam = nullptr;
    QPushButton* achievements = nullptr;
    QPushButton* previousPage = nullptr;
    QPushButton* nextPage = nullptr;

    // Options.
    QCheckBox* autoKeyer = nullptr;
    QCheckBox* keyKeyer = nullptr;
    QCheckBox* weakTelegram = nullptr;
    QCheckBox* goOn = nullptr;
    QRadioButton* receiveMode = nullptr;
    QRadioButton* sendMode = nullptr;
    QRadioButton* latin = nullptr;
    QRadioButton* wabun = nullptr;
    QCheckBox* secondGeneration = nullptr;
    QCheckBox* autoDifficulty = nullptr;
    QCheckBox* showNextHint = nullptr;
    QCheckBox* autoSpeedAdjust = nullptr;
    // In the order of the settings file: the seven first band flags, then the fourteen effects.
    std::array<QCheckBox*, kBandFlagCount> band{};

    // Lists.
    QComboBox* ports = nullptr;
    QComboBox* category = nullptr;
    QComboBox* timbre = nullptr;
    QComboBox* level = nullptr;
    QComboBox* activity = nullptr;
    QComboBox* filterWidth = nullptr;

    // Sliders and their captions.
    QSlider* speed = nullptr;
    QSlider* frequency = nullptr;
    QSlider* judgeEase = nullptr;
    QSlider* elementTolerance = nullptr;
    QSlider* keySoftness = nullptr;
    QSlider* charSpeedTolerance = nullptr;
    QSlider* totalEase = nullptr;
    QSlider* noise = nullptr;
    QLabel* speedLabel = nullptr;
    QLabel* frequencyLabel = nullptr;
    QLabel* judgeEaseLabel = nullptr;
    QLabel* elementToleranceLabel = nullptr;
    QLabel* keySoftnessLabel = nullptr;
    QLabel* charSpeedToleranceLabel = nullptr;
    QLabel* totalEaseLabel = nullptr;

    // Texts the engine rewrites.
    QLabel* message = nullptr;
    QLabel* score = nullptr;
    QLabel* modelCaption = nullptr;
    QLabel* inputCaption = nullptr;
    QLabel* modelPageLabel = nullptr;
    QLabel* inputPageLabel = nullptr;
    QLabel* centrePageLabel = nullptr;
    QLabel* accuracy = nullptr;
    QLabel* statusLine1 = nullptr;
    QLabel* statusLine2 = nullptr;

    QWidget* modelPaper = nullptr;
    QWidget* inputPaper = nullptr;

    int scalePercent = 100;
    QFont controlFont;
    QFont largeFont;
};

// The bold "MS Gothic" of the window at a cell height (ascent plus descent, in pixels), as the
// platform's font heights are meant.
QFont cellHeightFont(int cellHeight);

// The captions of the band check boxes, in the order of ControlPanel::band.
const std::array<const char16_t*, kBandFlagCount>& bandCaptions();

// Creates every control as a child of `window`, fills the fixed lists and slider ranges,
// places them on `grid` and gives them the fonts for the scale of `client`.
ControlPanel buildControlPanel(QWidget* window, DesignGridLayout* grid, const QSize& client);

}  // namespace quorvel::ui
