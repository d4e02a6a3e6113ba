// Settings to controls and back: each control is tied to its key of the engine's settings
// table; a change reaches the setting at once, the file at the next save.
#pragma once

#include <functional>

namespace quorvel {
struct PracticeSettings;
}

namespace quorvel::ui {

struct ControlPanel;

// Moves every control to its setting without firing its change handlers.
void showSettings(const PracticeSettings& settings, ControlPanel& panel);
// The seven slider captions, rewritten together.
void showSliderLabels(const PracticeSettings& settings, ControlPanel& panel);

struct BindingHooks {
    // Before a check box or list acts: a running demo ends first.
    std::function<void()> beforeCommand;
    // After the speed or frequency changed (the status lines show both).
    std::function<void()> speedOrFrequencyChanged;
};

// Connects the check boxes, lists and sliders that do nothing but set their key. The radio
// pairs and the port list are the window's, since they act on the engine.
void bindSettings(ControlPanel& panel, PracticeSettings& settings, BindingHooks hooks);

}  // namespace quorvel::ui
