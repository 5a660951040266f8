// DDE addressing on the D-Bus session bus: an application name A and a topic T are served
// under the bus name "A.T". Each part is escaped to the bus-name alphabet: ASCII letters,
// digits and '_' stay, every other byte (code-page bytes, not UTF-8) becomes '_' and two
// upper-case hex digits, and a part that starts with a digit gets a leading '_'. An empty
// part becomes "_" so the name stays well formed. The rule keeps '_' itself, so different
// texts can meet in one name ("a.b" and "a_2Eb" both give "a_2Eb"); the reverse direction
// therefore returns one text of those that give the name.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

inline constexpr std::string_view kDdeServiceName = "Quorvane";
inline constexpr std::string_view kDdeObjectPath = "/org/quorvane/Dde";
inline constexpr std::string_view kDdeInterface = "org.quorvane.Dde1";
inline constexpr std::string_view kDdeErrorRefused = "org.quorvane.Dde1.Refused";
inline constexpr std::string_view kDdeErrorNoSuchItem = "org.quorvane.Dde1.NoSuchItem";

// One part (application or topic) in the bus-name alphabet.
std::string EscapeDdeNamePart(std::string_view part);
// The bus name of an application and topic: EscapeDdeNamePart(a) + "." + EscapeDdeNamePart(t).
std::string DdeBusName(std::string_view application, std::string_view topic);
// True when name is a valid well-known bus name (at most 255 characters, two or more
// non-empty elements of [A-Za-z0-9_-], none starting with a digit).
bool IsValidWellKnownBusName(std::string_view name);

// Reads one escaped part back: a leading '_' before a digit is dropped and every "_XX" with
// two hex digits becomes that byte; other characters stay. Nullopt for a character outside
// the alphabet.
std::optional<std::string> UnescapeDdeNamePart(std::string_view escaped);

struct DdeAddress {
    std::string application;
    std::string topic;
};
// Splits a bus name at its first '.' and unescapes both sides; nullopt when there is no '.'
// or a side does not unescape.
std::optional<DdeAddress> ParseDdeBusName(std::string_view busName);

}  // namespace quorvane
