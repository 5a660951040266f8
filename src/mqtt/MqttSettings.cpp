#include "mqtt/MqttSettings.h"

#include <array>
#include <charconv>

#include "config/CodePage.h"
#include "strings/AsciiCase.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {

enum Setting {
    Url,
    CaFile,
    ClientId,
    UserName,
    PasswordFile,
    KeepAlive,
    Station,
    QueueLimit,
    Commands
};
constexpr size_t kSettingCount = 9;

struct SettingName {
    const char* option;
    const char* key;
};
constexpr std::array<SettingName, kSettingCount> kSettingNames = {{
    {"--mqtt", "Url"},
    {"--mqtt-ca", "CaFile"},
    {"--mqtt-client-id", "ClientId"},
    {"--mqtt-user", "UserName"},
    {"--mqtt-password-file", "PasswordFile"},
    {"--mqtt-keepalive", "KeepAlive"},
    {"--mqtt-station", "Station"},
    {"--mqtt-queue-limit", "QueueLimit"},
    {"--mqtt-commands", "Commands"},
}};

// "on" or "off" and their usual spellings, any letter case.
std::optional<bool> ParseSwitch(std::string_view text) {
    const std::string lower = AsciiLowerCase(text);
    for (const char* on : {"on", "true", "yes", "1"})
        if (lower == on) return true;
    for (const char* off : {"off", "false", "no", "0"})
        if (lower == off) return false;
    return std::nullopt;
}

// A value and where it came from, for the error texts.
struct Given {
    std::string value;
    std::string source;
    bool set = false;
};

MqttSettingsProblem Problem(int id, std::initializer_list<std::string_view> args) {
    return {id, LoadString(id, args)};
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && AsciiLowerCase(text.substr(0, prefix.size())) == prefix;
}

bool IsHostNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_';
}

bool IsValidHostName(std::string_view host) {
    if (host.empty() || host.size() > 253 || host.front() == '.' || host.front() == '-')
        return false;
    for (char c : host)
        if (!IsHostNameChar(c)) return false;
    return host.find("..") == std::string_view::npos;
}

// Hex digits, colons and (for an embedded IPv4 address) dots, with at least two colons.
bool IsValidIpv6(std::string_view host) {
    int colons = 0;
    for (char c : host) {
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (c == ':') {
            ++colons;
        } else if (!hex && c != '.') {
            return false;
        }
    }
    return colons >= 2 && host.size() <= 45;
}

// A broker address as messages show it: user information, which may hold a password, is
// replaced by "***".
std::string ShownUrl(std::string_view url) {
    const size_t at = url.rfind('@');
    if (at == std::string_view::npos) return std::string(url);
    const size_t scheme = url.find("://");
    const size_t from = scheme == std::string_view::npos || scheme > at ? 0 : scheme + 3;
    return std::string(url.substr(0, from)) + "***" + std::string(url.substr(at));
}

std::optional<uint64_t> ParseDecimal(std::string_view digits) {
    if (digits.empty()) return std::nullopt;
    for (char c : digits)
        if (c < '0' || c > '9') return std::nullopt;
    uint64_t value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

// Valid UTF-8 with no control character (C0, DEL, C1).
bool IsCleanUtf8(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size()) {
        char32_t cp = 0;
        if (!DecodeUtf8(text, pos, cp)) return false;
        if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)) return false;
    }
    return true;
}

bool CheckText(const Given& given, std::vector<MqttSettingsProblem>& errors) {
    if (given.value.size() > kMqttMaxStringBytes) {
        errors.push_back(Problem(kStrMqttTextTooLong, {given.source}));
        return false;
    }
    if (!IsCleanUtf8(given.value)) {
        errors.push_back(Problem(kStrMqttTextInvalid, {given.source, given.value}));
        return false;
    }
    return true;
}

}  // namespace

