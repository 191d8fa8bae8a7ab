// The common environment report (and, with policiesMode, the policies report).
#pragma once

#include <string>
#include <vector>

class TaskContext;

class EnvironmentCollector {
  public:
    // `policiesMode`: write the policies report instead of the common one.
    EnvironmentCollector(TaskContext& context, bool policiesMode)
        : context_(context), policiesMode_(policiesMode) {}
    void run();

  private:
    // One WMI run: the lines go through the shared script buffer to the runner.
    void runScript(const std::vector<std::string>& lines);

    TaskContext& context_;
    bool policiesMode_;
};
