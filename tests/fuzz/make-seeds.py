#!/usr/bin/env python3
"""Writes the hand-made seeds of the fuzz corpora: one small input that reaches each state of
each reader. The fuzzer adds its own finds beside them; this never removes a file."""
import pathlib
import struct

here = pathlib.Path(__file__).resolve().parent
root = here.parent.parent
IMAGE = 7738


def write(target, name, data):
    folder = here / "corpus" / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(bytes(data))


def with_checksum(image):
    image = bytearray(image)
    image[7736:7738] = struct.pack("<H", sum(image[:7736]) & 0xFFFF)
    return image


# Database files: version byte 5 and the image.
good = bytearray((root / "tools/demo/tavoluxDB.dat").read_bytes())
write("database", "good.dat", good)
damaged = bytearray(good)
damaged[100] ^= 0x01
write("database", "wrong-checksum.dat", damaged)
write("database", "short.dat", good[:100])
write("database", "version4.dat", b"\x04" + good[1:])
write("database", "version6.dat", b"\x06" + good[1:])
write("database", "longer.dat", good + b"extra bytes")
hostile = bytearray(good[1:])
for slot in range(3):  # three pagers with local ID 7, valid capcodes
    hostile[68 + 6 * slot:68 + 6 * slot + 6] = struct.pack("<HI", 7, 0x08200000 | (100 + slot))
for slot, member in ((0, 21), (1, 20)):  # groups 20 and 21 hold each other
    offset = 6068 + 23 * slot
    hostile[offset:offset + 23] = struct.pack("<11HB", 20 + slot, member, 7, *([0xFFFF] * 8), 0)
write("database", "hostile.dat", b"\x05" + with_checksum(hostile))


# Names files: a count, then key and value strings.
def short(text):
    return bytes([len(text)]) + text


write("names", "empty.nam", b"")
write("names", "one.nam", struct.pack("<H", 1) + short(b"12") + short(b"Table 12"))
write("names", "long-count.nam", b"\xff\xff" + struct.pack("<I", 1) + short(b"3") + short(b"Bar"))
write("names", "long-name.nam",
      struct.pack("<H", 1) + short(b"5") + b"\xff" + struct.pack("<H", 300) + b"n" * 300)
write("names", "name-255.nam",
      struct.pack("<H", 1) + short(b"6") + b"\xff" + struct.pack("<H", 255) + b"m" * 255)
write("names", "huge-length.nam",
      struct.pack("<H", 1) + short(b"5") + b"\xff\xff\xff" + struct.pack("<I", 0x7FFFFFFF) + b"x")
write("names", "wide-long.nam",
      struct.pack("<H", 1) + short(b"9") + b"\xff\xfe\xff\xff" + struct.pack("<H", 2) + "é€".encode("utf-16-le"))
write("names", "truncated.nam", struct.pack("<H", 5) + short(b"1") + short(b"A") + b"\x09ab")


# Block transfers: byte 0 picks the transfer (bits 0-1: type 3, 8, 2, 4; bit 2: into a buffer of
# the expected length; bits 3-7: bytes per write), bytes 1-2 the length, then the unit's bytes.
IMAGE_FROM_UNIT, STATUS_TEXT, IMAGE_TO_UNIT, PAGE_RECORD, CALLER_BUFFER = 0, 1, 2, 3, 4
ACK, NAK, READY, NO_MEMORY, BAD_LENGTH = 0x06, 0x15, 0xF6, 0xF8, 0xF9


def transfer(mode, length, answers):
    return bytes([mode]) + struct.pack(">H", length) + bytes(answers)


def block(data, checksum=None):
    checksum = sum(data) & 0xFFFF if checksum is None else checksum
    return struct.pack(">I", len(data))[1:] + bytes(data) + struct.pack(">H", checksum)


write("block_transfer", "receive-image.bin", transfer(IMAGE_FROM_UNIT, 0, block(good[1:])))
write("block_transfer", "receive-image-expected.bin",
      transfer(IMAGE_FROM_UNIT | CALLER_BUFFER, IMAGE, block(good[1:])))
