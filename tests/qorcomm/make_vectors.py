#!/usr/bin/env python3
"""Prints the test vectors pasted into wiegand_test.cpp and frame_test.cpp.

Worked from PROTOCOL.md's tables alone, the Wiegand frames bit by bit on
lists, so the vectors share nothing with the library's shifts and masks.
Rerun and compare when a table changes; the tests do not run this.
"""

IDS = [0x0000000000, 0xFFFFFFFFFF, 0x5A3C96F00F]


def bits_of(value, width):
    return [(value >> (width - 1 - i)) & 1 for i in range(width)]


def number(bits):
    n = 0
    for b in bits:
        n = n * 2 + b
    return n


def parity_frame(card_id, data_bits, even_span, odd_span):
    data = bits_of(card_id & ((1 << data_bits) - 1), data_bits)
    frame = [0] + data + [0]
    even = sum(frame[even_span[0]:even_span[1] + 1]) % 2          # makes ones even
    odd = 1 - sum(frame[odd_span[0]:odd_span[1] + 1]) % 2         # makes ones odd
    frame[0] = even
    frame[-1] = odd
    return frame, data


def check_frame(card_id):
    data = bits_of(card_id, 40)
    check = [0, 0, 0, 0]
    for g in range(10):
        check = [c ^ d for c, d in zip(check, data[4 * g:4 * g + 4])]
    return data + check, data


def frames(card_id):
    return [
        parity_frame(card_id, 24, (1, 12), (13, 24)),
        parity_frame(card_id, 34, (1, 17), (18, 34)),
        check_frame(card_id),
        parity_frame(card_id, 32, (1, 16), (17, 32)),
    ]


def frame_bytes(frame):
    padded = frame + [0] * (-len(frame) % 8)
    return [number(padded[i:i + 8]) for i in range(0, len(padded), 8)]


def numbers(frame, data):
    out = ["TOO_WIDE" if len(frame) > 40 else "%010X" % number(frame), "%010X" % number(data)]
    for nbytes in (2, 3, 4, 5):
        out.append("%010X" % number(data[-8 * nbytes:]))
    return out


for card_id in IDS:
    for card_type, (frame, data) in enumerate(frames(card_id)):
        hexbytes = ", ".join("0x%02X" % b for b in frame_bytes(frame))
        nums = ", ".join('"%s"' % n for n in numbers(frame, data))
        print("{0x%010X, %d, {%s}, {%s}}," % (card_id, card_type, hexbytes, nums))


def crc16_ccitt_false(data):
    crc = 0xFFFF
    for byte in data:
        crc ^= byte << 8
        for _ in range(8):
            crc = ((crc << 1) ^ 0x1021 if crc & 0x8000 else crc << 1) & 0xFFFF
    return crc


def frame(seq, cmd, payload):
    body = [seq, cmd, len(payload)] + payload
    crc = crc16_ccitt_false(body)
    return [0x02] + body + [crc >> 8, crc & 0xFF, 0x03]


print()
print("check value %04X" % crc16_ccitt_false(b"123456789"))
for name, args in [
    ("kRequest", (0x01, 0x52, [0x00])),
    ("kCard26", (0x01, 0xD2, [0x00, 26] + frame_bytes(frames(0x5A3C96F00F)[0][0]))),
    ("kNoCard", (0x01, 0xD2, [0x01])),
]:
    print("%s = {%s};" % (name, ", ".join("0x%02X" % b for b in frame(*args))))
