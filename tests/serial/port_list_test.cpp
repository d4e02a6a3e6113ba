#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "keying/port_list.h"

namespace quorvel {
namespace {

TEST(ComPortNumber, ReadsTheNumberAfterTheFirstComMark) {
    EXPECT_EQ(comPortNumber(u"USB Serial Port (COM12)"), 12);
    EXPECT_EQ(comPortNumber(u"通信ポート (COM1)"), 1);
    EXPECT_EQ(comPortNumber(u"Odd (COM3) (COM4)"), 3);
    EXPECT_EQ(comPortNumber(u"Spaced (COM 7)"), 7);  // as strtol skips blanks
    EXPECT_EQ(comPortNumber(u"Trailing (COM256x"), 256);
    EXPECT_EQ(comPortNumber(u"Standard Serial over Bluetooth link"), std::nullopt);
    EXPECT_EQ(comPortNumber(u"Lower case (com5)"), std::nullopt);
    EXPECT_EQ(comPortNumber(u"No digits (COM)"), std::nullopt);
    EXPECT_EQ(comPortNumber(u"Zero (COM0)"), std::nullopt);
    EXPECT_EQ(comPortNumber(u"Negative (COM-3)"), std::nullopt);
    EXPECT_EQ(comPortNumber(u"Huge (COM99999999999999)"), std::nullopt);
    EXPECT_EQ(comPortNumber(u"Cut off (COM"), std::nullopt);
}

TEST(ComPortNumber, DevicePathWorksPastNine) {
    EXPECT_EQ(comDevicePath(3), "\\\\.\\COM3");
    EXPECT_EQ(comDevicePath(12), "\\\\.\\COM12");
}

TEST(PortOrder, NumbersCompareAsNumbers) {
    std::vector<std::string> names = {"ttyUSB10", "ttyS1",  "ttyUSB2", "ttyACM0",
                                      "ttyUSB0",  "ttyS10", "ttyS2",   "ttyUSB02"};
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return naturalLess(a, b); });
    const std::vector<std::string> expected = {"ttyACM0", "ttyS1",    "ttyS2",   "ttyS10",
                                               "ttyUSB0", "ttyUSB02", "ttyUSB2", "ttyUSB10"};
    EXPECT_EQ(names, expected);
    EXPECT_FALSE(naturalLess("ttyS1", "ttyS1"));
    EXPECT_TRUE(naturalLess("tty", "ttyS0"));
}

TEST(FindSerialPort, AcceptsLocationDeviceOrDisplayName) {
    const std::vector<SerialPortInfo> ports = {{u"USB Serial (ttyUSB0)", "/dev/ttyUSB0"},
                                               {u"FT232R USB UART (ttyUSB1)", "/dev/ttyUSB1"}};
    EXPECT_EQ(findSerialPort(ports, "/dev/ttyUSB1")->location, "/dev/ttyUSB1");
    EXPECT_EQ(findSerialPort(ports, "ttyUSB0")->location, "/dev/ttyUSB0");
    EXPECT_EQ(findSerialPort(ports, "FT232R USB UART (ttyUSB1)")->location, "/dev/ttyUSB1");
    // An unlisted device given as a path is still tried.
    EXPECT_EQ(findSerialPort(ports, "/dev/ttyS0")->location, "/dev/ttyS0");
    EXPECT_EQ(findSerialPort(ports, "ttyUSB7"), std::nullopt);
    EXPECT_EQ(findSerialPort(ports, ""), std::nullopt);
    EXPECT_EQ(findSerialPort({}, "USB"), std::nullopt);
}

#ifndef _WIN32
namespace fs = std::filesystem;

class TtyClassTree : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* tmp = std::getenv("QUORVEL_TEST_TMP");
        // ctest runs each case in a process of its own, two at a time: the process id keeps
        // their trees apart (the random seed, from the clock, was shared now and then).
        root_ = fs::path(tmp ? tmp : fs::temp_directory_path().string()) /
                ("serial-sysfs-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "class/tty");
    }
    void TearDown() override { fs::remove_all(root_); }

    // A tty class entry whose device link points at devices/<devicePath>.
    void addTty(const std::string& name, const std::string& devicePath) {
        fs::create_directories(root_ / "class/tty" / name);
        if (devicePath.empty())
            return;
        fs::create_directories(root_ / "devices" / devicePath);
        fs::create_directory_symlink(root_ / "devices" / devicePath,
                                     root_ / "class/tty" / name / "device");
    }
    void write(const std::string& relative, const std::string& text) {
        std::ofstream(root_ / relative) << text;
    }
    std::vector<SerialPortInfo> scan() { return scanTtyClass(root_ / "class/tty", "/dev"); }

    fs::path root_;
};

TEST_F(TtyClassTree, ListsPortsWithHardwareInDeviceOrder) {
    addTty("tty0", "");  // a console: no device behind it
    addTty("ttyS0", "pnp0/00:05");
    addTty("ttyS1", "platform/serial8250");
    addTty("ttyUSB10", "usb1/1-2/1-2:1.0/ttyUSB10");
    addTty("ttyUSB2", "usb1/1-1/1-1:1.0/ttyUSB2");
    write("devices/usb1/1-1/product", "FT232R USB UART\n");
    addTty("ttyACM0", "usb1/1-3/1-3:1.0");

    const auto ports = scan();
    ASSERT_EQ(ports.size(), 4u);
    EXPECT_EQ(ports[0].displayName, u"USB Serial (ttyACM0)");
    EXPECT_EQ(ports[0].location, "/dev/ttyACM0");
    EXPECT_EQ(ports[1].displayName, u"Serial Port (ttyS0)");
    EXPECT_EQ(ports[2].displayName, u"FT232R USB UART (ttyUSB2)");
    EXPECT_EQ(ports[2].location, "/dev/ttyUSB2");
    EXPECT_EQ(ports[3].displayName, u"USB Serial (ttyUSB10)");
    for (const auto& p : ports)
        EXPECT_EQ(comPortNumber(p.displayName), std::nullopt);
}

TEST_F(TtyClassTree, MissingOrEmptyClassGivesNoPorts) {
    EXPECT_TRUE(scan().empty());
    EXPECT_TRUE(scanTtyClass(root_ / "absent", "/dev").empty());
    addTty("ttyUSB0", "usb1/gone");
    fs::remove_all(root_ / "devices/usb1/gone");  // dangling link: the adapter went away
    EXPECT_TRUE(scan().empty());
}
#endif

}  // namespace
}  // namespace quorvel
