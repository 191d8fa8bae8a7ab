// The common environment report (and, with policiesMode, the policies report).
#pragma once

#include <functional>

class TaskContext;

class EnvironmentCollector {
  public:
    // `policiesMode`: write the policies report instead of the common one.
    EnvironmentCollector(TaskContext& context, bool policiesMode)
        : context_(context), policiesMode_(policiesMode) {}
    void run();

    // True after a complete common report when this was the only running copy
    // of the program: the work files of earlier runs may then be swept, once
    // this report's own file has been loaded and deleted.
    bool sweepDue() const { return sweepDue_; }

    // Told each catalogue row's number before the row runs (a progress
    // display shows it; tests record it).
    std::function<void(int row)> beforeRow;

  private:
    TaskContext& context_;
    bool policiesMode_;
    bool sweepDue_ = false;
};
