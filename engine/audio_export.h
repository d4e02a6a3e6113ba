// A telegram set's receive audio written to a file apart from any practice: a trainer of the
// export's own plays the set in simulated time with a copy of the settings, so nothing is
// judged into the history and a practice in progress is not touched.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "audio/audio_file.h"
#include "practice/telegram.h"
#include "storage/settings.h"

namespace quorvel {

class Trainer;

struct AudioExportJob {
    TelegramList telegrams;
    bool latin = false;
    int sampleRate = 48000;
};

// Every setting of the file, and "間違っても先へ進む": what an export needs of a trainer's.
void copyPracticeSettings(const PracticeSettings& from, PracticeSettings& to);

// Whether the band adds noise or other stations, which makes compressed files much larger.
bool noisyBand(const PracticeSettings& settings);

// Frames the export of `job` with these settings will write (a silent run, cheap).
std::uint64_t audioExportFrames(const PracticeSettings& settings, const AudioExportJob& job);
// The same for the set a trainer has installed (its own settings and language).
std::uint64_t receiveAudioFrames(Trainer& source, int sampleRate);

// Title and comment naming what the file sends: UTF-8, one telegram a line in the comment.
void describeTelegrams(const TelegramList& telegrams, std::string& title, std::string& comment);

// Renders the set into `writer` and finishes it. `progress`, called with the frames written
// so far every 100 ms of audio, returns false to cancel: the writer is then left unfinished
// (its file is not put in place) and the result is false. Throws what the writer throws.
bool exportAudio(const PracticeSettings& settings, const AudioExportJob& job,
                 AudioFileWriter& writer,
                 const std::function<bool(std::uint64_t framesDone)>& progress = {});

}  // namespace quorvel
