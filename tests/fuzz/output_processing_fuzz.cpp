// The command runner's output processing on arbitrary bytes in every mode.
// The first byte picks the mode switches and the probe; the rest is what the
// command printed. Besides the sanitizers' findings, a run fails when text is
// lost, reordered or invented: the pieces, the capture and the instance count
// must each agree with the cleaned output as a whole (zero bytes as blanks),
// pieces must be cut at line ends only, no zero byte may come out, and a
// probe must deliver nothing.
#include "report/text_format.h"
#include "runner/output_processing.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

// A stand-in for the OEM to ANSI conversion: changes bytes, never their number.
void shiftHighBytes(std::string& text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) >= 0x80) c = static_cast<char>(c ^ 0x20);
}

std::string joined(const RunnerOutput& out) {
    std::string all;
    for (const std::string& piece : out.report)
        all += piece;
    return all;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    RunnerModes modes;
    modes.scriptMode = data[0] & 1;
    modes.envValueMode = data[0] & 2;
    modes.joinThreeMode = data[0] & 4;
    modes.countInstancesMode = data[0] & 8;
    modes.captureMode = data[0] & 16;
    const bool probeOnly = data[0] & 32;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    const RunnerOutput out = processRunnerOutput(bytes, modes, probeOnly, shiftHighBytes);

    if (probeOnly && out.result != 1) {
        require(out.result == 2);
        require(out.report.empty() && out.capture.empty() && out.ownInstances == 0);
        return 0;
    }
    require(out.result == 1);

    size_t total = 0;
    for (size_t i = 0; i < out.report.size(); ++i) {
        require(!out.report[i].empty());
        total += out.report[i].size();
    }
    size_t lines = 1;
    for (const char c : bytes)
        lines += c == '\n';
    // Three lines joined gain at most six blanks and a comma each.
    require(total <= bytes.size() + 7 * lines + 1);
    require(out.capture.size() <= 2 * bytes.size());
    require(out.envValue.size() <= 2 * bytes.size());
    // A zero byte would end the report where it is read as a text.
    require(joined(out).find('\0') == std::string::npos);
    require(out.capture.find('\0') == std::string::npos && out.envValue.find('\0') == std::string::npos);

    // The remaining checks hold for the plain sinks, where the output passes
    // through whole (the script host's banner aside).
    if (modes.scriptMode || modes.envValueMode || modes.joinThreeMode) return 0;
    std::string blanked(bytes);
    for (char& c : blanked)
        if (c == '\0') c = ' ';
    std::string cleaned = removeControlBytes(blanked);
    shiftHighBytes(cleaned);
    if (modes.countInstancesMode) {
        require(out.report.empty() && out.capture.empty());
        require(out.ownInstances == countOwnInstanceLines(cleaned));
    } else if (modes.captureMode) {
        require(out.report.empty());
        require(out.capture == doublePercent(cleaned));
    } else {
        require(joined(out) == cleaned);
        for (size_t i = 0; i + 1 < out.report.size(); ++i)
            require(out.report[i].back() == '\n');
    }
    return 0;
}
