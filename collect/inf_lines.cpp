#include "inf_lines.h"

namespace {

bool keptByte(unsigned char byte) {
    return byte == '\n' || (byte >= 32 && byte < 126 && byte != ';');
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool InfLineReader::feed(std::string_view bytes, std::vector<std::string>& matched) {
    if (stopped_) return false;
    for (char c : bytes) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (!keptByte(byte)) continue;
        if (byte != '\n' && line_.size() >= kLongestLine) {
            stopped_ = true;
            return false;
        }
        line_.push_back(c);
        if (byte != '\n') continue;
        if (isPolicyLine(line_)) matched.push_back(line_);
        line_.clear();
    }
    return true;
}

bool isPolicyLine(std::string_view line) {
    std::string lower(line);
    for (char& c : lower)
        c = lowerAscii(c);
    const size_t policies = lower.find("\\policies");
    const size_t equals = lower.find('=');
    if (policies == std::string::npos || equals == std::string::npos) return false;
    if (lower.find_first_of("{}") != std::string::npos) return false;
    return policies < equals;
}

std::vector<std::string> infPolicyLines(std::string_view bytes) {
    std::vector<std::string> matched;
    InfLineReader reader;
    reader.feed(bytes, matched);
    return matched;
}
