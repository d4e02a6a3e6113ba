#include "keying/port_list.h"

#include <climits>

#include "storage/utf.h"

namespace quorvel {

std::optional<int> comPortNumber(std::u16string_view name) {
    const auto at = name.find(u"(COM");
    if (at == std::u16string_view::npos)
        return std::nullopt;
    std::size_t i = at + 4;
    while (i < name.size() && (name[i] == u' ' || (name[i] >= u'\t' && name[i] <= u'\r')))
        ++i;
    bool negative = false;
    if (i < name.size() && (name[i] == u'+' || name[i] == u'-'))
        negative = name[i++] == u'-';
    long long value = 0;
    bool digits = false;
    for (; i < name.size() && name[i] >= u'0' && name[i] <= u'9'; ++i) {
        digits = true;
        value = value * 10 + (name[i] - u'0');
        if (value > INT_MAX)
            return std::nullopt;
    }
    if (!digits || negative || value == 0)
        return std::nullopt;
    return static_cast<int>(value);
}

std::string comDevicePath(int port) {
    return "\\\\.\\COM" + std::to_string(port);
}

namespace {

std::string_view baseName(std::string_view path) {
    const auto slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::optional<SerialPortInfo> findSerialPort(const std::vector<SerialPortInfo>& ports,
                                             std::string_view name) {
    if (name.empty())
        return std::nullopt;
    for (const auto& p : ports)
        if (!p.location.empty() && (p.location == name || baseName(p.location) == name))
            return p;
    for (const auto& p : ports)
        if (toUtf8(p.displayName) == name)
            return p;
#ifdef _WIN32
    if (const auto n = comPortNumber(u"(" + fromUtf8(name) + u")")) {
        // "COM3" names the listed entry with that number, or the device outright.
        for (const auto& p : ports)
            if (comPortNumber(p.displayName) == n)
                return p;
        return SerialPortInfo{fromUtf8(name), comDevicePath(*n)};
    }
#endif
    if (startsWith(name, "/") || startsWith(name, "\\\\.\\"))
        return SerialPortInfo{fromUtf8(name), std::string(name)};
    return std::nullopt;
}

bool naturalLess(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const bool da = a[i] >= '0' && a[i] <= '9';
        const bool db = b[j] >= '0' && b[j] <= '9';
        if (da && db) {
            std::size_t ei = i, ej = j;
            while (ei < a.size() && a[ei] >= '0' && a[ei] <= '9')
                ++ei;
            while (ej < b.size() && b[ej] >= '0' && b[ej] <= '9')
                ++ej;
            // Compare as numbers without converting: strip leading zeros, then length, then text.
            std::string_view na = a.substr(i, ei - i), nb = b.substr(j, ej - j);
            while (na.size() > 1 && na[0] == '0')
                na.remove_prefix(1);
            while (nb.size() > 1 && nb[0] == '0')
                nb.remove_prefix(1);
            if (na.size() != nb.size())
                return na.size() < nb.size();
            if (na != nb)
                return na < nb;
            i = ei;
            j = ej;
        } else {
            if (a[i] != b[j])
                return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    if (a.size() - i != b.size() - j)
        return a.size() - i < b.size() - j;
    return a < b;
}

}  // namespace quorvel
