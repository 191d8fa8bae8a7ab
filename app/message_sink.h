// Where the program's message boxes go. The window shows them with
// MessageBoxA; tests put a recorder in its place, so a failure path can be
// run without a box waiting for somebody to press OK.
#pragma once

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    // Returns once the user has dismissed the message.
    virtual void show(const char* text, const char* title) = 0;
    // A Yes/No question; true for Yes.
    virtual bool ask(const char* text, const char* title) = 0;
};
