// A message sink that records what the program would have shown.
#pragma once

#include "app/message_sink.h"

#include <string>
#include <vector>

class RecordingMessages : public MessageSink {
  public:
    struct Shown {
        std::string text;
        std::string title;
    };
    std::vector<Shown> shown;
    std::vector<Shown> asked;
    bool answerYes = false;
    void show(const char* text, const char* title) override { shown.push_back({text, title}); }
    bool ask(const char* text, const char* title) override {
        asked.push_back({text, title});
        return answerYes;
    }
};
