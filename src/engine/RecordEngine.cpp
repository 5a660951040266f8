#include "engine/RecordEngine.h"

#include <algorithm>

namespace quorvane {

namespace {

constexpr uint8_t kSpace = 32;
constexpr size_t kFieldReserve = 64;  // typical fields never reallocate while they fill

// The numeric value of a box text: leading blanks, an optional sign, digits; 0 if none.
int64_t LeadingNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value > (INT64_MAX - 9) / 10) break;
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

}  // namespace

int DeriveParseMode(int endOfRecordEvent, int recordStructure) {
    if (recordStructure < 0 || recordStructure > 2) recordStructure = 0;
    switch (endOfRecordEvent) {
        case 1: {
            static constexpr int kTimeGap[] = {1, 4, 5};
            return kTimeGap[recordStructure];
        }
        case 2:
            return 3;
        default: {
            static constexpr int kEndChar[] = {0, 2, 6};
            return kEndChar[recordStructure];
        }
    }
}

std::string DeriveEndCharSet(const SetupGlobals& g) {
    return g.EndOfRecordEvent == 3 ? g.EndChars : std::string(1, '\r');
}

TransferTableArray BuildTransferTable(const SetupGlobals& g) {
    TransferTableArray table;
    for (size_t i = 0; i < table.size(); ++i) {
        if (g.Mode == kModeKeystrokes) {
            const std::string& entry = g.TransferKeyTable[i];
            table[i] = entry == "NUL" ? std::string(1, '\0') : entry;
        } else {
            const std::string& chars =
                g.Mode == kModeDde ? g.TransferCharTableDde : g.TransferCharTableLog;
            table[i] = i < chars.size() ? std::string(1, chars[i]) : std::string();
        }
    }
    return table;
}

RecordEngine::RecordEngine(SetupGlobals& g, RuntimeFlags& flags, const LocaleInfo& locale,
                           const EngineServices& services)
    : g_(g),
      flags_(flags),
      services_(services),
      processor_(g, locale),
      delivery_(g, flags, services) {}

void RecordEngine::Activate() {
    parseMode_ = DeriveParseMode(g_.EndOfRecordEvent, g_.RecordStructure);
    endCharSet_ = DeriveEndCharSet(g_);
    transferTable_ = BuildTransferTable(g_);
    processor_.Activate(transferTable_);
    delivery_.Activate();
    fieldCount_ = FieldCount(g_);
    delimiter_ = g_.DelimiterChar.empty() ? -1 : static_cast<uint8_t>(g_.DelimiterChar[0]);

    for (int b = 0; b < 256; ++b) {
        const std::string& t = g_.InputTranslation[static_cast<size_t>(b)];
        uint16_t mapped = static_cast<uint16_t>(b);  // an empty entry leaves the byte as it is
        if (t == "Ignore") {
            mapped = kIgnoreByte;
        } else if (t == "Void Record") {
            mapped = kVoidByte;
        } else if (!t.empty()) {
            mapped = static_cast<uint8_t>(t[0]);
        }
        inputMap_[static_cast<size_t>(b)] = mapped;
    }
    const std::string numericSet = std::string("1234567890-") + g_.DecimalSeparator;
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        bool starts = true;  // event 0: any byte
        switch (g_.StartOfRecordEvent) {
            case 1:
                starts = b >= 32 && b <= 126;
                break;
            case 2:
                starts = numericSet.find(c) != std::string::npos;
                break;
            case 3:
                starts = g_.StartChars.find(c) != std::string::npos;
                break;
            default:
                break;
        }
        starts_[static_cast<size_t>(b)] = starts;
        ends_[static_cast<size_t>(b)] = endCharSet_.find(c) != std::string::npos;
    }

    runModes_ = parseMode_ == 0 || parseMode_ == 1 || parseMode_ == 2 || parseMode_ == 4;
    for (int b = 0; b < 256; ++b) {
        const uint16_t t = inputMap_[static_cast<size_t>(b)];
        bool plain = t < 256;
        if (plain && parseMode_ != 1) {
            const bool delimiter = static_cast<int>(t) == delimiter_;
            if (parseMode_ == 4)
                plain = !delimiter;
            else
                plain = !(delimiter && fieldCount_ > 1) && !ends_[t];
        }
        runByte_[static_cast<size_t>(b)] = plain ? 1 : 0;
    }

    state_ = RecordState{};
    stopLoop_ = false;
    for (int n = 1; n < kFieldSlots; ++n) {
        fields_[static_cast<size_t>(n)].clear();
        fields_[static_cast<size_t>(n)].reserve(kFieldReserve);
    }
}

