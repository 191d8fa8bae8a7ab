// A task context of the tests' own: the report is a string, the halt a
// switch, the status line and the message boxes are recorded, and the runner
// is the real one or a scripted fake.
#pragma once

#include "fake_view.h"
#include "report/task_context.h"
#include "runner/command_runner.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Answers runs from a table instead of running anything: each run is recorded,
// and `answer` gives its report text and result.
class FakeRunner : public CommandRunner {
  public:
    struct Call {
        std::string text;
        RunMode mode;
        bool probeOnly;
    };
    struct Answer {
        std::string output; // delivered as the real runner would: to the report or the holder
        int result = 1;
    };
    explicit FakeRunner(TaskContext& context) : context_(context) {}
    std::vector<Call> calls;
    std::function<Answer(const Call&)> answer = [](const Call&) { return Answer{}; };

    int run(const std::string& text, RunMode mode, bool probeOnly = false,
            RunHolder* holder = nullptr) override {
        calls.push_back({text, mode, probeOnly});
        const Answer a = answer(calls.back());
        if (probeOnly) return a.output.size() > 1 ? 2 : a.result;
        switch (mode) {
        case RunMode::EnvValue:
            if (holder != nullptr) holder->envValue = a.output;
            break;
        case RunMode::ScriptCapture:
            if (holder != nullptr) holder->captureText += a.output;
            break;
        case RunMode::ScriptCountInstances:
            if (holder != nullptr) holder->ownInstanceCount += countOwnInstanceLines(a.output);
            break;
        default:
            context_.write(a.output);
        }
        return a.result;
    }

  private:
    TaskContext& context_;
};

class TestContext : public TaskContext {
  public:
    std::string report;
    int writes = 0;
    // Set from another thread by the halt tests.
    std::atomic<bool> halt{false};
    // Raised after this many progress steps (negative: never).
    int haltAfterSteps = -1;
    int steps = 0;
    bool animating = false;
    FakeStatus statusLine;
    std::vector<std::string> liveTexts;
    std::string header;
    std::vector<std::string> told;
    std::vector<std::string> asked;
    bool answerYes = true;
    // The fake runner by default; a test may put the real one in.
    std::unique_ptr<CommandRunner> commandRunner = std::make_unique<FakeRunner>(*this);

    FakeRunner& fakeRunner() { return static_cast<FakeRunner&>(*commandRunner); }

    // The task's own report file (beginReportFile to showReportFile): what
    // was written there, and what showing it is to answer.
    bool inReportFile = false;
    std::string reportFileText;
    FileShown fileOutcome = FileShown::Shown;
    int reportFilesBegun = 0;
    int reportFilesDropped = 0;
    bool reportFileRefused = false; // beginReportFile finds no file for the task

    void write(std::string_view text) override {
        if (inReportFile)
            reportFileText.append(text);
        else
            report.append(text);
        ++writes;
    }
    bool beginReportFile() override {
        if (reportFileRefused) return false;
        inReportFile = true;
        reportFileText.clear();
        ++reportFilesBegun;
        return true;
    }
    FileShown showReportFile(std::string_view lead) override {
        inReportFile = false;
        if (fileOutcome == FileShown::Shown) report = std::string(lead) + reportFileText;
        return fileOutcome;
    }
    void dropReportFile() override {
        inReportFile = false;
        ++reportFilesDropped;
    }
    bool haltRequested() const override { return halt; }
    void progress() override {
        ++steps;
        if (haltAfterSteps >= 0 && steps >= haltAfterSteps) halt = true;
    }
    void animate(bool on) override { animating = on; }
    StatusDisplay& status() override { return statusLine; }
    void showLive(std::string_view text) override { liveTexts.emplace_back(text); }
    std::string taskHeader() const override { return header; }
    CommandRunner& runner() override { return *commandRunner; }
    void tell(const std::string& text, const std::string& title) override {
        told.push_back(title + ": " + text);
    }
    bool ask(const std::string& text, const std::string& title) override {
        asked.push_back(title + ": " + text);
        return answerYes;
    }
};
