// What the drive probe needs from the system: opening a device by name,
// device-control calls with an input and an output buffer, closing, and the
// priority class of the own process. The probe sees only these interfaces,
// so tests can present drives of every kind.
#pragma once

#include <cstdint>
#include <span>
#include <string>

struct DeviceOpenRequest {
    std::string name;
    unsigned long access = 0;
    unsigned long share = 0;
    unsigned long disposition = 0;
    unsigned long flags = 0;
};

class DriveControl {
  public:
    // An open device; 0 when the device could not be opened.
    using Handle = std::uintptr_t;

    virtual ~DriveControl() = default;
    virtual Handle open(const DeviceOpenRequest& request) = 0;
    // One control call: `in` is sent as it stands, at most out.size() bytes
    // come back into `out`. True when the device says it succeeded.
    virtual bool control(Handle device, unsigned long code, std::span<const std::uint8_t> in,
                         std::span<std::uint8_t> out) = 0;
    virtual void close(Handle device) = 0;
};

// Closes its device on every way out of the scope that opened it.
class OpenDevice {
  public:
    OpenDevice(DriveControl& control, const DeviceOpenRequest& request)
        : control_(control), handle_(control.open(request)) {}
    ~OpenDevice() {
        if (handle_ != 0) control_.close(handle_);
    }
    OpenDevice(const OpenDevice&) = delete;
    OpenDevice& operator=(const OpenDevice&) = delete;

    explicit operator bool() const { return handle_ != 0; }
    bool control(unsigned long code, std::span<const std::uint8_t> in, std::span<std::uint8_t> out) {
        return control_.control(handle_, code, in, out);
    }

  private:
    DriveControl& control_;
    DriveControl::Handle handle_;
};

class ProcessPriority {
  public:
    virtual ~ProcessPriority() = default;
    // Sets the priority class of the own process; on failure `error` gets the
    // system's error code.
    virtual bool set(unsigned long priorityClass, unsigned long& error) = 0;
};

// The system's devices: CreateFileA, DeviceIoControl, CloseHandle.
class SystemDriveControl final : public DriveControl {
  public:
    Handle open(const DeviceOpenRequest& request) override;
    bool control(Handle device, unsigned long code, std::span<const std::uint8_t> in,
                 std::span<std::uint8_t> out) override;
    void close(Handle device) override;
};

// SetPriorityClass on the own process.
class SystemProcessPriority final : public ProcessPriority {
  public:
    bool set(unsigned long priorityClass, unsigned long& error) override;
};
