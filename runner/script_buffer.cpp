#include "script_buffer.h"

bool ScriptBuffer::append(std::string_view text) {
    if (text_.size() + text.size() + 1 > kBytes) return false;
    text_.append(text);
    return true;
}

bool ScriptBuffer::appendLine(std::string_view line) {
    if (text_.size() + line.size() + 2 > kBytes) return false;
    text_.append(line);
    text_.push_back('\n');
    return true;
}

ScriptBuffer& scriptBuffer() {
    static ScriptBuffer buffer;
    return buffer;
}
