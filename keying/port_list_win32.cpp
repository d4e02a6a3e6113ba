// windows.h first: setupapi.h relies on its types.
#include <windows.h>

#include <setupapi.h>

#include "keying/port_list.h"

#ifdef _MSC_VER
#pragma comment(lib, "setupapi.lib")
#endif

namespace quorvel {

namespace {

// The ports device setup class.
const GUID kPortsClass = {
    0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

class DeviceList {
  public:
    DeviceList() : set_(SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT)) {}
    ~DeviceList() {
        if (valid())
            SetupDiDestroyDeviceInfoList(set_);
    }
    DeviceList(const DeviceList&) = delete;
    DeviceList& operator=(const DeviceList&) = delete;
    bool valid() const { return set_ != INVALID_HANDLE_VALUE; }
    HDEVINFO get() const { return set_; }

  private:
    HDEVINFO set_;
};

}  // namespace

std::vector<SerialPortInfo> listSerialPorts() {
    std::vector<SerialPortInfo> ports;
    DeviceList list;
    if (!list.valid())
        return ports;
    for (DWORD index = 0;; ++index) {
        SP_DEVINFO_DATA info{};
        info.cbSize = sizeof(info);
        if (!SetupDiEnumDeviceInfo(list.get(), index, &info))
            break;
        wchar_t buffer[256] = {};  // 512 bytes
        DWORD type = 0;
        if (!SetupDiGetDeviceRegistryPropertyW(list.get(), &info, SPDRP_FRIENDLYNAME, &type,
                                               reinterpret_cast<BYTE*>(buffer),
                                               sizeof(buffer) - sizeof(wchar_t), nullptr))
            continue;
        std::u16string name;
        for (const wchar_t* p = buffer; *p != 0; ++p)
            name.push_back(static_cast<char16_t>(*p));
        const auto number = comPortNumber(name);
        ports.push_back({name, number ? comDevicePath(*number) : std::string()});
    }
    return ports;
}

}  // namespace quorvel
