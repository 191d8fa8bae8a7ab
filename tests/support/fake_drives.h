// Drives that answer: a drive control whose devices are scripted, which
// records every open, control call and close, and a process priority that
// records the classes it was set to.
#pragma once

#include "disk/drive_control.h"
#include "disk/identify_block.h"
#include "disk/smart_commands.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

// Writes `text` into words first.. of `block`, high byte first, padded with
// `pad` to `words` words.
inline void putIdentifyText(IdentifyBlock& block, std::size_t first, std::size_t words,
                            const std::string& text, char pad = ' ') {
    std::string field = text;
    field.resize(2 * words, pad);
    for (std::size_t k = 0; k < words; ++k)
        block[first + k] = static_cast<std::uint16_t>((static_cast<std::uint8_t>(field[2 * k]) << 8) |
                                                      static_cast<std::uint8_t>(field[2 * k + 1]));
}

inline Sector sectorOf(const IdentifyBlock& block) {
    Sector s{};
    for (std::size_t k = 0; k < block.size(); ++k) {
        s[2 * k] = static_cast<std::uint8_t>(block[k] & 0xFF);
        s[2 * k + 1] = static_cast<std::uint8_t>(block[k] >> 8);
    }
    return s;
}

// A physical drive as the SMART control codes see it. Each command is
// answered only when its registers are the ones a drive accepts for it.
struct FakeDrive {
    bool answersVersion = true;
    std::uint8_t deviceMap = 0;
    std::uint8_t identifyCommand = smart::kIdentifyAta; // the IDENTIFY it answers
    bool identifies = true;
    bool enables = true;
    bool readsAttributes = true;
    bool readsThresholds = true;
    IdentifyBlock identity{};
    Sector attributes{};
    Sector thresholds{};
};

// What a legacy port driver answers per call (the last one repeats).
struct FakeLegacyDriver {
    std::vector<std::vector<std::uint8_t>> answers;
    bool fails = false;
    bool throws = false;
};

class FakeDrives : public DriveControl {
  public:
    struct Call {
        std::string device;
        unsigned long code;
        std::vector<std::uint8_t> in;
        std::size_t outLength;
        bool succeeded;
    };

    std::map<std::string, FakeDrive> drives;        // by device name
    std::map<std::string, FakeLegacyDriver> legacy; // by device name
    std::vector<DeviceOpenRequest> opens;
    std::vector<Call> calls;
    std::vector<std::string> closes;

    Handle open(const DeviceOpenRequest& request) override {
        opens.push_back(request);
        if (!drives.count(request.name) && !legacy.count(request.name)) return 0;
        handles_.push_back(request.name);
        return handles_.size();
    }

    bool control(Handle device, unsigned long code, std::span<const std::uint8_t> in,
                 std::span<std::uint8_t> out) override {
        const std::string& name = handles_.at(device - 1);
        calls.push_back({name, code, std::vector<std::uint8_t>(in.begin(), in.end()), out.size(), false});
        const bool ok =
            legacy.count(name) ? answerLegacy(legacy[name], code, out) : answer(drives[name], code, in, out);
        calls.back().succeeded = ok;
        // A failing driver may leave anything in the buffer.
        if (!ok) std::fill(out.begin(), out.end(), std::uint8_t{0xEE});
        return ok;
    }

    void close(Handle device) override { closes.push_back(handles_.at(device - 1)); }

    // The calls made on one device.
    std::vector<Call> callsTo(const std::string& device) const {
        std::vector<Call> out;
        for (const Call& c : calls)
            if (c.device == device) out.push_back(c);
        return out;
    }

  private:
    std::vector<std::string> handles_;
    std::map<std::string, int> legacyCalls_;

    static bool putSector(std::span<std::uint8_t> out, const Sector& sector) {
        if (out.size() < smart::kResultHeader) return false;
        const std::size_t n = std::min(sector.size(), out.size() - smart::kResultHeader);
        std::copy_n(sector.begin(), n, out.begin() + smart::kResultHeader);
        return true;
    }

    static bool answer(const FakeDrive& d, unsigned long code, std::span<const std::uint8_t> in,
                       std::span<std::uint8_t> out) {
        if (code == smart::kGetVersion) {
            if (!d.answersVersion || out.size() < smart::kVersionLength) return false;
            out[0] = 1;
            out[1] = 1;
            out[3] = d.deviceMap;
            return true;
        }
        if (in.size() != smart::kCommandInLength) return false;
        const std::uint8_t features = in[4], cylinderLow = in[7], cylinderHigh = in[8], command = in[10];
        if (command == d.identifyCommand && code == smart::kReceiveDriveData)
            return d.identifies && putSector(out, sectorOf(d.identity));
        if (command != smart::kSmart || cylinderLow != 0x4F || cylinderHigh != 0xC2) return false;
        if (features == smart::kSmartEnableOperations && code == smart::kSendDriveCommand) return d.enables;
        if (features == smart::kSmartReadAttributes && code == smart::kReceiveDriveData)
            return d.readsAttributes && putSector(out, d.attributes);
        if (features == smart::kSmartReadThresholds && code == smart::kReceiveDriveData)
            return d.readsThresholds && putSector(out, d.thresholds);
        return false;
    }

    bool answerLegacy(const FakeLegacyDriver& d, unsigned long code, std::span<std::uint8_t> out) {
        const int call = legacyCalls_[""]++;
        if (d.throws) throw std::runtime_error("driver fault");
        if (d.fails || code != smart::kLegacyPortQuery || d.answers.empty()) return false;
        const auto& a = d.answers[std::min<std::size_t>(call, d.answers.size() - 1)];
        std::copy_n(a.begin(), std::min(a.size(), out.size()), out.begin());
        return true;
    }
};

class FakePriority : public ProcessPriority {
  public:
    std::vector<unsigned long> classes;
    unsigned long realtimeError = 0; // non-zero: raising fails with this code

    bool set(unsigned long priorityClass, unsigned long& error) override {
        classes.push_back(priorityClass);
        if (priorityClass == smart::kRealtimePriority && realtimeError != 0) {
            error = realtimeError;
            return false;
        }
        return true;
    }
};