write("block_transfer", "receive-image-short-length.bin",
      transfer(IMAGE_FROM_UNIT | CALLER_BUFFER, IMAGE, block(good[1:IMAGE])))
write("block_transfer", "receive-status.bin", transfer(STATUS_TEXT, 0, block(b"READY\r\n")))
write("block_transfer", "receive-status-bad-checksum.bin",
      transfer(STATUS_TEXT, 0, block(b"READY", checksum=0x1234)))
write("block_transfer", "receive-empty.bin", transfer(STATUS_TEXT, 0, block(b"")))
LARGE_BLOCKS = 0xF8  # byte 0 bits that let a receive announce a megabyte or more
write("block_transfer", "receive-huge-length.bin",
      transfer(STATUS_TEXT | LARGE_BLOCKS, 0, b"\xff\xff\xff" + b"partial"))
write("block_transfer", "receive-silent.bin", transfer(IMAGE_FROM_UNIT, 0, b"\x00"))
write("block_transfer", "send-page.bin", transfer(PAGE_RECORD, 10, [ACK, ACK]))
write("block_transfer", "send-blocks-with-junk.bin",
      transfer(IMAGE_TO_UNIT, 130, [0x41, ACK, 0x55, READY, 0x00, READY, ACK]))
write("block_transfer", "send-one-block-exactly.bin", transfer(PAGE_RECORD, 64, [ACK, ACK]))
write("block_transfer", "send-partial-writes.bin",
      transfer(IMAGE_TO_UNIT | (10 << 3), 128, [ACK, READY, ACK]))
write("block_transfer", "send-bad-checksum.bin", transfer(PAGE_RECORD, 10, [ACK, NAK]))
write("block_transfer", "send-invalid-length.bin", transfer(IMAGE_TO_UNIT, IMAGE, [BAD_LENGTH]))
write("block_transfer", "send-out-of-memory.bin", transfer(IMAGE_TO_UNIT, IMAGE, [NO_MEMORY]))
write("block_transfer", "send-waiting-for-ready.bin", transfer(IMAGE_TO_UNIT, 200, [ACK, 0x33]))


# Answer waits: byte 0 sets the time-out (bits 0-3, tenths of a second; bit 4 the line already at
# the online speed; bit 5 breaks the line at the read byte 1 counts), then the unit's bytes. Each
# byte that comes takes a millisecond of the wait.
ANSWER = 0xA6
ONLINE_SPEED, BREAKS = 0x10, 0x20


def waits(mode, answers, break_at=0):
    return bytes([mode, break_at]) + bytes(answers)


write("answer_waits", "heard.bin", waits(10, [ANSWER]))
write("answer_waits", "heard-after-junk.bin", waits(10, b"AB\x00\xff" + bytes([ANSWER])))
write("answer_waits", "silent.bin", waits(10, b""))
write("answer_waits", "heard-second-try.bin", waits(1, [0x55] * 100 + [ANSWER]))
write("answer_waits", "silent-at-online-speed.bin",
      waits(1 | ONLINE_SPEED, [0x55] * 100 + [ANSWER]))
write("answer_waits", "heard-at-disconnect.bin", waits(1, [0x55] * 200 + [ANSWER]))
write("answer_waits", "line-breaks.bin", waits(10 | BREAKS, b"ABCD", break_at=3))
write("answer_waits", "line-breaks-at-once.bin", waits(10 | BREAKS, [ANSWER], break_at=0))
write("answer_waits", "no-time-to-wait.bin", waits(0, [ANSWER]))


# Status texts: what the unit sends for its status, as it is.
write("status_text", "ready.txt", b"READY\r\nChannel 3\r\n")
write("status_text", "latin1.txt", "Señal: 87% ñáéíóú ÿ".encode("latin-1"))
write("status_text", "escape-sequence.txt", b"\x1b[2J\x1b]0;title\x07done\r\n")
write("status_text", "c1-controls.txt", b"\x9b31m\x85\x7f\x80\x9f")
write("status_text", "lone-returns.txt", b"a\rb\r\r\nc\n\rd\r")
write("status_text", "tabs-and-nul.txt", b"A\tB\x00C\x1e")
write("status_text", "empty.txt", b"")


