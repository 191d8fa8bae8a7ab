#include "output_processing.h"

#include "report/text_format.h"

namespace {

// The script host opens with two banner lines (product and copyright); its
// first versions call themselves "Scripting Host". Some hosts print none
// (Wine's, or one run with //nologo): then nothing is dropped, so the
// script's own first lines are kept.
bool startsWithScriptHostBanner(std::string_view output) {
    static const std::string_view kBanners[] = {"Microsoft (R) Windows Script Host",
                                                "Microsoft (R) Windows Scripting Host"};
    for (std::string_view banner : kBanners)
        if (output.substr(0, banner.size()) == banner) return true;
    return false;
}

} // namespace

std::string removeControlBytes(std::string_view chunk) {
    std::string out;
    out.reserve(chunk.size());
    for (char c : chunk) {
        if (c == 13 || c == 7 || c == 8 || c == 9 || c == 11 || c == 12) continue;
        out.push_back(c);
    }
    return out;
}

int countOwnInstanceLines(std::string_view listing) {
    int count = 0;
    size_t start = 0;
    while (start < listing.size()) {
        size_t end = listing.find('\n', start);
        end = end == std::string_view::npos ? listing.size() : end + 1;
        const std::string_view line = listing.substr(start, end - start);
        if (line.size() > 18) {
            if (line.find("Process: korvex.exe") != std::string_view::npos) ++count;
            if (line.find("Process: Korvexer.exe") != std::string_view::npos) ++count;
        }
        start = end;
    }
    return count;
}

RunnerOutput processRunnerOutput(std::string_view bytes, const RunnerModes& modes, bool probeOnly,
                                 void (*oemToAnsi)(std::string&)) {
    RunnerOutput out;
    std::string instanceText;
    std::string accumulator;
    int newlinesSeen = startsWithScriptHostBanner(bytes) ? 0 : 2;
    size_t envSkipped = 0;
    int linesInGroup = 0;

    auto clean = [&](std::string_view chunk) {
        std::string cleaned = removeControlBytes(chunk);
        oemToAnsi(cleaned);
        return cleaned;
    };
    auto deliver = [&](std::string chunk) {
        if (chunk.empty()) return;
        if (modes.countInstancesMode) instanceText += chunk;
        else if (modes.captureMode) out.capture += doublePercent(chunk);
        else out.report.push_back(std::move(chunk));
    };

    for (char byte : bytes) {
        // A file zero-filled after a crash, printed by "type": a zero byte
        // would end the report wherever the report is read as a text (the
        // window's load stops at it), and the holders' texts are formats.
        if (byte == '\0') byte = ' ';
        if (modes.scriptMode) {
            if (newlinesSeen < 2) {
                if (byte == '\n') ++newlinesSeen;
                continue;
            }
            accumulator.push_back(byte);
        } else if (modes.envValueMode) {
            // "set" prints "env_olddir=" before the value.
            if (envSkipped < 11) {
                ++envSkipped;
                continue;
            }
            accumulator.push_back(byte);
        } else {
            accumulator.push_back(byte);
        }

        if (probeOnly && accumulator.size() > 1) {
            out.result = static_cast<int>(accumulator.size());
            out.report.clear();
            out.capture.clear();
            return out;
        }

        if (byte != '\n') continue;
        if (modes.joinThreeMode) {
            std::string line;
            for (char c : accumulator)
                if (c != 13) line.push_back(c);
            if (++linesInGroup == 3) {
                linesInGroup = 0;
            } else {
                line.pop_back();
                line += ",      ";
            }
            oemToAnsi(line);
            out.report.push_back(std::move(line));
            accumulator.clear();
        } else if (accumulator.size() > 500) {
            deliver(clean(accumulator));
            accumulator.clear();
        }
    }

    if (modes.joinThreeMode) out.report.push_back("\n");
    std::string rest = clean(accumulator);
    if (modes.envValueMode) {
        std::string value;
        for (char c : rest)
            if (c != '\n') value.push_back(c);
        out.envValueSet = true;
        out.envValue = doublePercent(value);
    } else {
        deliver(std::move(rest));
    }
    if (modes.countInstancesMode) out.ownInstances = countOwnInstanceLines(instanceText);
    return out;
}