void RecordEngine::Reset() {
    state_ = RecordState{};
    // The overflow entries go too: a math expression of the next record could read them.
    for (int n = 1; n <= kOverflowField; ++n) fields_[static_cast<size_t>(n)].clear();
    const int count = FieldCount(g_);
    for (int n = 1; n <= count; ++n) services_.view.SetFieldText(n, std::string());
    services_.view.SetRecordNumberText(std::string());
}

bool RecordEngine::DropRecordInProgress() {
    const bool inRecord = state_.InRecord;
    const int idleTicks = state_.IdleTicks;
    state_ = RecordState{};
    state_.IdleTicks = idleTicks;
    for (int n = 1; n <= kOverflowField; ++n) fields_[static_cast<size_t>(n)].clear();
    return inRecord;
}

void RecordEngine::PollInput(ByteSource& source) {
    if (flags_.Suspended) return;
    if (!delivery_.RetryHeldLog()) return;
    AdvanceIdleTicks();
    // A tick that had to leave bytes for the next one saw no gap.
    if (RunSpans(source)) IdleCheck();
}

void RecordEngine::AdvanceIdleTicks() {
    state_.IdleTicks = (state_.IdleTicks + 1) % 256;
}

void RecordEngine::RunByteLoop(ByteSource& source) {
    stopLoop_ = false;
    uint8_t b = 0;
    while (!stopLoop_ && source.ReadPortByte(b) > 0) HandleByte(b);
}

bool RecordEngine::RunSpans(ByteSource& source) {
    stopLoop_ = false;
    const uint32_t start = services_.clock.TickCount();
    size_t taken = 0;
    const uint8_t* data = nullptr;
    while (!stopLoop_) {
        size_t count = source.PeekBytes(data);
        if (count == 0) return true;
        if (taken >= kTickByteBudget || services_.clock.TickCount() - start >= kTickTimeBudgetMs)
            return false;
        count = std::min(count, kTickByteBudget - taken);
        // The span is asked for again after every record: delivery may have reset the
        // engine and purged the source (then this consumes nothing) or fed it new input.
        const size_t handled = HandleSpan(data, count);
        source.ConsumeBytes(handled);
        taken += handled;
    }
    return true;
}

size_t RecordEngine::RunBytes(const uint8_t* bytes, size_t count) {
    stopLoop_ = false;
    size_t i = 0;
    while (i < count && !stopLoop_) i += HandleSpan(bytes + i, count - i);
    return i;
}

size_t RecordEngine::HandleSpan(const uint8_t* bytes, size_t count) {
    const uint64_t records = recordsEnded_;
    size_t i = 0;
    while (i < count) {
        if (runModes_ && state_.InRecord) {
            i += StoreRun(bytes + i, count - i);
            if (i == count) break;
        }
        HandleByte(bytes[i++]);
        if (recordsEnded_ != records) break;
    }
    return i;
}

