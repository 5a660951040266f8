#include "config/ConfigWriter.h"

#include <cstdint>
#include <limits>

#include "config/ConfigLayout.h"

namespace quorvane {

namespace {

class Writer {
  public:
    explicit Writer(std::string& out) : out_(out) {}

    bool ok() const { return ok_; }

    // A blank before a non-negative value (a minus sign before a negative one) and one
    // blank after the digits: " 5 ", "-1 ".
    void Int(int64_t value) {
        if (value >= 0) out_ += ' ';
        out_ += std::to_string(value);
        out_ += " \r\n";
    }

    void Line(const std::string& text) {
        if (text.find("\r\n") != std::string::npos) ok_ = false;
        out_ += text;
        out_ += "\r\n";
    }

    void Code(char c) { Int(static_cast<unsigned char>(c)); }

    void FirstCode(const std::string& text) {
        if (text.empty()) {
            ok_ = false;
            return;
        }
        Code(text[0]);
    }

    void CharTable(const std::string& table) {
        if (table.size() != 256) {
            ok_ = false;
            return;
        }
        for (char c : table) Code(c);
    }

    void Length(const std::string& raw) {
        if (raw.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) ok_ = false;
        Int(static_cast<int64_t>(raw.size()));
    }

    void Translation(const std::string& entry) {
        if (entry == kTranslationIgnore || entry == kTranslationVoidRecord) {
            Line(entry);
            return;
        }
        if (entry.empty()) {
            ok_ = false;
            return;
        }
        // One leading blank and, unlike the other integer lines, no trailing one.
        out_ += ' ';
        out_ += std::to_string(static_cast<unsigned char>(entry[0]));
        out_ += "\r\n";
    }

    void Raw(const std::string& raw) { out_ += raw; }

  private:
    std::string& out_;
    bool ok_ = true;
};

}  // namespace

bool SerializeConfig(const SetupGlobals& g, std::string& out) {
    Writer w(out);
    w.Line(std::string(kSignatureCurrent));

    for (int16_t v :
         {g.PortIndex, g.BaudRateIndex, g.Parity, g.DataBitsIndex, g.StopBits, g.FlowControl}) {
        w.Int(v);
    }
    w.Int(g.InputBufferSize);
    w.Int(g.OutputBufferSize);
    for (int16_t v : {g.BeepOnInput, g.Mode, g.RecordGapTicks, g.StartOfRecordEvent,
                      g.EndOfRecordEvent, g.RecordStructure, g.RecordLength, g.NumberOfFields}) {
        w.Int(v);
    }
    w.FirstCode(g.DelimiterChar);

    w.Line(g.TargetAppTitle);
    w.Line(g.TargetAppCommand);
    w.Int(g.TargetAppSpecified);
    w.Line(g.DdeTargetApp);
    w.Line(g.DdeTargetTopic);
    w.Line(g.DdeTargetItem);

    for (const auto& entry : g.TransferKeyTable) w.Line(entry);
    for (const auto& entry : g.InputTranslation) w.Translation(entry);
    w.CharTable(g.TransferCharTableDde);
    w.CharTable(g.TransferCharTableLog);

    for (int n = 1; n <= kStringButtons; ++n) {
        w.Line(g.ButtonCaption[n]);
        w.Line(g.FieldFilter[n]);
        w.Int(g.FieldLength[n]);
        w.Line(g.FieldFilter[n + 20]);
        w.Int(g.FieldLength[n + 20]);
        w.Line(g.FieldFormat[n]);
        w.Line(g.FieldFormat[n + 20]);
    }

    w.Line(g.LogFileName);
    w.Int(g.MinimizeOnActivation);
    w.Line(g.CommandLinkApp);
    w.Line(g.CommandLinkTopic);
    w.Line(g.CommandLinkItem);
    w.Int(g.CommandLinkOnActivation);
    w.Line(g.BufferLinkApp);
    w.Line(g.BufferLinkTopic);
    w.Line(g.BufferLinkItem);
    w.Int(g.BufferLinkOnActivation);
    w.Int(g.StripCrLfFromBuffer);
    w.Line(g.DateTimeFormat);
    w.Int(g.ShowDateTime);
    w.Int(g.WindowButtons);

    w.Int(g.TimerInterval);
    w.Int(g.TimerOptions);
    w.Int(g.ActivateSuspended);
    w.Int(g.AlwaysOnTop);
    for (int s = 0; s < kHotKeySlots; ++s) {
        w.Int(g.HotKeyAction[s]);
        w.Int(g.HotKeyCode[s]);
    }
    for (int n = 1; n <= kMaxFields; ++n) w.Line(g.FieldMath[n]);

    // Length lines in this order; the texts themselves follow in the block's own order.
    for (const std::string* raw :
         {&g.AckString, &g.TimerString, &g.RecordPreamble, &g.StartChars, &g.EndChars}) {
        w.Length(*raw);
    }
    for (int n = 1; n <= kStringButtons; ++n) {
        w.Length(g.ButtonString[n]);
        w.Length(g.FieldPostamble[n]);
        w.Length(g.FieldPostamble[n + 20]);
    }
    for (const auto& raw : g.HotKeyString) w.Length(raw);

    for (const std::string* raw :
         {&g.StartChars, &g.EndChars, &g.AckString, &g.TimerString, &g.RecordPreamble}) {
        w.Raw(*raw);
    }
    for (int n = 1; n <= kStringButtons; ++n) w.Raw(g.ButtonString[n]);
    for (int n = 1; n <= kMaxFields; ++n) w.Raw(g.FieldPostamble[n]);
    for (const auto& raw : g.HotKeyString) w.Raw(raw);

    w.Line(g.DdeTopicName);
    return w.ok();
}

}  // namespace quorvane
