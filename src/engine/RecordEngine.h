// The record engine: turns the device's byte stream into records of up to 40 fields and
// runs the record-end routine (acknowledgement, beep, field processing, delivery, record
// counter) for each. It has no thread and never waits on its own: the runtime session's
// 50 ms poll tick drives it through PollInput, and the session's Reset and activation call
// Reset and Activate.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/SetupGlobals.h"
#include "engine/EngineServices.h"
#include "engine/FieldData.h"
#include "engine/FieldProcessor.h"
#include "engine/LocaleInfo.h"
#include "engine/RecordDelivery.h"
#include "engine/RuntimeFlags.h"
#include "platform/ByteSource.h"

namespace quorvane {

// How bytes are stored and records ended (0..6), from EndOfRecordEvent (0 CR, 1 time gap,
// 2 fixed number of bytes, 3 special character) and RecordStructure (0 single, 1 delimited,
// 2 fixed-length): 0 single/end char, 1 single/time gap, 2 delimited/end char, 3 fixed
// number of bytes, 4 delimited/time gap, 5 fixed-length/time gap, 6 fixed-length/end char.
// Values out of range count as 0.
int DeriveParseMode(int endOfRecordEvent, int recordStructure);
// The characters that end a record in parse modes 0, 2 and 6: EndChars for the special
// character event, otherwise CR.
std::string DeriveEndCharSet(const SetupGlobals& g);
// The pre-transfer translation for the current Mode: the key table (with "NUL" meaning the
// code-0 character) for Send Keystrokes, the character tables for DDE Server and Log.
TransferTableArray BuildTransferTable(const SetupGlobals& g);

// The most bytes one record may take in before its end. A byte is taken in when the
// pre-input translation does not ignore it and it starts or continues a record; it counts
// before the field filters, so delimiters, "Void Record" bytes and bytes a filter drops count
// too. The byte that ends a record may be one more; any other byte past the bound voids the
// record. Each byte adds at most two characters (the binary filter) to one field, so a
// record's fields never hold more than 2 * (kMaxRecordBytes + 1) bytes in any parse mode,
// the overflow field 41 and the single field of the time-gap mode included.
inline constexpr int64_t kMaxRecordBytes = int64_t{1} << 20;

// What one poll tick reads at most. 3 Mbaud, the fastest common UART, brings about 15 KiB in
// a 50 ms tick, so 64 KiB drains it four times over; the time bound (checked after each span,
// so after each record at the latest) keeps a slow delivery, such as typing, from holding
// the event loop, and with it signals, D-Bus calls and the window, for more than a part of
// a tick.
inline constexpr size_t kTickByteBudget = 64 * 1024;
inline constexpr uint32_t kTickTimeBudgetMs = 25;

struct RecordState {
    int CurrentField = 1;         // 1..41; 41 collects everything past the last field
    int64_t FieldByteCount = 0;   // bytes in the current fixed-length field
    int64_t RecordByteCount = 0;  // bytes of a record of a fixed number of bytes
    int64_t TakenBytes = 0;       // bytes taken into this record, counted against the bound
    int IdleTicks = 0;            // ticks since the last stored byte in a time-gap mode, mod 256
    bool InRecord = false;
    bool VoidPending = false;       // a "Void Record" byte arrived inside this record
    bool LastByteWasSpace = false;  // the byte handled just before was a space
    // The rest of a record voided for its length is passed over up to its end (its end
    // character, or the time gap), so that no tail of it is delivered as a record.
    bool SkipToEnd = false;
};

class RecordEngine {
  public:
    // Every reference must outlive the engine. Activate before the first byte.
    RecordEngine(SetupGlobals& g, RuntimeFlags& flags, const LocaleInfo& locale,
                 const EngineServices& services);
    RecordEngine(const RecordEngine&) = delete;
    RecordEngine& operator=(const RecordEngine&) = delete;

    // Start state, TransferTable, ParseMode, EndCharSet, DdeCommandsConfigured. The record
    // structure, filters and translation tables are read here; a configuration reloaded
    // while active is activated again.
    void Activate();
    // The engine part of the runtime Reset: record state back to Idle, FieldData and the
    // Field(n) boxes emptied, RecordNumber emptied (the next record is number 1).
    void Reset();
    // The device went away: the record it left unfinished is dropped (nothing delivered, no
    // acknowledgement), since bytes from before a loss and after it never form one record.
    // True when a record was in progress.
    bool DropRecordInProgress();

