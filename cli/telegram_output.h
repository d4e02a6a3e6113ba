// How quorvel-cli prints a practice run: each telegram's sections, the message-line texts and
// the closing result, as text lines or as JSON lines. Shared by `send` and `receive`.
#pragma once

#include <cstdio>
#include <functional>
#include <mutex>
#include <nlohmann/json_fwd.hpp>
#include <string>
#include <vector>

#include "practice/document.h"
#include "practice/practice_view.h"

namespace quorvel::cli {

struct SectionReport {
    int section = 0;       // Section: its field name is the key
    std::u16string model;  // practice form of the field
    std::u16string entered;
    std::u16string marks;  // "1" right, "0" wrong
};

struct TelegramReport {
    int number = 0;
    std::vector<SectionReport> sections;
    // Anything printed after the sections, e.g. a score: one text line and one member of the
    // JSON object each. Members are added, never renamed.
    struct Extra {
        std::string key;
        std::string line;
        std::string json;  // the member's value, as JSON text
    };
    std::vector<Extra> extras;
};

// The telegram a snapshot shows, as it stands: the sections its language uses.
TelegramReport telegramReport(const PracticeSnapshot& snapshot);

// Writes whole lines, flushed, one caller at a time.
class TelegramOutput {
  public:
    TelegramOutput(std::FILE* out, bool json) : out_(out), json_(json) {}

    // "message <text>" / {"message": "..."}.
    void message(const std::u16string& text);
    // "telegram N", then "<field>.model|entered|marks <text>" per section, then the extras /
    // {"telegram": N, "sections": {"<field>": {"model", "entered", "marks"}, ...}, ...}.
    void telegram(const TelegramReport& report);
    // "result <text>" / {"result": "..."}.
    void result(const std::u16string& text);
    // What the sound device gave: "audio <driver> <rate> Hz <channels> ch <frames> frames
    // <latency> us" or "audio none" / {"audio": {"open", "driver", "rate", "channels",
    // "bufferFrames", "latencyUs"}}.
    void audio(bool open, const std::string& driver, int rate, int channels, int bufferFrames,
               int latencyUs);

  private:
    void write(const std::string& line);
    void writeJson(const nlohmann::ordered_json& value);

    std::mutex mutex_;
    std::FILE* out_;
    bool json_;
};

// A view that prints the message line and each telegram as its result is reported (the card
// is dismissed at once). `decorate` may add extras to a report before it is printed.
class PrintingView : public PracticeView {
  public:
    PrintingView(TelegramOutput& output, TelegramDocument& document)
        : output_(output), document_(document) {}

    void showMessage(const std::u16string& text) override;
    // On standard error: a message box is how the engine tells of a failure.
    void messageBox(const std::u16string& title, const std::u16string& text,
                    MessageIcon icon) override;
    void telegramResultReady(const TelegramResult& result) override;
    bool dismissesResultsItself() const override { return true; }

    // Prints the current telegram unless its card was already shown: the end of the input.
    void printUnfinished();

    std::function<void(TelegramReport&, const TelegramResult&)> decorate;

  private:
    TelegramOutput& output_;
    TelegramDocument& document_;
    std::mutex mutex_;
    int printedNumber_ = 0;       // telegram whose card was shown last ...
    int printedGeneration_ = -1;  // ... in this set
};

}  // namespace quorvel::cli
