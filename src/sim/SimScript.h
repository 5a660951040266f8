// What the simulated instrument sends and how it answers: built-in profiles and transcript
// files. Pure logic; the program around it (sim main) owns the pseudo-terminal and the clock.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane::sim {

// One step of a transcript: wait delayMs after the previous step, then send bytes.
struct SimStep {
    uint32_t delayMs = 0;
    std::string bytes;
};

struct SimScript {
    std::vector<SimStep> steps;
    bool loop = false;
    // A request the device answers at once (for example "?" CR), and the answer's maker.
    std::string request;
    std::string profile;  // "balance", "meter", "caliper", "barcode"; empty for a transcript
};

// The bytes of a text with C-style escapes: \r \n \t \0 \\ \xNN (two hex digits).
// False (with error set) for an unknown escape or a malformed \x.
bool Unescape(std::string_view text, std::string& bytes, std::string& error);
// The printable form of bytes: printable ASCII as is, backslash doubled, \r \n \t \0, and
// \xNN for every other byte.
std::string Escape(std::string_view bytes);

// Reads a transcript: one step a line, "<delay-ms> <escaped bytes>"; blank lines and lines
// starting with '#' are skipped; a line "loop" makes the transcript repeat.
bool ParseTranscript(std::string_view text, SimScript& script, std::string& error);

// The built-in profiles: "balance" sends "+0012.50 g" CR LF once a second and answers "?" CR
// with a reading; "meter" sends three comma-delimited readings once a second; "caliper" sends
// a fixed-width reading ("+0025.40") ended by CR alone; "barcode" sends codes of different
// lengths, each ended by CR LF.
bool BuiltInProfile(std::string_view name, SimScript& script);

// The reading a profile sends for its n-th record (n counts from 0).
std::string ProfileReading(std::string_view profile, uint64_t n);

// Collects received bytes and reports whether they end in the profile's request.
class RequestMatcher {
public:
    explicit RequestMatcher(std::string request) : request_(std::move(request)) {}
    // Feeds one received byte; true when the bytes seen so far end with the request.
    bool Feed(char byte);

private:
    std::string request_;
    std::string tail_;
};

}  // namespace quorvane::sim
