#include "ui/settings_binding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>
#include <vector>

#include "storage/settings_file.h"
#include "ui/control_panel.h"
#include "ui/view_adapter.h"

namespace quorvel::ui {
namespace {

using Field = std::atomic<int> PracticeSettings::*;

Field fieldOf(const char* key) {
    const SettingKey* k = findSetting(key);
    return k ? k->field : nullptr;
}

struct CheckKey {
    QCheckBox* box;
    Field field;
};
struct ListKey {
    QComboBox* list;
    Field field;
};
struct SliderKey {
    QSlider* slider;
    Field field;
};

constexpr std::array<const char*, kBandFlagCount> kBandKeys = {
    "BandQRN",         "BandQRM",          "BandQSB",       "BandFlutter",  "BandLids",
    "BandChirp",       "BandUnevenLength", "BandAGC",       "BandIFFilter", "BandPitchDrift",
    "BandEcho",        "BandMultipath",    "BandLightning", "BandAdjacent", "BandSplit",
    "BandAtmospheric", "BandHum",          "BandIgnition",  "BandAgcPump",  "BandRinging",
    "BandOverload"};

std::vector<CheckKey> checkKeys(ControlPanel& p) {
    std::vector<CheckKey> keys = {
        {p.autoKeyer, fieldOf("Auto")},
        {p.keyKeyer, fieldOf("KeyKeyer")},
        {p.weakTelegram, fieldOf("WeakTelegram")},
        {p.autoDifficulty, fieldOf("AutoDifficulty")},
        {p.showNextHint, fieldOf("ShowNextHint")},
        {p.autoSpeedAdjust, fieldOf("AutoSpeedAdjust")},
        {p.goOn, &PracticeSettings::goOnAfterMistakes},
        {p.secondGeneration, &PracticeSettings::secondGeneration},
    };
    for (std::size_t i = 0; i < kBandKeys.size(); ++i)
        keys.push_back({p.band[i], fieldOf(kBandKeys[i])});
    return keys;
}

std::vector<ListKey> listKeys(ControlPanel& p) {
    return {{p.timbre, fieldOf("SoundType")},
            {p.level, fieldOf("LearningLevel")},
            {p.category, fieldOf("RandomCategory")},
            {p.activity, fieldOf("BandActivity")},
            {p.filterWidth, fieldOf("BandFilterWidth")}};
}

std::vector<SliderKey> toleranceKeys(ControlPanel& p) {
    return {{p.judgeEase, fieldOf("JudgeEase")},
            {p.elementTolerance, fieldOf("ElementTolerance")},
            {p.keySoftness, fieldOf("KeySoftness")},
            {p.charSpeedTolerance, fieldOf("CharSpeedTolerance")}};
}

int get(const PracticeSettings& s, Field f) {
    return PracticeSettings::get(s.*f);
}

}  // namespace

void showSettings(const PracticeSettings& s, ControlPanel& p) {
    for (const CheckKey& k : checkKeys(p)) {
        const QSignalBlocker block(k.box);
        k.box->setChecked(get(s, k.field) != 0);
    }
    for (const ListKey& k : listKeys(p)) {
        const QSignalBlocker block(k.list);
        const int v = get(s, k.field);
        k.list->setCurrentIndex(v >= 0 && v < k.list->count() ? v : 0);
    }
    std::vector<SliderKey> sliders = toleranceKeys(p);
    sliders.push_back({p.speed, &PracticeSettings::WPM});
    sliders.push_back({p.frequency, &PracticeSettings::Freq});
    sliders.push_back({p.totalEase, &PracticeSettings::TotalEase});
    sliders.push_back({p.noise, &PracticeSettings::BandNoiseLevel});
    for (const SliderKey& k : sliders) {
        const QSignalBlocker block(k.slider);
        k.slider->setValue(get(s, k.field));
    }
    {
        const QSignalBlocker a(p.latin), b(p.wabun);
        (PracticeSettings::get(s.Lang) == 0 ? p.latin : p.wabun)->setChecked(true);
    }
    {
        const QSignalBlocker a(p.receiveMode), b(p.sendMode);
        (PracticeSettings::get(s.Mode) == 1 ? p.sendMode : p.receiveMode)->setChecked(true);
    }
    {
        const QSignalBlocker block(p.ports);
        const int n = p.ports->count();
        if (n > 0) {
            const int index = PracticeSettings::get(s.ComIndex);
            p.ports->setCurrentIndex(index >= 0 && index < n ? index : 0);
        }
    }
    showSliderLabels(s, p);
}

void showSliderLabels(const PracticeSettings& s, ControlPanel& p) {
    const SliderLabels l = sliderLabelsOf(s);
    p.speedLabel->setText(toQString(l.speed));
    p.frequencyLabel->setText(toQString(l.frequency));
    p.judgeEaseLabel->setText(toQString(l.judgeEase));
    p.elementToleranceLabel->setText(toQString(l.elementTolerance));
    p.keySoftnessLabel->setText(toQString(l.keySoftness));
    p.charSpeedToleranceLabel->setText(toQString(l.charSpeedTolerance));
    p.totalEaseLabel->setText(toQString(l.totalEase));
}

void bindSettings(ControlPanel& p, PracticeSettings& s, BindingHooks hooks) {
    auto before = [hooks] {
        if (hooks.beforeCommand)
            hooks.beforeCommand();
    };
    for (const CheckKey& k : checkKeys(p)) {
        QObject::connect(k.box, &QCheckBox::toggled, k.box, [&s, f = k.field, before](bool on) {
            before();
            PracticeSettings::set(s.*f, on ? 1 : 0);
        });
    }
    for (const ListKey& k : listKeys(p)) {
        QObject::connect(k.list, &QComboBox::currentIndexChanged, k.list,
                         [&s, f = k.field, before](int index) {
                             before();
                             PracticeSettings::set(s.*f, std::max(index, 0));
                         });
    }
    ControlPanel* panel = &p;
    auto relabel = [&s, panel] { showSliderLabels(s, *panel); };
    for (const SliderKey& k : toleranceKeys(p)) {
        QObject::connect(k.slider, &QSlider::valueChanged, k.slider,
                         [&s, f = k.field, relabel](int v) {
                             PracticeSettings::set(s.*f, std::clamp(v, 0, 100));
                             relabel();
                         });
    }
    QObject::connect(p.totalEase, &QSlider::valueChanged, p.totalEase, [&s, panel, relabel](int v) {
        const int ease = std::clamp(v, 0, 100);
        PracticeSettings::set(s.TotalEase, ease);
        // The master moves the four tolerances; their own handlers store them.
        for (const SliderKey& k : toleranceKeys(*panel))
            k.slider->setValue(ease);
        relabel();
    });
    auto speedOrFrequency = [hooks, relabel] {
        relabel();
        if (hooks.speedOrFrequencyChanged)
            hooks.speedOrFrequencyChanged();
    };
    QObject::connect(p.speed, &QSlider::valueChanged, p.speed, [&s, speedOrFrequency](int v) {
        PracticeSettings::set(s.WPM, std::clamp(v, 5, 40));
        speedOrFrequency();
    });
    QObject::connect(p.frequency, &QSlider::valueChanged, p.frequency,
                     [&s, speedOrFrequency](int v) {
                         PracticeSettings::set(s.Freq, std::clamp(v, 300, 1200));
                         speedOrFrequency();
                     });
    QObject::connect(p.noise, &QSlider::valueChanged, p.noise, [&s](int v) {
        PracticeSettings::set(s.BandNoiseLevel, std::clamp(v, 0, 100));
    });
}

}  // namespace quorvel::ui
