// The one process-wide text in which a section assembles a generated script.
#pragma once

#include <string>
#include <string_view>

class ScriptBuffer {
public:
    static constexpr size_t kBytes = 32768;  // terminator included

    // Appends a whole line; a line that does not fit is refused (false), so
    // the buffer never overflows and never holds half a line.
    bool append(std::string_view text);
    bool appendLine(std::string_view line);
    const std::string& text() const { return text_; }
    const char* c_str() const { return text_.c_str(); }
    bool empty() const { return text_.empty(); }
    void clear() { text_.clear(); }
    size_t size() const { return text_.size(); }

private:
    std::string text_;
};

ScriptBuffer& scriptBuffer();