std::optional<MqttBrokerAddress> ParseMqttBrokerUrl(std::string_view url, std::string_view source,
                                                    MqttSettingsProblem& problem) {
    MqttBrokerAddress address;
    std::string_view rest;
    if (StartsWithNoCase(url, "mqtts://")) {
        address.tls = true;
        address.port = kMqttDefaultTlsPort;
        rest = url.substr(8);
    } else if (StartsWithNoCase(url, "mqtt://")) {
        rest = url.substr(7);
    } else {
        problem = Problem(kStrMqttUrlScheme, {source, ShownUrl(url)});
        return std::nullopt;
    }
    if (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
    if (rest.find_first_of("@/?#") != std::string_view::npos) {
        problem = Problem(kStrMqttUrlExtra, {source, ShownUrl(url)});
        return std::nullopt;
    }
    std::string_view host;
    std::string_view afterHost;
    if (!rest.empty() && rest.front() == '[') {
        const size_t close = rest.find(']');
        if (close == std::string_view::npos || !IsValidIpv6(rest.substr(1, close - 1))) {
            problem = Problem(kStrMqttUrlHost, {source, url});
            return std::nullopt;
        }
        host = rest.substr(1, close - 1);
        afterHost = rest.substr(close + 1);
    } else {
        const size_t colon = rest.find(':');
        host = rest.substr(0, colon);
        afterHost = colon == std::string_view::npos ? std::string_view() : rest.substr(colon);
        // A second colon means an IPv6 address without its brackets.
        if (!IsValidHostName(host) || afterHost.find(':', 1) != std::string_view::npos) {
            problem = Problem(kStrMqttUrlHost, {source, url});
            return std::nullopt;
        }
    }
    if (!afterHost.empty()) {
        const std::optional<uint64_t> port =
            afterHost.front() == ':' ? ParseDecimal(afterHost.substr(1)) : std::nullopt;
        if (!port || *port < 1 || *port > 65535) {
            problem = Problem(afterHost.front() == ':' ? kStrMqttUrlPort : kStrMqttUrlHost,
                              {source, url});
            return std::nullopt;
        }
        address.port = static_cast<uint16_t>(*port);
    }
    address.host = std::string(host);
    return address;
}

std::optional<uint64_t> ParseMqttQueueLimit(std::string_view text) {
    uint64_t unit = 1;
    if (!text.empty()) {
        switch (AsciiUpper(text.back())) {
            case 'K':
                unit = 1024;
                break;
            case 'M':
                unit = 1024ull * 1024;
                break;
            case 'G':
                unit = 1024ull * 1024 * 1024;
                break;
            default:
                break;
        }
        if (unit != 1) text.remove_suffix(1);
    }
    const std::optional<uint64_t> number = ParseDecimal(text);
    if (!number || *number > kMqttMaxQueueLimit / unit) return std::nullopt;
    const uint64_t bytes = *number * unit;
    if (bytes < kMqttMinQueueLimit || bytes > kMqttMaxQueueLimit) return std::nullopt;
    return bytes;
}

MqttSettingsResult ResolveMqttSettings(SettingsStore& store, const MqttOptions& options,
                                       std::string_view hostName) {
    MqttSettingsResult result;
    std::vector<MqttSettingsProblem>& errors = result.errors;
    std::array<Given, kSettingCount> given;
    for (size_t i = 0; i < kSettingCount; ++i) {
        const std::string stored = store.GetSetting(kMqttSettingsApplication, kMqttSettingsSection,
                                                    kSettingNames[i].key, "");
        if (!stored.empty())
            given[i] = {stored, LoadString(kStrMqttStoredSetting, {kSettingNames[i].key}), true};
    }
    std::array<bool, kSettingCount> fromOption{};
    std::string firstOption;  // for the error of options without a broker
    for (const auto& [name, value] : options) {
        size_t i = 0;
        while (i < kSettingCount && name != kSettingNames[i].option) ++i;
        if (i == kSettingCount) {
            const bool password = name == "--mqtt-password" || name == "--mqtt-pass";
            errors.push_back(
                Problem(password ? kStrMqttPasswordOption : kStrMqttOptionUnknown, {name}));
            continue;
        }
        if (fromOption[i]) {
            errors.push_back(Problem(kStrMqttOptionTwice, {name}));
            continue;
        }
        fromOption[i] = true;
        if (value.empty()) {
            errors.push_back(Problem(kStrMqttOptionEmpty, {name}));
            continue;
        }
        if (i != Url && firstOption.empty()) firstOption = name;
        given[i] = {value, name, true};
    }

    if (!given[Url].set) {
        if (!firstOption.empty()) errors.push_back(Problem(kStrMqttNoBroker, {firstOption}));
        return result;
    }
    MqttSettings& s = result.settings;
    s.url = given[Url].value;
    MqttSettingsProblem problem;
    const std::optional<MqttBrokerAddress> broker =
        ParseMqttBrokerUrl(s.url, given[Url].source, problem);
    if (broker) {
        s.broker = *broker;
    } else {
        errors.push_back(problem);
    }
    for (const Setting text : {CaFile, ClientId, UserName, PasswordFile, Station}) {
        if (given[text].set && !CheckText(given[text], errors)) given[text].set = false;
    }
    s.caFile = given[CaFile].value;
    s.clientId = given[ClientId].value;
    s.userName = given[UserName].value;
    s.passwordFile = given[PasswordFile].value;
    if (given[CaFile].set && broker && !broker->tls)
        errors.push_back(Problem(kStrMqttCaWithoutTls, {given[CaFile].source}));
    if (given[PasswordFile].set && s.userName.empty())
        errors.push_back(Problem(kStrMqttPasswordWithoutUser, {given[PasswordFile].source}));
    if (given[KeepAlive].set) {
        const std::optional<uint64_t> seconds = ParseDecimal(given[KeepAlive].value);
        if (seconds && *seconds >= kMqttMinKeepAliveSeconds &&
            *seconds <= kMqttMaxKeepAliveSeconds) {
            s.keepAliveSeconds = static_cast<int>(*seconds);
        } else {
            errors.push_back(
                Problem(kStrMqttKeepAlive, {given[KeepAlive].source, given[KeepAlive].value}));
        }
    }
    if (given[QueueLimit].set) {
        if (const auto limit = ParseMqttQueueLimit(given[QueueLimit].value)) {
            s.queueLimit = *limit;
        } else {
            errors.push_back(
                Problem(kStrMqttQueueLimit, {given[QueueLimit].source, given[QueueLimit].value}));
        }
    }
    if (given[Commands].set) {
        if (const auto commands = ParseSwitch(given[Commands].value)) {
            s.commands = *commands;
        } else {
            errors.push_back(
                Problem(kStrMqttCommandsValue, {given[Commands].source, given[Commands].value}));
        }
    }
    if (given[Station].set) {
        s.station = given[Station].value;
    } else if (!given[Station].value.empty()) {
        // The given name was refused above; the host name does not stand in for it.
    } else if (!hostName.empty() && IsCleanUtf8(hostName)) {
        s.station = std::string(hostName);
    } else {
        errors.push_back(Problem(kStrMqttStationEmpty, {}));
    }
    result.enabled = errors.empty();
    return result;
}

std::string DefaultMqttClientId(std::string_view station, std::string_view topicBytes) {
    std::string id = "quorvane-";
    const auto append = [&id](std::string_view part) {
        for (char c : part) {
            const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                              (c >= '0' && c <= '9') || c == '-' || c == '_';
            id += keep ? c : '_';
        }
    };
    append(station);
    id += '-';
    append(topicBytes);
    if (id.size() > kMqttMaxStringBytes) id.resize(kMqttMaxStringBytes);
    return id;
}

}  // namespace quorvane
