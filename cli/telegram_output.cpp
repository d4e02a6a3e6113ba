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

TelegramReport currentTelegramReport(TelegramDocument& document) {
    TelegramDocument::Lock lock = document.lock();
    TelegramReport report;
    report.number = document.telegramNumber();
    const TelegramModel model = document.model();
    const TelegramProgress progress = document.progress();
    auto add = [&](int s) {
        const auto i = static_cast<std::size_t>(s);
        report.sections.push_back({s, model.fields[i], progress.sections[i].enteredText,
                                   progress.sections[i].judgementMarks});
    };
    if (document.latinMode())
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
    TelegramReport report;
    int generation = 0;
    {
        TelegramDocument::Lock docLock = document_.lock();
        report = currentTelegramReport(document_);
        generation = document_.setGeneration();
    }
    {
        // Never the document lock inside this one: printUnfinished takes them the other way.
        std::lock_guard lock(mutex_);
        printedNumber_ = report.number;
        printedGeneration_ = generation;
    }
    if (decorate)
        decorate(report, result);
    output_.telegram(report);
}

void PrintingView::printUnfinished() {
    TelegramDocument::Lock docLock = document_.lock();
    {
        std::lock_guard lock(mutex_);
        if (document_.telegramFinished() || (printedNumber_ == document_.telegramNumber() &&
                                             printedGeneration_ == document_.setGeneration()))
            return;
    }
    TelegramReport report = currentTelegramReport(document_);
    if (decorate)
        decorate(report, TelegramResult{});
    output_.telegram(report);
}

}  // namespace quorvel::cli
