// The serial ports present on this machine, for the port selection list and the command line.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>
#ifndef _WIN32
#include <filesystem>
#endif

namespace quorvel {

struct SerialPortInfo {
    std::u16string displayName;  // "USB Serial (ttyUSB0)", "USB Serial Port (COM3)"
    std::string location;        // what openSerialKey opens; empty when the entry names no port
};

// The present ports in a stable order (Linux: by device name, digits compared as numbers;
// Windows: the system's enumeration order). Empty when the system cannot be asked.
std::vector<SerialPortInfo> listSerialPorts();

// The number after the first "(COM" of a display name, read as strtol would (leading blanks,
// a sign, digits). None without "(COM", without digits, or for a number that names no port.
std::optional<int> comPortNumber(std::u16string_view displayName);
// "\\.\COM12": the device name that opens COM port n, whatever its number of digits.
std::string comDevicePath(int port);

// The port a command line names: a listed location, device name ("ttyUSB0", "COM3") or display
// name, else a device path given outright ("/dev/ttyS0", "\\.\COM3"). None when nothing fits.
std::optional<SerialPortInfo> findSerialPort(const std::vector<SerialPortInfo>& ports,
                                             std::string_view name);

// Orders "ttyUSB2" before "ttyUSB10".
bool naturalLess(std::string_view a, std::string_view b);

#ifndef _WIN32
// The ports of a sysfs tty class directory: entries with a device behind them, less the
// legacy 8250 slots that have no hardware; locations are devDir / name.
std::vector<SerialPortInfo> scanTtyClass(const std::filesystem::path& ttyClassDir,
                                         const std::filesystem::path& devDir);
#endif

}  // namespace quorvel