size_t RecordEngine::StoreRun(const uint8_t* bytes, size_t count) {
    // The run stops at the bound, so that the byte past it goes through HandleByte's check.
    count = std::min(count, static_cast<size_t>(kMaxRecordBytes - state_.TakenBytes));
    size_t n = 0;
    // Four bytes a step: one branch for four table reads.
    while (n + 4 <= count && (runByte_[bytes[n]] & runByte_[bytes[n + 1]] & runByte_[bytes[n + 2]] &
                              runByte_[bytes[n + 3]])) {
        n += 4;
    }
    while (n < count && runByte_[bytes[n]]) ++n;
    if (n == 0) return 0;
    state_.TakenBytes += static_cast<int64_t>(n);
    const int field = parseMode_ == 1 ? 1 : state_.CurrentField;
    processor_.AppendFilteredRun(fields_[static_cast<size_t>(field)], bytes, n, inputMap_.data(),
                                 field);
    if (parseMode_ == 1 || parseMode_ == 4) state_.IdleTicks = 0;
    state_.LastByteWasSpace = inputMap_[bytes[n - 1]] == kSpace;
    return n;
}

void RecordEngine::IdleCheck() {
    if (state_.SkipToEnd && g_.EndOfRecordEvent == 1 && state_.IdleTicks == g_.RecordGapTicks) {
        state_.SkipToEnd = false;
        return;
    }
    if (g_.EndOfRecordEvent == 1 && state_.InRecord && state_.IdleTicks == g_.RecordGapTicks) {
        state_.CurrentField = 1;
        state_.RecordByteCount = 0;
        state_.FieldByteCount = 0;
        ProcessRecord();
    }
}

void RecordEngine::HandleByte(uint8_t b) {
    const uint16_t t = inputMap_[b];
    if (t == kIgnoreByte) {
        state_.LastByteWasSpace = b == kSpace;
        return;
    }
    if (t == kVoidByte) {
        if (state_.InRecord) state_.VoidPending = true;  // the byte itself goes on unchanged
    } else {
        b = static_cast<uint8_t>(t);
    }
    if (!state_.InRecord) {
        if (state_.SkipToEnd) [[unlikely]] {
            SkipTooLongTail(b);
            return;
        }
        if (!starts_[b]) {
            state_.LastByteWasSpace = b == kSpace;
            return;
        }
        state_.InRecord = true;
    }
    const bool pastBound = ++state_.TakenBytes > kMaxRecordBytes;
    StoreAndEndTest(b);
    // After the end test, so that the byte ending a record of exactly the bound ends it.
    if (pastBound) [[unlikely]] {
        if (state_.InRecord) VoidTooLongRecord();
    }
    // Also after ProcessRecord, which cleared it: an end character that is a space counts.
    state_.LastByteWasSpace = b == kSpace;
}

void RecordEngine::StoreAndEndTest(uint8_t b) {
    RecordState& s = state_;
    switch (parseMode_) {
        case 1:  // single field, time gap
            processor_.AppendFilteredByte(fields_[1], b, 1);
            s.IdleTicks = 0;
            return;
        case 4:  // delimited, time gap
            s.IdleTicks = 0;
            if (b == delimiter_) {
                if (!(b == kSpace && s.LastByteWasSpace)) {
                    s.CurrentField = std::min(s.CurrentField + 1, kOverflowField);
                }
            } else {
                Store(b);
            }
            return;
        case 5:  // fixed-length fields, time gap
            s.IdleTicks = 0;
            Store(b);
            if (++s.FieldByteCount == g_.FieldLength[static_cast<size_t>(s.CurrentField)]) {
                Advance();
            }
            return;
        case 3:  // fixed number of bytes; the length is compared only when a field fills
            Store(b);
            ++s.RecordByteCount;
            if (++s.FieldByteCount == g_.FieldLength[static_cast<size_t>(s.CurrentField)]) {
                Advance();
                if (s.RecordByteCount == g_.RecordLength) {
                    s.CurrentField = 1;
                    s.RecordByteCount = 0;
                    ProcessRecord();
                }
            }
            return;
        case 6:  // fixed-length fields, end character (stored like any byte)
            Store(b);
            if (++s.FieldByteCount == g_.FieldLength[static_cast<size_t>(s.CurrentField)]) {
                Advance();
            }
            if (ends_[b]) {
                s.FieldByteCount = 0;
                s.CurrentField = 1;
                ProcessRecord();
            }
            return;
        default:  // 0 and 2: single or delimited, end character
            // With one field the delimiter is an ordinary byte, so that it cannot keep a
            // record that ends on the same character from ever ending.
            if (b == delimiter_ && fieldCount_ > 1) {
                if (!(b == kSpace && s.LastByteWasSpace)) {
                    s.CurrentField = std::min(s.CurrentField + 1, kOverflowField);
                }
                if (ends_[b] && s.CurrentField > fieldCount_) {
                    s.CurrentField = 1;
                    ProcessRecord();
                }
            } else {
                Store(b);
                if (ends_[b]) {
                    s.CurrentField = 1;
                    ProcessRecord();
                }
            }
            return;
    }
}

