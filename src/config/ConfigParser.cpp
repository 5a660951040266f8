#include "config/ConfigParser.h"

#include "config/ConfigCursor.h"
#include "config/ConfigLayout.h"
#include "config/ConfigRanges.h"

namespace quorvane {

namespace {

// Each reader returns false at the first item that does not follow the layout; the caller
// then discards the whole copy.
class Reader {
  public:
    Reader(ConfigCursor& in, SetupGlobals& g) : in_(in), g_(g) {}

    bool Line(std::string& text) {
        std::string_view line;
        if (!in_.ReadLine(line)) return false;
        text.assign(line);
        return true;
    }
    bool Int(int16_t& v) { return in_.ReadInt16(v); }
    bool Int(int32_t& v) { return in_.ReadInt32(v); }

    // Current items 2-4 (the older layout has them too).
    bool PortAndRecord() {
        return Int(g_.PortIndex) && Int(g_.BaudRateIndex) && Int(g_.Parity) &&
               Int(g_.DataBitsIndex) && Int(g_.StopBits) && Int(g_.FlowControl) &&
               Int(g_.InputBufferSize) && Int(g_.OutputBufferSize) && Int(g_.BeepOnInput) &&
               Int(g_.Mode) && Int(g_.RecordGapTicks) && Int(g_.StartOfRecordEvent) &&
               Int(g_.EndOfRecordEvent) && Int(g_.RecordStructure) && Int(g_.RecordLength) &&
               Int(g_.NumberOfFields);
    }

    bool DelimiterCode() {
        char c = 0;
        if (!in_.ReadCode(c)) return false;
        g_.DelimiterChar.assign(1, c);
        return true;
    }

    // Older layout: the delimiter itself starts the line; an empty line leaves it as it was.
    bool DelimiterLine() {
        std::string_view line;
        if (!in_.ReadLine(line)) return false;
        if (!line.empty()) g_.DelimiterChar.assign(1, line[0]);
        return true;
    }

    // Current items 6-10.
    bool TargetsAndTables() {
        if (!(Line(g_.TargetAppTitle) && Line(g_.TargetAppCommand) && Int(g_.TargetAppSpecified) &&
              Line(g_.DdeTargetApp) && Line(g_.DdeTargetTopic) && Line(g_.DdeTargetItem))) {
            return false;
        }
        const char* space = IsTrue(g_.DirectKeyEvents) ? " " : "{ }";
        for (auto& entry : g_.TransferKeyTable) {
            if (!Line(entry)) return false;
            // The space entries follow the keystroke method of this run, whichever run
            // wrote the file.
            if (entry == "{ }" || entry == " ") entry = space;
        }
        for (auto& entry : g_.InputTranslation) {
            std::string_view line;
            if (!in_.ReadLine(line)) return false;
            if (line == kTranslationIgnore || line == kTranslationVoidRecord) {
                entry.assign(line);
                continue;
            }
            int64_t code = 0;
            if (!ParseIntegerLine(line, 0, 255, code)) return false;
            entry.assign(1, static_cast<char>(static_cast<unsigned char>(code)));
        }
        return CharTable(g_.TransferCharTableDde) && CharTable(g_.TransferCharTableLog);
    }

    bool CharTable(std::string& table) {
        std::string built;
        built.reserve(256);
        for (int i = 0; i < 256; ++i) {
            char c = 0;
            if (!in_.ReadCode(c)) return false;
            built += c;
        }
        table = std::move(built);
        return true;
    }

    // Current item 12.
    bool LinksAndPreferences() {
        return Line(g_.LogFileName) && Int(g_.MinimizeOnActivation) && Line(g_.CommandLinkApp) &&
               Line(g_.CommandLinkTopic) && Line(g_.CommandLinkItem) &&
               Int(g_.CommandLinkOnActivation) && Line(g_.BufferLinkApp) &&
               Line(g_.BufferLinkTopic) && Line(g_.BufferLinkItem) &&
               Int(g_.BufferLinkOnActivation) && Int(g_.StripCrLfFromBuffer) &&
               Line(g_.DateTimeFormat) && Int(g_.ShowDateTime) && Int(g_.WindowButtons);
    }

    // The last line; a file without it keeps the topic it had.
    void TopicLine() {
        std::string_view line;
        if (in_.ReadFinalLine(line)) g_.DdeTopicName.assign(line);
    }

