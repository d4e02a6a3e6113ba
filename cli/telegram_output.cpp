#include "cli/telegram_output.h"

#include <nlohmann/json.hpp>

#include "storage/utf.h"

namespace quorvel::cli {
namespace {

using Json = nlohmann::ordered_json;

constexpr int kLatinSections[] = {Preamble, Address, Text};
constexpr int kJapaneseSections[] = {Preamble, Office, Serial, FilingTime, Address, Text};

std::string utf8(const std::u16string& s) {
    return toUtf8(s);
}

}  // namespace

TelegramReport telegramReport(const PracticeSnapshot& snapshot) {
    TelegramReport report;
    report.number = snapshot.position.telegramNumber;
    const TelegramModel& model = *snapshot.model;
    const TelegramProgress& progress = snapshot.progress;
    auto add = [&](int s) {
        const auto i = static_cast<std::size_t>(s);
        report.sections.push_back({s, model.field(s), progress.sections[i].enteredText,
                                   progress.sections[i].judgementMarks});
    };
    if (snapshot.latinMode)
        for (int s : kLatinSections)
            add(s);
    else
        for (int s : kJapaneseSections)
            add(s);
    return report;
}

void TelegramOutput::write(const std::string& line) {
    std::fputs(line.c_str(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
}

void TelegramOutput::writeJson(const Json& value) {
    // Replace rather than throw on a malformed character: output must never stop a run.
    write(value.dump(-1, ' ', false, Json::error_handler_t::replace));
}

void TelegramOutput::message(const std::u16string& text) {
    std::lock_guard lock(mutex_);
    if (json_)
        writeJson(Json{{"message", utf8(text)}});
    else
        write("message " + utf8(text));
}

void TelegramOutput::result(const std::u16string& text) {
    std::lock_guard lock(mutex_);
    if (json_)
        writeJson(Json{{"result", utf8(text)}});
    else
        write("result " + utf8(text));
}

void TelegramOutput::audio(bool open, const std::string& driver, int rate, int channels,
                           int bufferFrames, int latencyUs) {
    std::lock_guard lock(mutex_);
    if (json_) {
        writeJson(Json{{"audio", Json{{"open", open},
                                      {"driver", driver},
                                      {"rate", rate},
                                      {"channels", channels},
                                      {"bufferFrames", bufferFrames},
                                      {"latencyUs", latencyUs}}}});
    } else if (!open) {
        write("audio none");
    } else {
        write("audio " + driver + " " + std::to_string(rate) + " Hz " + std::to_string(channels) +
              " ch " + std::to_string(bufferFrames) + " frames " + std::to_string(latencyUs) +
              " us");
    }
}

void TelegramOutput::telegram(const TelegramReport& report) {
    std::lock_guard lock(mutex_);
    if (json_) {
        Json sections = Json::object();
        for (const SectionReport& s : report.sections)
            sections[sectionName(s.section)] = Json{
                {"model", utf8(s.model)}, {"entered", utf8(s.entered)}, {"marks", utf8(s.marks)}};
        Json object{{"telegram", report.number}, {"sections", std::move(sections)}};
        for (const auto& extra : report.extras)
            object[extra.key] = Json::parse(extra.json);
        writeJson(object);
        return;
    }
    write("telegram " + std::to_string(report.number));
    for (const SectionReport& s : report.sections) {
        const std::string name = sectionName(s.section);
        write(name + ".model " + utf8(s.model));
        write(name + ".entered " + utf8(s.entered));
        write(name + ".marks " + utf8(s.marks));
    }
    for (const auto& extra : report.extras)
        if (!extra.line.empty())
            write(extra.line);
}

void PrintingView::showMessage(const std::u16string& text) {
    if (!text.empty())
        output_.message(text);  // an empty text only clears the line
}

void PrintingView::messageBox(const std::u16string& title, const std::u16string& text,
                              MessageIcon) {
    std::fprintf(stderr, "quorvel-cli: %s: %s\n", toUtf8(title).c_str(), toUtf8(text).c_str());
}

void PrintingView::telegramResultReady(const TelegramResult& result) {
    // Told after the change was published: the snapshot holds the telegram just completed.
    const SharedSnapshot shown = document_.snapshot();
    TelegramReport report = telegramReport(*shown);
    {
        std::lock_guard lock(mutex_);
        printedNumber_ = report.number;
        printedGeneration_ = shown->position.setGeneration;
    }
    if (decorate)
        decorate(report, result);
    output_.telegram(report);
}

void PrintingView::printUnfinished() {
    const SharedSnapshot shown = document_.snapshot();
    const PracticePosition& at = shown->position;
    {
        std::lock_guard lock(mutex_);
        if (at.telegramFinished ||
            (printedNumber_ == at.telegramNumber && printedGeneration_ == at.setGeneration))
            return;
    }
    TelegramReport report = telegramReport(*shown);
    if (decorate)
        decorate(report, TelegramResult{});
    output_.telegram(report);
}

}  // namespace quorvel::cli
