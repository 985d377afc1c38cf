#!/usr/bin/env python3
"""Checks the program's number texts against Python's decimal arithmetic.

usage: number_oracle.py TOOL COUNT [SEED]

Makes COUNT doubles over the whole range (random bit patterns, decimals as people type them,
halves at the second and fourth place, their neighbours, integers up to 2**63, the special
values), has TOOL (tests/query/number_texts.cpp) print its texts of each, and computes each text
independently:

- general text: the exact binary value rounded to 15 significant digits, ties to even; plain
  digits with "," when the point lies from 3 places left of the first digit to 15 right of it,
  otherwise d,dddE±x; INF, -INF, NAN;
- pictures (TXT " ### ### ##0.00" right-aligned in 15, CSV "########0.00" in 12, the report's
  "### ### ##0.00" and "##0.0000" unpadded, the grid's picture with as many groups as needed in
  15): the value's shortest decimal (repr) rounded to the picture's places, ties to even, no
  negative zero; "#" an optional digit, "0" a required one, digits beyond the places in the first
  place, the picture's leading blanks dropped, a negative as "-" and its digits without blanks.

Prints the first mismatches and exits 1 when there are any.
"""
import math
import random
import struct
import subprocess
import sys
from decimal import Decimal, ROUND_HALF_EVEN, getcontext

getcontext().prec = 2000


def bits_of(x):
    return struct.unpack('<Q', struct.pack('<d', x))[0]


def values(count, seed):
    rng = random.Random(seed)
    special = [0.0, -0.0, math.inf, -math.inf, math.nan, 5e-324, -5e-324, 2.2250738585072014e-308,
               1.7976931348623157e308, -1.7976931348623157e308, 0.005, 0.015, 0.125, -0.125, 1.00495,
               2.344999, -0.004, 9.995, 1e15, -1e15, 9.3e14, 922337203685477.58, 9223372036854775807.0,
               2.0 ** 53 + 2, 1000000000000005.0, 0.1 + 0.2, 1e-7, -5000000000.25, 1001364922.32]
    out = list(special)
    while len(out) < count:
        kind = rng.randrange(7)
        if kind == 0:  # any double
            x = struct.unpack('<d', struct.pack('<Q', rng.getrandbits(64)))[0]
        elif kind == 1:  # a decimal as typed: up to 17 digits, a point anywhere near
            digits = rng.randrange(1, 18)
            x = float(Decimal(rng.randrange(10 ** digits)).scaleb(-rng.randrange(0, 12)))
        elif kind == 2:  # halves at the second or fourth place: ties
            places = rng.choice((2, 4))
            x = float(Decimal(rng.randrange(10 ** rng.randrange(1, 14))).scaleb(-places) + Decimal(5).scaleb(-places - 1))
        elif kind == 3:  # a neighbour of a tie
            x = float(Decimal(rng.randrange(10 ** 9)).scaleb(-2) + Decimal('0.005'))
            x = math.nextafter(x, rng.choice((math.inf, -math.inf)))
        elif kind == 4:  # integers, as large as 64 bits go
            x = float(rng.randrange(-2 ** 63, 2 ** 63) >> rng.randrange(0, 63))
        elif kind == 5:  # amounts of every magnitude
            x = rng.uniform(-1, 1) * 10.0 ** rng.randrange(-8, 22)
        else:  # exact binary ties at 15 digits and beyond: integers of 16 digits ending in 5
            x = float(rng.randrange(10 ** 14, 9 * 10 ** 14) * 10 + 5)
        if rng.random() < 0.5:
            x = -x
        out.append(x)
    return out[:count]


