"""Writes the smallest hive other tools can fill: a header, one 4 KiB bin, a root key and its security cell."""
import struct


def _cell(body):
    size = (len(body) + 4 + 7) & ~7
    return struct.pack('<i', -size) + body + b'\0' * (size - 4 - len(body))


def empty_hive(root_name=b'ROOT'):
    root_at, sk_at = 0x20, 0x20 + ((0x4C + len(root_name) + 4 + 7) & ~7)
    descriptor = struct.pack('<BBHIIII', 1, 0, 0x8000, 0, 0, 0, 0)
    nk = struct.pack('<2sHQ15IHH', b'nk', 0x2C, 0, 0, 0xFFFFFFFF, 0, 0, 0xFFFFFFFF, 0xFFFFFFFF, 0,
                     0xFFFFFFFF, sk_at, 0xFFFFFFFF, 0, 0, 0, 0, 0, len(root_name), 0) + root_name
    sk = struct.pack('<2sHIIII', b'sk', 0, sk_at, sk_at, 1, len(descriptor)) + descriptor
    cells = _cell(nk) + _cell(sk)
    free = 4096 - 0x20 - len(cells)
    hbin = struct.pack('<4sIIQQI', b'hbin', 0, 4096, 0, 0, 0) + cells + struct.pack('<i', free) + b'\0' * (free - 4)
    base = bytearray(4096)
    struct.pack_into('<4sIIQIIIIIII', base, 0, b'regf', 1, 1, 0, 1, 5, 0, 1, root_at, 4096, 1)
    checksum = 0
    for (word,) in struct.iter_unpack('<I', bytes(base[:0x1FC])):
        checksum ^= word
    struct.pack_into('<I', base, 0x1FC, checksum)
    return bytes(base) + hbin