# Settings files: the INI file the console reads, as QSettings writes it.
def frame(left, top, right, bottom):
    raw = struct.pack("<4i", left, top, right, bottom)
    return ("@ByteArray(" + "".join("\\x%02x" % b for b in raw) + ")").encode()


def settings(*lines):
    return b"\n".join(lines) + b"\n"


write("settings", "good.conf", settings(
    b"[Settings]", b"ComPort=COM3", b"BaudRate=9600", b"DataBits=8", b"Parity=0", b"StopBits=0",
    b"WndPos=" + frame(40, 50, 740, 570)))
write("settings", "empty.conf", b"")
write("settings", "unusable-baud.conf", settings(b"[Settings]", b"BaudRate=12345", b"DataBits=9"))
write("settings", "unusable-numbers.conf", settings(
    b"[Settings]", b"BaudRate=-1", b"DataBits=x", b"Parity=5", b"StopBits=99999999999999999999"))
write("settings", "keep-port-rate.conf", settings(b"[Settings]", b"BaudRate=0", b"StopBits=2"))
write("settings", "port-path.conf", settings(b"[Settings]", b"ComPort=build/demo/../unit"))
write("settings", "port-bare.conf", settings(b"[Settings]", b"ComPort=\" ttyUSB0: \""))
write("settings", "port-list.conf", settings(b"[Settings]", b"ComPort=COM1, COM2"))
write("settings", "frame-inside-out.conf",
      settings(b"[Settings]", b"WndPos=" + frame(700, 500, 40, 50)))
write("settings", "frame-extremes.conf",
      settings(b"[Settings]", b"WndPos=" + frame(-2**31, -2**31, 2**31 - 1, 2**31 - 1)))
write("settings", "frame-short.conf", settings(b"[Settings]", b"WndPos=@ByteArray(abc)"))
write("settings", "frame-as-text.conf", settings(b"[Settings]", b"WndPos=40 50 740 570"))
write("settings", "other-sections.conf", settings(
    b"[Patron]", b"WndPos=" + frame(1, 2, 3, 4), b"[General]", b"BaudRate=300",
    b"[Settings]", b"BaudRate=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x12)", b"Parity=@Invalid()"))


# WAV files: the voice prompt update takes the body of the first "data" chunk.
def chunk(cid, body, pad=True):
    return cid + struct.pack("<I", len(body)) + body + (b"\0" if pad and len(body) % 2 else b"")


def riff(body):
    return b"RIFF" + struct.pack("<I", 4 + len(body)) + b"WAVE" + body


fmt = chunk(b"fmt ", struct.pack("<HHIIHH", 1, 1, 8000, 8000, 1, 8))
write("wav", "plain.wav", riff(fmt + chunk(b"data", bytes(range(40)))))
write("wav", "list-first.wav", riff(fmt + chunk(b"LIST", b"INFOISFT\x03\0\0\0abc") + chunk(b"data", b"xyz")))
write("wav", "odd-chunk.wav", riff(chunk(b"junk", b"abc") + chunk(b"data", b"ab")))
write("wav", "empty-data.wav", riff(fmt + chunk(b"data", b"")))
write("wav", "short-data.wav", riff(fmt) + b"data" + struct.pack("<I", 1000) + b"abc")
write("wav", "huge-chunk.wav", riff(b"LIST" + struct.pack("<I", 0xFFFFFFF0) + chunk(b"data", b"ab")))
write("wav", "no-data.wav", riff(fmt))
write("wav", "not-riff.wav", b"RIFX" + riff(fmt)[4:])


# Firmware HEX files: the records go to the boot loader one per line; blank lines are passed over.
def hex_record(address, rtype, payload):
    body = bytes([len(payload), address >> 8, address & 0xFF, rtype]) + payload
    return b":" + (body + bytes([(-sum(body)) & 0xFF])).hex().upper().encode()


