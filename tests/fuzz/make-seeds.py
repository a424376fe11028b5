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
