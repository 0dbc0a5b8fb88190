#!/usr/bin/env python3
"""A small patcher of its own, to check the editor's patches with code that shares nothing with it.

    apply_patch.py FILE PATCH OUT

Applies a BPS or IPS patch (told by its first bytes) to FILE and writes the result to OUT. As players' patchers
do, a BPS patch applied to a file of 512 bytes more than a whole number of 32 KiB goes to the file without its
first 512 bytes, which are put back in front of the result; only when the patch was not made for that does it
go to the whole file. Prints what it did ("bps without header", "bps whole file", "ips"); exits 1 with the
reason on stderr when the patch does not apply, each of the three BPS checksums included.
"""
import sys
import zlib


class PatchError(Exception):
    pass


def read_number(patch, pos, end):
    value, shift = 0, 1
    while True:
        if pos >= end:
            raise PatchError("number runs past the actions")
        x = patch[pos]
        pos += 1
        value += (x & 0x7F) * shift
        if x & 0x80:
            return value, pos
        shift <<= 7
        value += shift


def apply_bps(patch, source):
    if patch[:4] != b"BPS1":
        raise PatchError("not a BPS patch")
    if len(patch) < 19:
        raise PatchError("patch too short")
    end = len(patch) - 12
    source_crc, target_crc, patch_crc = (int.from_bytes(patch[end + 4 * i:end + 4 * i + 4], "little")
                                         for i in range(3))
    if zlib.crc32(patch[:-4]) != patch_crc:
        raise PatchError("patch checksum wrong")
    pos = 4
    source_size, pos = read_number(patch, pos, end)
    target_size, pos = read_number(patch, pos, end)
    metadata_size, pos = read_number(patch, pos, end)
    pos += metadata_size
    if source_size != len(source):
        raise PatchError(f"made for {source_size} bytes, the file has {len(source)}")
    if zlib.crc32(source) != source_crc:
        raise PatchError("source checksum wrong")
    out = bytearray()
    source_cursor = target_cursor = 0
    while pos < end:
        data, pos = read_number(patch, pos, end)
        command, length = data & 3, (data >> 2) + 1
        if command == 0:
            out += source[len(out):len(out) + length]
        elif command == 1:
            out += patch[pos:pos + length]
            pos += length
        else:
            move, pos = read_number(patch, pos, end)
            move = -(move >> 1) if move & 1 else move >> 1
            if command == 2:
                source_cursor += move
                if source_cursor < 0:
                    raise PatchError("source copy before the start")
                out += source[source_cursor:source_cursor + length]
                source_cursor += length
            else:
                target_cursor += move
                if not 0 <= target_cursor < len(out):
                    raise PatchError("target copy outside what is written")
                for _ in range(length):
                    out.append(out[target_cursor])
                    target_cursor += 1
        if len(out) > target_size:
            raise PatchError("actions write past the target size")
    if len(out) != target_size:
        raise PatchError(f"actions wrote {len(out)} bytes of {target_size}")
    if zlib.crc32(out) != target_crc:
        raise PatchError("target checksum wrong")
    return bytes(out)


def apply_ips(patch, source):
    if patch[:5] != b"PATCH":
        raise PatchError("not an IPS patch")
    out = bytearray(source)
    pos = 5
    while patch[pos:pos + 3] != b"EOF":
        if pos + 5 > len(patch):
            raise PatchError("no EOF")
        offset = int.from_bytes(patch[pos:pos + 3], "big")
        size = int.from_bytes(patch[pos + 3:pos + 5], "big")
        pos += 5
        if size == 0:
            count = int.from_bytes(patch[pos:pos + 2], "big")
            data = patch[pos + 2:pos + 3] * count
            pos += 3
        else:
            data = patch[pos:pos + size]
            pos += size
        if len(data) == 0 or len(data) != (count if size == 0 else size):
            raise PatchError("record cut short")
        if len(out) < offset + len(data):
            out.extend(bytes(offset + len(data) - len(out)))
        out[offset:offset + len(data)] = data
    if pos + 3 != len(patch):
        raise PatchError("bytes after EOF")
    return bytes(out)


def main(argv):
    if len(argv) != 4:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    with open(argv[1], "rb") as f:
        original = f.read()
    with open(argv[2], "rb") as f:
        patch = f.read()
    try:
        if patch[:4] != b"BPS1":
            result, how = apply_ips(patch, original), "ips"
        elif len(original) % 32768 != 512:
            result, how = apply_bps(patch, original), "bps whole file"
        else:
            try:
                result, how = original[:512] + apply_bps(patch, original[512:]), "bps without header"
            except PatchError as headerless:
                try:
                    result, how = apply_bps(patch, original), "bps whole file"
                except PatchError as whole:
                    raise PatchError(f"without header: {headerless}; whole file: {whole}")
    except PatchError as error:
        print(error, file=sys.stderr)
        return 1
    with open(argv[3], "wb") as f:
        f.write(result)
    print(how)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