records = [hex_record(16 * i, 0, bytes(range(16 * i, 16 * i + 16))) for i in range(3)]
end = hex_record(0, 1, b"")
write("hex", "plain.hex", b"\n".join(records + [end]) + b"\n")
write("hex", "crlf.hex", b"\r\n".join(records + [end]) + b"\r\n")
write("hex", "no-end.hex", b"\n".join(records) + b"\n")
write("hex", "blank-lines.hex", b"\n\n".join(records) + b"\n  \t\n" + end)
write("hex", "empty.hex", b"")
write("hex", "only-blank.hex", b"\n \r\n\t\n")
write("hex", "nul.hex", records[0][:9] + b"\0" + records[0][9:] + b"\n" + end + b"\n")
write("hex", "long-line.hex", b":" + b"0" * 1500 + b"\n" + end)
write("hex", "cr-inside.hex", records[0] + b"\rX\n" + end)


# SNPP conversations: the first byte chooses a login from afar (bit 0) and how the pages end.
def snpp(name, choice, *lines):
    write("snpp", name, bytes([choice]) + b"".join(line + b"\r\n" for line in lines))


snpp("page.snpp", 0, b"PAGE 12", b"PAGE 7", b"MESS Table 4 is ready", b"SEND", b"QUIT")
snpp("data.snpp", 0, b"page 3", b"DATA", b"Kitchen", b"..5 minutes", b"", b".", b"SUBJ Bar", b"SEND")
snpp("login.snpp", 1, b"PAGE 2", b"LOGI desk wrong", b"LOGI desk secret", b"PAGE 2", b"MESS x", b"SEND")
snpp("guessing.snpp", 1, b"LOGI desk a", b"LOGI desk b", b"LOGI desk c", b"PAGE 2")
snpp("failed.snpp", 4, b"PAGE 1", b"PAGE 2", b"MESS x", b"SEND", b"RESE", b"SEND")
snpp("level2.snpp", 0, b"HELP", b"LEVE 1", b"LEVE 5", b"ALER 1", b"ALER 0", b"HOLD 261211120000",
     b"COVE 2", b"CALL 555", b"2WAY", b"PING 3")
snpp("refused.snpp", 0, b"PAGE 13", b"PAGE 0", b"PAGE 12 pin", b"MESS " + b"a" * 201,
     b"MESS caf\xc3\xa9 \xe2\x82\xac", b"MESS caf\xe9", b"MESS again")
snpp("binary.snpp", 0, b"PAGE 1", b"MESS a\x00b", b"SEND")
snpp("long-line.snpp", 0, b"MESS " + b"a" * 1100)
# HTTP page requests: JSON bodies as a site's system sends them to POST /pages.
write("page_json", "one.json", b'{"to": 12, "text": "Table 4 is ready"}')
write("page_json", "list.json", b'{"to": [12, 40, 9999], "text": "Kitchen:\\nplates"}')
write("page_json", "escapes.json", b'{"text": "caf\\u00e9 \\"x\\" \\ud83d\\ude00 \\u001e", "to": [1]}')
write("page_json", "wrong-types.json", b'{"to": "12", "text": 4}')
write("page_json", "out-of-range.json", b'{"to": [0, 10000, -1, 12.5, 1e300], "text": ""}')
write("page_json", "unknown-field.json", b'{"to": 1, "text": "x", "from": null}')
write("page_json", "nested.json", b'{"to": [[[[1]]]], "text": {"a": [true, false, null]}}')
write("page_json", "duplicate-keys.json", b'{"to": 1, "to": [2], "text": "a", "text": "b"}')
write("page_json", "not-an-object.json", b'[{"to": 1, "text": "x"}]')
write("page_json", "cut-short.json", b'{"to": [12, 4')
write("page_json", "latin1-bytes.json", b'{"to": 1, "text": "se\xf1al"}')
write("page_json", "empty.json", b"")
