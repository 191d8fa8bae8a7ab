#include "drive_control.h"

#include "smart_commands.h"

#include <windows.h>
#include <winioctl.h>

#include <algorithm>

// The probe spells the system's values out so it builds without the system
// headers; they must stay the system's.
static_assert(smart::kGenericRead == GENERIC_READ && smart::kGenericWrite == GENERIC_WRITE);
static_assert(smart::kShareRead == FILE_SHARE_READ && smart::kShareWrite == FILE_SHARE_WRITE);
static_assert(smart::kOpenExisting == OPEN_EXISTING && smart::kDeleteOnClose == FILE_FLAG_DELETE_ON_CLOSE);
static_assert(smart::kRealtimePriority == REALTIME_PRIORITY_CLASS &&
              smart::kNormalPriority == NORMAL_PRIORITY_CLASS);
#ifdef SMART_GET_VERSION
static_assert(smart::kGetVersion == SMART_GET_VERSION &&
              smart::kSendDriveCommand == SMART_SEND_DRIVE_COMMAND &&
              smart::kReceiveDriveData == SMART_RCV_DRIVE_DATA);
#endif

namespace {

// Larger requests than these never occur; the cut keeps the DWORD lengths exact.
constexpr std::size_t kMaxTransfer = 1u << 20;

} // namespace

DriveControl::Handle SystemDriveControl::open(const DeviceOpenRequest& request) {
    const HANDLE h = CreateFileA(request.name.c_str(), request.access, request.share, nullptr,
                                 request.disposition, request.flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    return reinterpret_cast<Handle>(h);
}

bool SystemDriveControl::control(Handle device, unsigned long code, std::span<const std::uint8_t> in,
                                 std::span<std::uint8_t> out) {
    // Windows 95 needs somewhere to put the count even when nobody reads it.
    DWORD returned = 0;
    const DWORD inLength = static_cast<DWORD>(std::min(in.size(), kMaxTransfer));
    const DWORD outLength = static_cast<DWORD>(std::min(out.size(), kMaxTransfer));
    return DeviceIoControl(reinterpret_cast<HANDLE>(device), code,
                           inLength != 0 ? const_cast<std::uint8_t*>(in.data()) : nullptr, inLength,
                           outLength != 0 ? out.data() : nullptr, outLength, &returned, nullptr) != FALSE;
}

void SystemDriveControl::close(Handle device) {
    CloseHandle(reinterpret_cast<HANDLE>(device));
}

bool SystemProcessPriority::set(unsigned long priorityClass, unsigned long& error) {
    if (SetPriorityClass(GetCurrentProcess(), priorityClass)) return true;
    error = GetLastError();
    return false;
}
