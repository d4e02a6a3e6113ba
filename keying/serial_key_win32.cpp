#include <windows.h>

#include <atomic>
#include <string>

#include "keying/serial_key.h"

namespace quorvel {

namespace {

class Handle {
  public:
    explicit Handle(HANDLE h = nullptr) : h_(h) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    HANDLE release() {
        HANDLE h = h_;
        h_ = nullptr;
        return h;
    }
    void reset(HANDLE h = nullptr) {
        if (valid())
            CloseHandle(h_);
        h_ = h;
    }

  private:
    HANDLE h_;
};

std::optional<ModemStatus> readLines(HANDLE port) {
    DWORD bits = 0;
    if (!GetCommModemStatus(port, &bits))
        return std::nullopt;
    return ModemStatus{(bits & MS_DSR_ON) != 0, (bits & MS_CTS_ON) != 0};
}

using AvSetMmThreadCharacteristicsFn = HANDLE(WINAPI*)(LPCWSTR, LPDWORD);
using AvRevertMmThreadCharacteristicsFn = BOOL(WINAPI*)(HANDLE);

class Win32ModemLines final : public ModemStatusSource {
  public:
    Win32ModemLines(HANDLE port, HANDLE stopEvent) : port_(port), stop_(stopEvent) {}

    std::optional<ModemStatus> read() override { return readLines(port_.get()); }

    ModemWait waitForChange(ModemStatus known, std::uint32_t /*timeoutMs*/) override {
        if (WaitForSingleObject(stop_.get(), 0) == WAIT_OBJECT_0)
            return ModemWait::Cancelled;
        if (!overlapped_.valid())
            return ModemWait::Failed;
        const auto now = readLines(port_.get());
        if (!now)
            return ModemWait::Failed;
        if (*now != known)
            return ModemWait::Changed;

        // The driver keeps the events since the last wait, so none is lost before this one.
        OVERLAPPED ov{};
        ov.hEvent = overlapped_.get();
        ResetEvent(ov.hEvent);
        DWORD mask = 0;
        if (!WaitCommEvent(port_.get(), &mask, &ov)) {
            if (GetLastError() != ERROR_IO_PENDING)
                return ModemWait::Failed;
            HANDLE events[2] = {stop_.get(), ov.hEvent};
            const DWORD which = WaitForMultipleObjects(2, events, FALSE, INFINITE);
            if (which != WAIT_OBJECT_0 + 1) {
                // ov and mask belong to the pending wait until it has really finished.
                CancelIo(port_.get());
                DWORD ignored = 0;
                GetOverlappedResult(port_.get(), &ov, &ignored, TRUE);
                return which == WAIT_OBJECT_0 ? ModemWait::Cancelled : ModemWait::Failed;
            }
            DWORD ignored = 0;
            if (!GetOverlappedResult(port_.get(), &ov, &ignored, FALSE))
                return ModemWait::Failed;
        }
        if ((mask & EV_ERR) != 0) {
            DWORD errors = 0;
            ClearCommError(port_.get(), &errors, nullptr);
        }
        return ModemWait::Changed;
    }

    void cancel() override { SetEvent(stop_.get()); }

    void monitorStarted() override {
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
        avrt_ = LoadLibraryW(L"avrt.dll");
        if (avrt_ != nullptr) {
            auto set = reinterpret_cast<AvSetMmThreadCharacteristicsFn>(
                reinterpret_cast<void*>(GetProcAddress(avrt_, "AvSetMmThreadCharacteristicsW")));
            revert_ = reinterpret_cast<AvRevertMmThreadCharacteristicsFn>(
                reinterpret_cast<void*>(GetProcAddress(avrt_, "AvRevertMmThreadCharacteristics")));
            DWORD task = 0;
            if (set != nullptr && revert_ != nullptr)
                mmcss_ = set(L"Pro Audio", &task);
        }
        overlapped_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    }

    void monitorEnded() override {
        overlapped_.reset();
        if (mmcss_ != nullptr && revert_ != nullptr)
            revert_(mmcss_);
        mmcss_ = nullptr;
        if (avrt_ != nullptr)
            FreeLibrary(avrt_);
        avrt_ = nullptr;
    }

  private:
    Handle port_;
    Handle stop_;        // manual reset: once cancelled, every later wait returns at once
    Handle overlapped_;  // monitor thread only
    HMODULE avrt_ = nullptr;
    AvRevertMmThreadCharacteristicsFn revert_ = nullptr;
    HANDLE mmcss_ = nullptr;
};

std::wstring widen(const std::string& text) {
    std::wstring out;
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0)
        return out;
    out.resize(static_cast<std::size_t>(n));
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

}  // namespace

std::unique_ptr<ModemStatusSource> openSerialKey(const std::string& location) {
    if (location.empty())
        return nullptr;
    Handle port(CreateFileW(widen(location).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!port.valid())
        return nullptr;

    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    if (!GetCommState(port.get(), &dcb))
        return nullptr;
    dcb.BaudRate = CBR_9600;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    if (!SetCommState(port.get(), &dcb))
        return nullptr;

    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = 50;
    SetCommTimeouts(port.get(), &timeouts);
    PurgeComm(port.get(), PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    if (!SetCommMask(port.get(), EV_CTS | EV_DSR | EV_ERR))
        return nullptr;

    Handle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!stop.valid())
        return nullptr;
    if (!readLines(port.get()))
        return nullptr;
    return std::make_unique<Win32ModemLines>(port.release(), stop.release());
}

}  // namespace quorvel
