#!/usr/bin/env python3
"""Writes older-layout.qv3 item by item from the list of the older file layout.

The program reads this layout but never writes it, so this file is made here, independently
of the program's writer. Run from the examples folder: python3 make-older-layout.py
"""

CRLF = b"\r\n"
out = bytearray()


def line(text):
    out.extend(text.encode("cp1252") + CRLF)


def number(value):
    line((" " if value >= 0 else "") + str(value) + " ")


def raw(data):
    """An inline text: its length line, then its bytes with nothing after them."""
    number(len(data))
    out.extend(data)


line("Quorvane Version 2.00 Configuration File for Serial Data Acquisition Software")
# Port: PortIndex, BaudRateIndex, Parity, DataBitsIndex, StopBits, FlowControl.
for v in (0, 6, 2, 2, 0, 0):
    number(v)
number(4096)  # InputBufferSize
number(512)  # OutputBufferSize
# BeepOnInput, Mode (log), RecordGapTicks, StartOfRecordEvent, EndOfRecordEvent,
# RecordStructure, RecordLength, NumberOfFields.
for v in (0, 2, 3, 0, 0, 0, 0, 1):
    number(v)
line(",")  # DelimiterChar: the character itself starts the line
line("Notepad")
line("Notepad.exe")
number(-1)
line("Excel")
line("System")
line("")

special = {8: "{BACKSPACE}", 9: "{TAB}", 13: "{ENTER}", 37: "{%}", 40: "{(}", 41: "{)}",
           43: "{+}", 91: "{[}", 93: "{]}", 94: "{^}", 123: "{{}", 125: "{}}", 126: "{~}",
           127: "{DELETE}", 32: "{ }", 160: "{ }"}
for b in range(256):
    if b in special:
        out.extend(special[b].encode("ascii") + CRLF)
    elif b < 32 or 128 <= b < 160:
        line("NUL")
    else:
        out.extend(bytes([b]) + CRLF)
for b in range(256):
    line(" " + str(b))  # InputTranslation: the byte itself
for b in range(256):
    number(0 if b < 32 else b)  # TransferCharTableDde
for b in range(256):
    number(b)  # TransferCharTableLog

raw(b"\x06")  # AckString
raw(b"")  # TimerString
number(5000)  # TimerInterval
number(0)  # TimerOptions
raw(b"{MONTH}/{DAY}/{YEAR} ")  # RecordPreamble

buttons = {1: ("Tare", b"T\r\n"), 2: ("Zero", b"Z\r\n"), 3: ("Print", b"P\r\n")}
for n in range(1, 21):
    caption, string = buttons.get(n, ("String%d" % n, b""))
    line(caption)
    raw(string)  # ButtonString[n]
    line("C")  # FieldFilter[n]
    number(0)  # FieldLength[n]
    raw(b"\r\n" if n == 1 else b"")  # FieldPostamble[n]
    line("C")  # FieldFilter[n+20]
    number(0)  # FieldLength[n+20]
    raw(b"")  # FieldPostamble[n+20]
    line("")  # FieldFormat[n]
    line("")  # FieldFormat[n+20]

line("/tmp/quorvane-example.log")
number(0)  # MinimizeOnActivation
for _ in range(3):
    line("")  # CommandLinkApp, Topic, Item
number(0)
for _ in range(3):
    line("")  # BufferLinkApp, Topic, Item
number(0)  # BufferLinkOnActivation
number(-1)  # StripCrLfFromBuffer
line("")  # DateTimeFormat
number(0)  # ShowDateTime
number(0)  # WindowButtons
raw(b"")  # StartChars
raw(b"")  # EndChars
line("Balance")  # DdeTopicName

with open("older-layout.qv3", "wb") as f:
    f.write(out)