def general(x):
    if math.isnan(x):
        return 'NAN'
    if math.isinf(x):
        return 'INF' if x > 0 else '-INF'
    if x == 0:
        return '0'
    d = Decimal(x)
    sign = '-' if d < 0 else ''
    d = abs(d)
    r = d.quantize(Decimal(1).scaleb(d.adjusted() - 14), rounding=ROUND_HALF_EVEN)
    exponent = r.adjusted()
    digits = ''.join(map(str, r.as_tuple().digits)).strip('0')
    point = exponent + 1
    if point > 15 or point < -3:
        text = digits[0] + (',' + digits[1:] if len(digits) > 1 else '') + 'E' + str(exponent)
    elif point <= 0:
        text = '0,' + '0' * -point + digits
    elif point >= len(digits):
        text = digits + '0' * (point - len(digits))
    else:
        text = digits[:point] + ',' + digits[point:]
    return sign + text


def in_picture(picture, x):
    if not math.isfinite(x):
        return general(x)
    point = picture.find('.')
    int_end = point if point >= 0 else len(picture)
    frac_places = sum(1 for c in picture[int_end:] if c in '0#')
    int_places = sum(1 for c in picture[:int_end] if c in '0#')
    r = Decimal(repr(x)).quantize(Decimal(1).scaleb(-frac_places), rounding=ROUND_HALF_EVEN)
    negative = r < 0
    r = abs(r)
    whole = int(r)
    int_digits = str(whole) if whole > 0 else ''
    frac = str(r - whole)[2:] if frac_places and r != whole else ''
    frac = (frac + '0' * frac_places)[:frac_places]
    significant = len(frac.rstrip('0'))
    keep = 0
    place = 0
    for c in picture[int_end:]:
        if c in '0#':
            if c == '0' or place < significant:
                keep = place + 1
            place += 1
    out = ''
    if int_places == 0:
        out += int_digits
    padded = int_digits.rjust(int_places, ' ')  # blanks stand for the missing leading digits
    extra = int_digits[:-int_places] if len(int_digits) > int_places else ''
    int_place = 0
    frac_place = 0
    first = True
    for i, c in enumerate(picture):
        if i == point:
            if keep:
                out += ','
            continue
        if c not in '0#':
            out += c
            continue
        if i < int_end:
            if first:
                out += extra
                first = False
            digit = padded[len(padded) - int_places + int_place]
            if digit != ' ':
                out += digit
            elif c == '0':
                out += '0'
            int_place += 1
        else:
            if frac_place < keep:
                out += frac[frac_place]
            frac_place += 1
    if negative:
        return '-' + out.replace(' ', '')
    return out.lstrip(' ')


def grid(x):
    if x == 0:
        return ''
    if not math.isfinite(x) or abs(x) >= 1e15:
        return general(x).rjust(15)
    digits = len(str(int(abs(Decimal(repr(x)).quantize(Decimal('0.01'), rounding=ROUND_HALF_EVEN)))))
    picture = ' ### ### ##0.00'
    while digits > 9:
        picture = ' ###' + picture
        digits -= 3
    return in_picture(picture, x).rjust(15)


def expected(x):
    return '\t'.join([general(x), in_picture(' ### ### ##0.00', x).rjust(15), in_picture('########0.00', x).rjust(12),
                      in_picture('### ### ##0.00', x), in_picture('##0.0000', x), grid(x)])


def main():
    tool, count = sys.argv[1], int(sys.argv[2])
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    xs = values(count, seed)
    given = ''.join('%016x\n' % bits_of(x) for x in xs)
    result = subprocess.run([tool], input=given.encode(), stdout=subprocess.PIPE, check=True)
    lines = result.stdout.decode('utf-8').split('\n')
    bad = 0
    for x, line in zip(xs, lines):
        want = expected(x)
        if line != want:
            bad += 1
            if bad <= 20:
                print('%r:\n  program %r\n  oracle  %r' % (x, line, want))
    if len(lines) < len(xs):
        print('the program gave %d lines for %d values' % (len(lines), len(xs)))
        bad += 1
    print('%d values, %d mismatches' % (len(xs), bad))
    return 1 if bad else 0


if __name__ == '__main__':
    sys.exit(main())
