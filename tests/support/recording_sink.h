// A KeyingEventSink that records what the timing steps post, for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "morse/character_assembler.h"

namespace quorvel::test {

struct RecordingSink : KeyingEventSink {
    std::vector<KeyingEvent> events;
    bool space = false;  // what spaceExpected answers
    int spaceQuestions = 0;

    void post(const KeyingEvent& e) override { events.push_back(e); }
    bool spaceExpected() override {
        ++spaceQuestions;
        return space;
    }
    std::vector<std::uint32_t> elements() const {
        std::vector<std::uint32_t> out;
        for (const auto& e : events)
            if (e.kind == KeyingEventKind::Element)
                out.push_back(e.duration);
        return out;
    }
    std::vector<std::string> characters() const {
        std::vector<std::string> out;
        for (const auto& e : events)
            if (e.kind == KeyingEventKind::Character)
                out.emplace_back(e.code());
        return out;
    }
    int count(KeyingEventKind k) const {
        int n = 0;
        for (const auto& e : events)
            n += e.kind == k;
        return n;
    }
};

}  // namespace quorvel::test
