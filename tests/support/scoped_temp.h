// TEMP pointed at another folder for the length of a test: the work folder
// every work file of the program is made in.
#pragma once

#include <windows.h>

#include <string>

class ScopedTemp {
  public:
    explicit ScopedTemp(const std::string& dir) {
        had_ = GetEnvironmentVariableA("TEMP", saved_, sizeof saved_) != 0;
        SetEnvironmentVariableA("TEMP", dir.c_str());
    }
    ~ScopedTemp() { SetEnvironmentVariableA("TEMP", had_ ? saved_ : nullptr); }
    ScopedTemp(const ScopedTemp&) = delete;
    ScopedTemp& operator=(const ScopedTemp&) = delete;

  private:
    char saved_[32768] = {};
    bool had_ = false;
};
