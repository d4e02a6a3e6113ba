#include <algorithm>
#include <fstream>
#include <system_error>

#include "keying/port_list.h"
#include "storage/utf.h"

namespace quorvel {

namespace fs = std::filesystem;

namespace {

// The USB product string of the device behind a tty, found a few levels up the device tree
// (port device, interface, USB device); empty for ports that have none.
std::string productName(const fs::path& device) {
    fs::path dir = device;
    for (int level = 0; level < 4 && dir.has_relative_path(); ++level) {
        std::ifstream in(dir / "product");
        std::string line;
        if (in && std::getline(in, line)) {
            const auto end = line.find_last_not_of(" \t\r\n");
            if (end != std::string::npos)
                return line.substr(0, end + 1);
        }
        dir = dir.parent_path();
    }
    return {};
}

std::string kindName(const std::string& tty) {
    if (tty.rfind("ttyUSB", 0) == 0 || tty.rfind("ttyACM", 0) == 0)
        return "USB Serial";
    return "Serial Port";
}

}  // namespace

std::vector<SerialPortInfo> scanTtyClass(const fs::path& ttyClassDir, const fs::path& devDir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(ttyClassDir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code dec;
        const fs::path device = fs::canonical(it->path() / "device", dec);
        if (dec)
            continue;
        // The 8250 driver registers ttyS0-ttyS31 whether or not a UART is there.
        if (device.filename() == "serial8250")
            continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return naturalLess(a, b); });
    std::vector<SerialPortInfo> ports;
    for (const auto& name : names) {
        std::error_code dec;
        const fs::path device = fs::canonical(ttyClassDir / name / "device", dec);
        std::string friendly = dec ? std::string() : productName(device);
        if (friendly.empty())
            friendly = kindName(name);
        ports.push_back({fromUtf8(friendly + " (" + name + ")"), (devDir / name).string()});
    }
    return ports;
}

std::vector<SerialPortInfo> listSerialPorts() {
    return scanTtyClass("/sys/class/tty", "/dev");
}

}  // namespace quorvel