    bool CurrentRest(size_t& blockStart) {
        for (int n = 1; n <= kStringButtons; ++n) {
            if (!(Line(g_.ButtonCaption[n]) && Line(g_.FieldFilter[n]) && Int(g_.FieldLength[n]) &&
                  Line(g_.FieldFilter[n + 20]) && Int(g_.FieldLength[n + 20]) &&
                  Line(g_.FieldFormat[n]) && Line(g_.FieldFormat[n + 20]))) {
                return false;
            }
        }
        if (!(LinksAndPreferences() && Int(g_.TimerInterval) && Int(g_.TimerOptions) &&
              Int(g_.ActivateSuspended) && Int(g_.AlwaysOnTop))) {
            return false;
        }
        for (int s = 0; s < kHotKeySlots; ++s) {
            if (!(Int(g_.HotKeyAction[s]) && Int(g_.HotKeyCode[s]))) return false;
        }
        for (int n = 1; n <= kMaxFields; ++n) {
            if (!Line(g_.FieldMath[n])) return false;
        }

        // The length lines come in one order and the texts of the block in another.
        size_t ack, timer, preamble, start, end;
        if (!(Length(ack) && Length(timer) && Length(preamble) && Length(start) && Length(end))) {
            return false;
        }
        std::array<size_t, kStringButtons + 1> button{};
        std::array<size_t, kFieldSlots> postamble{};
        for (int n = 1; n <= kStringButtons; ++n) {
            if (!(Length(button[n]) && Length(postamble[n]) && Length(postamble[n + 20]))) {
                return false;
            }
        }
        std::array<size_t, kHotKeySlots> hotKey{};
        for (auto& length : hotKey) {
            if (!Length(length)) return false;
        }
        blockStart = in_.Position();
        if (!(Bytes(start, g_.StartChars) && Bytes(end, g_.EndChars) && Bytes(ack, g_.AckString) &&
              Bytes(timer, g_.TimerString) && Bytes(preamble, g_.RecordPreamble))) {
            return false;
        }
        for (int n = 1; n <= kStringButtons; ++n) {
            if (!Bytes(button[n], g_.ButtonString[n])) return false;
        }
        for (int n = 1; n <= kMaxFields; ++n) {
            if (!Bytes(postamble[n], g_.FieldPostamble[n])) return false;
        }
        for (int s = 0; s < kHotKeySlots; ++s) {
            if (!Bytes(hotKey[s], g_.HotKeyString[s])) return false;
        }
        TopicLine();
        return true;
    }

    bool OlderRest() {
        if (!(Raw(g_.AckString) && Raw(g_.TimerString) && Int(g_.TimerInterval) &&
              Int(g_.TimerOptions) && Raw(g_.RecordPreamble))) {
            return false;
        }
        for (int n = 1; n <= kStringButtons; ++n) {
            if (!(Line(g_.ButtonCaption[n]) && Raw(g_.ButtonString[n]) && Line(g_.FieldFilter[n]) &&
                  Int(g_.FieldLength[n]) && Raw(g_.FieldPostamble[n]) &&
                  Line(g_.FieldFilter[n + 20]) && Int(g_.FieldLength[n + 20]) &&
                  Raw(g_.FieldPostamble[n + 20]) && Line(g_.FieldFormat[n]) &&
                  Line(g_.FieldFormat[n + 20]))) {
                return false;
            }
        }
        if (!(LinksAndPreferences() && Raw(g_.StartChars) && Raw(g_.EndChars))) return false;
        TopicLine();
        return true;
    }

  private:
    bool Length(size_t& length) { return in_.ReadLength(length); }
    bool Bytes(size_t length, std::string& text) { return in_.ReadBytes(length, text); }
    bool Raw(std::string& text) { return in_.ReadInlineText(text); }

    ConfigCursor& in_;
    SetupGlobals& g_;
};

bool ReadSignature(ConfigCursor& in, ConfigLayoutKind& layout) {
    std::string_view first;
    if (!in.ReadLine(first)) return false;
    if (first == kSignatureCurrent) {
        layout = ConfigLayoutKind::Current;
        return true;
    }
    if (first == kSignatureOld) {
        layout = ConfigLayoutKind::Older;
        return true;
    }
    return false;
}

}  // namespace

ConfigParseResult ParseConfigBytes(std::string_view bytes, SetupGlobals& g) {
    ConfigParseResult result;
    if (bytes.size() > kMaxConfigFileBytes) {
        result.status = ConfigParseStatus::NotAConfigFile;
        return result;
    }
    ConfigCursor in(bytes);
    if (!ReadSignature(in, result.layout)) {
        result.status = ConfigParseStatus::NotAConfigFile;
        return result;
    }
    SetupGlobals work = g;
    Reader reader(in, work);
    bool ok = reader.PortAndRecord();
    if (result.layout == ConfigLayoutKind::Current) {
        ok = ok && reader.DelimiterCode() && reader.TargetsAndTables() &&
             reader.CurrentRest(result.blockStart);
    } else {
        ok = ok && reader.DelimiterLine() && reader.TargetsAndTables() && reader.OlderRest();
    }
    if (!ok) {
        result.status = ConfigParseStatus::Damaged;
        return result;
    }
    ClampToRanges(work);
    g = std::move(work);
    result.status = ConfigParseStatus::Ok;
    return result;
}

ConfigHeaderStatus ParseConfigHeader(std::string_view bytes, int16_t& portIndex) {
    ConfigCursor in(bytes);
    ConfigLayoutKind layout = ConfigLayoutKind::Current;
    if (!ReadSignature(in, layout)) return ConfigHeaderStatus::NotAConfigFile;
    return in.ReadInt16(portIndex) ? ConfigHeaderStatus::Ok : ConfigHeaderStatus::Damaged;
}

}  // namespace quorvane