    // Poll-tick steps 7 to 10 in order: nothing when suspended, else AdvanceIdleTicks, the
    // byte loop over the source's spans until it has nothing at hand (or a cancelled log
    // write has reset the engine, which purges what was waiting), IdleCheck. The loop takes
    // at most kTickByteBudget bytes and kTickTimeBudgetMs of time: what is left waits in the
    // kernel for the next tick, and the time gap is only judged on a tick that drained it.
    void PollInput(ByteSource& source);
    void AdvanceIdleTicks();
    // The byte loop one ReadPortByte at a time: the reference the span loop must equal.
    void RunByteLoop(ByteSource& source);
    // The byte loop over bytes the caller holds; returns how many were consumed (all of them
    // unless a cancelled log write stopped the loop).
    size_t RunBytes(const uint8_t* bytes, size_t count);
    // Ends a time-gap record once RecordGapTicks ticks have passed without a byte.
    void IdleCheck();
    // Handles one byte read from the port.
    void HandleByte(uint8_t b);
    // The record-end routine.
    void ProcessRecord();

    const RecordState& State() const { return state_; }
    FieldDataArray& FieldData() { return fields_; }
    const TransferTableArray& TransferTable() const { return transferTable_; }
    int ParseMode() const { return parseMode_; }
    const std::string& EndCharSet() const { return endCharSet_; }
    FieldProcessor& Fields() { return processor_; }
    RecordDelivery& Delivery() { return delivery_; }

  private:
    static constexpr uint16_t kIgnoreByte = 256;
    static constexpr uint16_t kVoidByte = 257;

    void Store(uint8_t b) {
        processor_.AppendFilteredByte(fields_[static_cast<size_t>(state_.CurrentField)], b,
                                      state_.CurrentField);
    }
    void Advance() {
        state_.FieldByteCount = 0;
        if (++state_.CurrentField > kOverflowField) state_.CurrentField = kOverflowField;
    }
    void StoreAndEndTest(uint8_t b);
    // Drops a record that went past kMaxRecordBytes: nothing delivered, no acknowledgement,
    // no beep, no counter step; the next byte looks for a record start again.
    void VoidTooLongRecord();
    // One byte of the tail of such a record.
    void SkipTooLongTail(uint8_t b);
    // The byte loop over what the source has at hand, span by span.
    // False when it stopped at the tick's budget with bytes still at hand.
    bool RunSpans(ByteSource& source);
    // Handles bytes from the front up to and including the first that ends a record (record
    // delivery may run other code, which can change or drop the rest); returns how many.
    size_t HandleSpan(const uint8_t* bytes, size_t count);
    // Stores the bytes from bytes[i] on that need no decision; returns how many.
    size_t StoreRun(const uint8_t* bytes, size_t count);
    void Suspend();
    void ResetAfterCancelledLog();

    SetupGlobals& g_;
    RuntimeFlags& flags_;
    EngineServices services_;
    FieldProcessor processor_;
    RecordDelivery delivery_;
    FieldDataArray fields_;
    TransferTableArray transferTable_;
    RecordState state_;
    int parseMode_ = 0;
    std::string endCharSet_;
    int fieldCount_ = 1;  // NumberOfFields, clamped to 1..40
    int delimiter_ = -1;  // DelimiterChar's code, -1 when it is empty
    bool stopLoop_ = false;
    uint64_t recordsEnded_ = 0;             // ProcessRecord calls: a span ends at a record end
    std::array<uint16_t, 256> inputMap_{};  // translated byte, kIgnoreByte or kVoidByte
    std::array<bool, 256> starts_{};
    std::array<bool, 256> ends_{};
    // Bytes (as read) that inside a record of parse mode 0, 1, 2 or 4 are only stored: not
    // ignored, not voiding, not a delimiter or end character after translation. 1 or 0, as
    // integers so that the run's scan can and four of them.
    std::array<uint8_t, 256> runByte_{};
    bool runModes_ = false;  // parse mode 0, 1, 2 or 4: the byte loop stores runs at once
};

}  // namespace quorvane
