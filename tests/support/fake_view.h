// Report view and status line doubles that keep their text in memory.
#pragma once

#include "report/report_view.h"

#include <string>
#include <vector>

class FakeView : public ReportView {
public:
    std::string content;
    int setCalls = 0;
    std::string text() const override { return content; }
    void setText(std::string_view t) override {
        content = t;
        ++setCalls;
    }
    size_t append(std::string_view t) override {
        content += t;
        ++setCalls;
        return content.size();
    }
    void insertAtEnd(std::string_view t) override { content += t; }
};

// Counts the report writer's appends (one per delivered chunk).
class CountingView : public FakeView {
public:
    int appends = 0;
    size_t append(std::string_view t) override {
        ++appends;
        return FakeView::append(t);
    }
};

class FakeStatus : public StatusDisplay {
public:
    std::vector<std::string> shown;
    int repaints = 0;
    void setStatus(std::string_view t) override { shown.emplace_back(t); }
    void repaint() override { ++repaints; }
};
