#!/usr/bin/env python3
"""Writes the seed corpus of the convert fuzzers into fuzz/corpus/seeds/.

Each seed is laid out as fuzz/convert_harness.h decodes it. Run from anywhere; the files are
committed, so this is only needed after changing the list below.
"""

import pathlib
import random
import shutil

OUT = pathlib.Path(__file__).resolve().parent / "corpus" / "seeds"
DIGITS = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"

RAW, DIGIT, FOREIGN = 0, 1, 2
FOREIGN_UNITS = [ord(c) for c in "/:@[`{ -+.,_"] + [
    0x0000, 0x007F, 0x00B2, 0x00B9, 0x00DF, 0x0130, 0x0131, 0x017F, 0x0660, 0x0966,
    0x2170, 0x212A, 0xFF10, 0xFF21, 0xFF41, 0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xFFFF]


def seed(units, from_base, to_base, mode=DIGIT, raw_bases=False, repeat=None):
    """units: a str, or a list of code units (ints) for raw mode."""
    head = mode | (0 if raw_bases else 0x04) | (0x60 if repeat is not None else 0)
    data = bytearray([head])
    data += bytes([from_base, to_base]) if raw_bases else bytes([from_base - 2, to_base - 2])
    if repeat is not None:
        data += repeat.to_bytes(2, "little")
    if isinstance(units, str):
        units = [ord(c) for c in units]
    for u in units:
        if mode == RAW:
            data += u.to_bytes(2, "little")
        elif u in FOREIGN_UNITS and chr(u).upper() not in DIGITS:
            assert mode == FOREIGN
            data.append(0xE0 | FOREIGN_UNITS.index(u))
        else:
            c = chr(u)
            data.append(DIGITS.index(c.upper()) | (0x80 if c.islower() else 0))
    return bytes(data)


def to_base(value, base):
    out = ""
    while True:
        value, r = divmod(value, base)
        out = DIGITS[r] + out
        if value == 0:
            return out


def main():
    rng = random.Random(20240601)
    seeds = {}

    # Documented behaviour of the routine.
    for name, text, f, t in [
        ("ff", "255", 10, 16), ("lower", "ff", 16, 10), ("mixed", "Ff", 16, 10),
        ("4096", "4096", 10, 16), ("ten", "10", 16, 10), ("ffff", "65535", 10, 16),
        ("zz", "zz", 36, 10), ("zero", "0", 10, 16), ("zeros", "0000", 16, 10),
        ("leading", "007F", 16, 10), ("2pow53m1", "9007199254740991", 10, 16),
        ("2pow53m1_hex", "1FFFFFFFFFFFFF", 16, 10), ("2pow53p1", "9007199254740993", 10, 16),
        ("2e308", "2" + "0" * 308, 10, 16), ("base2", "1011", 2, 36), ("same", "00z", 36, 36),
    ]:
        seeds[f"doc_{name}"] = seed(text, f, t)
    for name, text, f, t in [
        ("empty", "", 10, 16), ("12a", "12a", 10, 16), ("1g", "1G", 16, 10),
        ("space", " 12", 10, 16), ("minus", "-5", 10, 16), ("point", "1.5", 10, 16),
        ("plus", "+7", 10, 16), ("fullwidth", "\uff11\uff12", 10, 16),
        ("long_s", "\u017f", 36, 10), ("kelvin", "\u212a", 36, 10),
    ]:
        seeds[f"invalid_{name}"] = seed(text, f, t, mode=RAW)
    seeds["invalid_lone_high"] = seed([0x31, 0xD800, 0x32], 10, 16, mode=RAW)
    seeds["invalid_lone_low"] = seed([0xDC00], 16, 10, mode=RAW)
    seeds["invalid_odd_bytes"] = seed("12", 10, 16, mode=RAW) + b"\x33"
    seeds["invalid_late"] = seed([ord("9")] * 500 + [0xFF10], 10, 16, mode=FOREIGN)
    for f, t in [(1, 16), (37, 16), (255, 16), (10, 0), (10, 1), (10, 37), (10, 255), (0, 0)]:
        seeds[f"bases_{f}_{t}"] = seed("11", f, t, raw_bases=True)
    seeds["bases_1_long"] = seed("7", 10, 1, raw_bases=True, repeat=32768)

    # Length limit: the last accepted length, the first rejected one, and a rejected numeral
    # whose first character is invalid.
    seeds["length_32767"] = seed("1", 10, 16, repeat=32767)
    seeds["length_32768"] = seed("1", 10, 16, repeat=32768)
    seeds["length_32768_invalid"] = seed("-", 10, 16, mode=FOREIGN, repeat=32768)
    seeds["length_32767_zeros"] = seed("0", 16, 10, repeat=32767)

    # Limb and chunk boundaries: 2^64k - 1, 2^64k, 2^64k + 1, and b^n - 1, b^n for the largest
    # power b^n of each base that fits 64 bits.
    for k in (1, 2, 3, 4):
        for delta in (-1, 0, 1):
            v = 2 ** (64 * k) + delta
            for f, t in [(10, 16), (16, 10), (2, 10), (36, 7)]:
                seeds[f"limb{k}_{delta:+d}_{f}_{t}"] = seed(to_base(v, f), f, t)
    for b in range(2, 37):
        n = 1
        while b ** (n + 1) < 2 ** 64:
            n += 1
        for delta in (-1, 0):
            v = b ** n + delta
            seeds[f"chunk_{b}_{delta:+d}"] = seed(to_base(v, b), b, 10 if b != 10 else 3)

    # Long numerals, for the fast paths of the arithmetic.
    for f, t, n in [(10, 16, 4000), (16, 10, 3000), (36, 2, 1000), (2, 36, 8000), (7, 10, 2500),
                    (10, 3, 1200)]:
        text = DIGITS[rng.randrange(1, f)] + "".join(DIGITS[rng.randrange(f)] for _ in range(n - 1))
        seeds[f"long_{f}_{t}_{n}"] = seed(text, f, t)
    seeds["long_zeros_then_one"] = seed("0" * 3000 + "1", 10, 16)
    seeds["long_power"] = seed("1" + "0" * 5000, 10, 16)
    seeds["long_max_hex"] = seed("F", 16, 10, repeat=20000)
    seeds["long_max_dec"] = seed("9", 10, 16, repeat=9000)
    seeds["long_over_limit_result"] = seed("Z", 36, 2, repeat=15000)
    seeds["long_pattern"] = seed("1234567890ABCDEF", 16, 36, repeat=16384)

    if OUT.exists():
        shutil.rmtree(OUT)
    OUT.mkdir(parents=True)
    for name, data in sorted(seeds.items()):
        (OUT / name).write_bytes(data)
    print(f"{len(seeds)} seeds, {sum(map(len, seeds.values()))} bytes in {OUT}")


if __name__ == "__main__":
    main()