[[gnu::cold, gnu::noinline]] void RecordEngine::VoidTooLongRecord() {
    // Its end never came, so the device gets no acknowledgement and the user no input beep;
    // the view says why instead. Like a "Void Record" record it does not end a one-record
    // resume. The fields' storage is given back, not just emptied.
    for (int n = 1; n <= kOverflowField; ++n) {
        std::string& field = fields_[static_cast<size_t>(n)];
        if (field.capacity() > kFieldReserve) std::string().swap(field);
        field.clear();
    }
    const int idleTicks = state_.IdleTicks;
    state_ = RecordState{};
    state_.IdleTicks = idleTicks;
    // A record ended by a character or a time gap resumes at its real end; records of a
    // fixed number of bytes have no end to look for.
    state_.SkipToEnd = parseMode_ != 3;
    services_.view.OnRecordTooLong();
}

void RecordEngine::SkipTooLongTail(uint8_t b) {
    if (g_.EndOfRecordEvent == 1) {
        state_.IdleTicks = 0;  // the gap is counted from the last byte of the tail
    } else if (ends_[b]) {
        state_.SkipToEnd = false;  // the end character ends the tail, and starts nothing
    }
    state_.LastByteWasSpace = b == kSpace;
}

void RecordEngine::ProcessRecord() {
    ++recordsEnded_;
    state_.InRecord = false;
    state_.TakenBytes = 0;
    state_.LastByteWasSpace = false;
    if (!AppendWithinOutputLimit(g_.OutputQueue, g_.AckString)) ++flags_.DroppedAcknowledgements;
    if (IsTrue(g_.BeepOnInput)) services_.messages.Beep(flags_.SpecialBeep);
    if (state_.VoidPending) {
        for (int n = 1; n <= kOverflowField; ++n) fields_[static_cast<size_t>(n)].clear();
        state_.VoidPending = false;
        return;  // no delivery, no counter step, and a one-record resume stays resumed
    }
    processor_.ProcessFields(fields_);
    const DeliveryOutcome outcome = delivery_.DeliverRecord(fields_);
    if (outcome == DeliveryOutcome::Cancelled) {
        ResetAfterCancelledLog();
        return;  // the record is lost and is not counted
    }
    // A held log text is this record's, written later: it counts, and nothing more is read
    // until it is written, so the records after it wait in the kernel in their order.
    if (outcome == DeliveryOutcome::Held) stopLoop_ = true;
    EngineView& view = services_.view;
    const int64_t number = LeadingNumber(view.RecordNumberText()) + 1;
    view.SetRecordNumberText(std::to_string(number));
    view.OnRecordDelivered(number);
    if (flags_.ResumeOneRecord) {
        flags_.ResumeOneRecord = false;
        Suspend();
    }
}

void RecordEngine::Suspend() {
    if (flags_.Suspended) return;
    flags_.Suspended = true;
    services_.view.OnSuspendedChanged(true);
}

void RecordEngine::ResetAfterCancelledLog() {
    Reset();
    flags_.ResumeOneRecord = false;
    services_.view.OnEngineReset();
    Suspend();
    // The session's reset purges the port's receive queue: nothing more is read this tick.
    stopLoop_ = true;
}

}  // namespace quorvane
