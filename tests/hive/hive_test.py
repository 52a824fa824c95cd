#!/usr/bin/env python3
"""Hive files searched by quillon-find, checked against another reader of the format.

Hives are written by hivexregedit from .reg texts (every type, odd names, deep and wide trees, big values,
and one hive whose big value is rewritten as a big-data record); an all-items search of each, exported as a
registry script, must give exactly the values hivexregedit exports from the same file, and a key-name
search every key. Damaged files must exit with 5 naming the file and the damage. Last, the reader is built
with the host compiler and sanitizers and reads thousands of mutations of these hives.

usage: hive_test.py SOURCE_DIR BUILD_DIR QUILLON_FIND_EXE
"""
import os, random, re, shutil, struct, subprocess, sys, tempfile
sys.path.insert(0, os.path.dirname(__file__))
from empty_hive import empty_hive

SOURCE, BUILD, FIND = sys.argv[1:4]
ENV = dict(os.environ, PERL_UNICODE='SDA')
failures = []


def wine_path(path):
    return 'Z:' + os.path.abspath(path).replace('/', '\\')


def run_find(*args):
    return subprocess.run([os.path.join(SOURCE, 'tools/wine-run'), os.path.join(BUILD, 'wineprefix'), FIND, *args],
                          capture_output=True, timeout=120)


def hexbytes(data):
    return ','.join('%02x' % b for b in data)


def value_line(name, kind, data):
    left = '@' if name is None else '"%s"' % name.replace('\\', '\\\\').replace('"', '\\"')
    return '%s=hex(%x):%s' % (left, kind, hexbytes(data))


def sz(text):
    return (text + '\0').encode('utf-16-le')


def tree_text(wide):
    """Keys as {path: [(name, type, data)]}: each case of the file format the reader has to get right."""
    keys = {'Types': [('none', 0, b'\1\2'), ('sz', 1, sz('hello')), ('expand', 2, sz('%PATH%;x')),
                      ('binary', 3, bytes(range(7))), ('dword', 4, b'\x2a\0\0\0'), ('big endian', 5, b'\0\0\0\x2a'),
                      ('link', 6, 'X'.encode('utf-16-le')), ('multi', 7, sz('a') + sz('bc') + b'\0\0'),
                      ('qword', 11, struct.pack('<Q', 1 << 40)), ('unknown', 0x123456, b'odd'),
                      ('empty', 3, b''), ('three', 3, b'abc'), (None, 1, sz('default'))],
            'Odd names \u00e9\u00df': [('quote " and \\ backslash', 1, sz('x')), ('\u65e5\u672c\u8a9e', 1, sz('\u6587')),
                                       ('=equals=', 4, b'\1\0\0\0'), ('Latin-1 \u00fc\u00ff', 1, sz('\u00e4'))],
            'Odd names \u00e9\u00df\\\u65e5\u672c key': [('v', 1, sz('w'))],
            'Big': [('just one segment', 3, bytes([7]) * 16344), ('one more', 3, bytes(range(256)) * 64 + b'!'),
                    ('huge', 3, random.Random(1).randbytes(100000))]}
    path = 'Deep'
    for level in range(40):
        path += '\\L%d' % level
        keys[path] = [('level', 4, struct.pack('<I', level))] if level % 10 == 9 else []
    for i in range(wide):
        keys['Wide\\key %04d' % i] = [('n', 4, struct.pack('<I', i))] if i % 100 == 0 else []
    return keys


def reg_text(keys):
    lines = ['Windows Registry Editor Version 5.00', '']
    for path in sorted(keys, key=lambda p: p.lower()):
        parts = path.split('\\')
        for depth in range(1, len(parts)):  # every parent must be listed before its children
            parent = '\\'.join(parts[:depth])
            if parent not in keys:
                keys[parent] = []
    for path in sorted(keys, key=lambda p: [c.lower() for c in p.split('\\')]):
        lines += ['[\\%s]' % path] + [value_line(*v) for v in keys[path]] + ['']
    return '\n'.join(lines) + '\n'


def parse_reg(text, prefix):
    """{(key, value name): (type, data)} and the set of keys of a registry script; REG_SZ data as text."""
    text = re.sub(r'\\\r?\n\s*', '', text.replace('\r\n', '\n'))
    values, keys, key = {}, set(), None
    for line in text.split('\n'):
        if line.startswith('['):
            key = line[1:-1][len(prefix):].strip('\\').lower()
            keys.add(key)
            continue
        m = re.match(r'^(@|"((?:[^"\\]|\\.)*)")=(.*)$', line)
        if not m:
            continue
        name = None if m.group(1) == '@' else re.sub(r'\\(.)', r'\1', m.group(2))
        data = m.group(3)
        if data.startswith('"'):
            kind, raw = 1, sz(re.sub(r'\\(.)', r'\1', data[1:-1]))
        elif data.startswith('dword:'):
            kind, raw = 4, struct.pack('<I', int(data[6:], 16))
        else:
            m2 = re.match(r'hex(?:\(([0-9a-f]+)\))?:(.*)', data)
            kind = int(m2.group(1), 16) if m2.group(1) else 3
            raw = bytes(int(b, 16) for b in m2.group(2).split(',') if b)
        if kind == 1:
            raw = raw.decode('utf-16-le').rstrip('\0')
        values[(key, name or '')] = (kind, raw)
    return values, keys


def to_big_data_record(hive):
    """The hive with its one value over 16,344 bytes in a single cell rewritten as a big-data record: segments
    and their list in a new bin at the end, the value pointing at a "db" cell there."""
    data = bytearray(hive)
    bins = struct.unpack_from('<I', data, 0x28)[0]
    for at in range(0x1020, len(data) - 0x18, 8):
        if data[at + 4:at + 6] == b'vk' and struct.unpack_from('<I', data, at + 8)[0] == 100000:
            vk = at
    old = struct.unpack_from('<I', data, vk + 12)[0] + 0x1004
    payload = bytes(data[old:old + 100000])
    segments = [payload[i:i + 16344] for i in range(0, len(payload), 16344)]
    cells, offsets = b'', []
    for body in segments + [b'', b'']:
        offsets.append(bins + 0x20 + len(cells))
        if body == b'' and len(offsets) == len(segments) + 1:
            body = b''.join(struct.pack('<I', o) for o in offsets[:len(segments)])
        elif body == b'':
            body = struct.pack('<2sHI', b'db', len(segments), offsets[len(segments)])
        size = (len(body) + 4 + 7) & ~7
        cells += struct.pack('<i', -size) + body + b'\0' * (size - 4 - len(body))
    size = (0x20 + len(cells) + 4095) & ~4095
    free = size - 0x20 - len(cells)
    data += struct.pack('<4sIIQQI', b'hbin', bins, size, 0, 0, 0) + cells + struct.pack('<i', free) + bytes(free - 4)
    struct.pack_into('<I', data, vk + 12, offsets[-1])
    struct.pack_into('<I', data, 0x28, bins + size)
    return with_checksum(data)


def with_checksum(data):
    data, checksum = bytearray(data), 0
    for (word,) in struct.iter_unpack('<I', bytes(data[:0x1FC])):
        checksum ^= word
    struct.pack_into('<I', data, 0x1FC, checksum)
    return bytes(data)


def check(ok, what):
    if not ok:
        failures.append(what)
        print('FAILED:', what, file=sys.stderr)


def compare_with_hivex(path, name):
    exported = subprocess.run(['hivexregedit', '--export', '--prefix', 'HKEY_LOCAL_MACHINE\\' + name, path, '\\'],
                              capture_output=True, env=ENV, check=True).stdout.decode('utf-8')
    want_values, want_keys = parse_reg(exported, 'HKEY_LOCAL_MACHINE\\' + name.lower())
    out = path + '.out.reg'
    found = run_find('--hive', wine_path(path) + '=' + name, '--mode', 'all', '--format', 'reg', '--output',
                     wine_path(out))
    check(found.returncode == 0, '%s: all-items search exits with 0, not %d' % (name, found.returncode))
    got_values, _ = parse_reg(open(out, 'rb').read().decode('utf-16'), 'HKEY_LOCAL_MACHINE\\' + name.lower())
    check(len(want_values) >= 40 and got_values == want_values, '%s: %d values as hivexregedit reads them, %d differ' % (
        name, len(want_values), len(set(got_values.items()) ^ set(want_values.items()))))
    listed = run_find('--hive', wine_path(path) + '=' + name, '--mode', 'wildcard', '--keys', '*')
    got_keys = {line.split('\t')[0][len('HKEY_LOCAL_MACHINE\\' + name) + 1:].lower()
                for line in listed.stdout.decode('utf-8').splitlines()}
    check(got_keys == want_keys - {''}, '%s: every key found by its name' % name)


def compare_window(work, hive, damaged):
    out = os.path.join(work, 'window')
    for fmt in ('txt', 'reg'):
        run_find('--hive', wine_path(hive), '--mode', 'all', '--format', fmt, '--output', wine_path(out + '.find.' + fmt))
    env = dict(ENV, QUILLON_TEST_HIVE=wine_path(hive), QUILLON_TEST_HIVE_OUT=wine_path(out),
               QUILLON_TEST_HIVE_DAMAGED=wine_path(damaged))
    ran = subprocess.run([os.path.join(SOURCE, 'tools/wine-run'), os.path.join(BUILD, 'wineprefix'), os.path.join(
        BUILD, 'tests', 'form_tests.exe'), '--gtest_filter=HiveView.*'], env=env, capture_output=True, timeout=300)
    check(b'[  PASSED  ] 1 test' in ran.stdout, 'the search view on a hive: %s' % ran.stdout.decode('utf-8')[-1500:])
    for fmt in ('txt', 'reg'):
        mine = open(out + '.' + fmt, 'rb').read() if os.path.exists(out + '.' + fmt) else None
        check(mine == open(out + '.find.' + fmt, 'rb').read(), "the window's %s file equals quillon-find's" % fmt)


def merged_hive(work, name, wide):
    reg, path = os.path.join(work, name + '.reg'), os.path.join(work, name + '.hive')
    open(reg, 'w', encoding='utf-8').write(reg_text(tree_text(wide)))
    open(path, 'wb').write(empty_hive())
    subprocess.run(['hivexregedit', '--merge', path, reg], env=ENV, check=True)
    return path


def main():
    work = tempfile.mkdtemp(prefix='hive_test_', dir=BUILD)
    tree = merged_hive(work, 'tree', 1500)
    big = os.path.join(work, 'bigdata.hive')
    open(big, 'wb').write(to_big_data_record(open(tree, 'rb').read()))
    for path, name in ((tree, 'TREE'), (big, 'BIGDATA')):
        compare_with_hivex(path, name)

    good = open(tree, 'rb').read()
    damaged = [  # (what, bytes, text on standard error); searched at once, each message names its file
        ('not a hive', b'Windows Registry Editor Version 5.00\r\n' * 200, 'not a hive file'),
        ('truncated', good[:len(good) // 2], 'damaged: the file is truncated'),
        ('bad checksum', good[:0x30] + b'X' + good[0x31:], 'damaged: the header\'s checksum'),
        ('root outside', good[:0x24] + b'\xff\xff\xff\x7f' + good[0x28:], 'root key cannot be read'),
        ('not cleanly closed', with_checksum(good[:8] + b'\x09' + good[9:]), 'warning: the hive was not cleanly closed'),
    ]
    paths = [os.path.join(work, what.replace(' ', '_')) for what, _, _ in damaged]
    for path, (_, data, _) in zip(paths, damaged):
        open(path, 'wb').write(data)
    found = run_find('--mode', 'all', *[a for path in paths for a in ('--hive', wine_path(path))])
    lines = found.stderr.decode('utf-8', 'replace').splitlines()
    check(found.returncode == 5, 'damaged hives exit with 5, not %d' % found.returncode)
    for path, (what, _, text) in zip(paths, damaged):
        said = [line for line in lines if wine_path(path) + ': ' in line]
        check(len(said) == 1 and text in said[0], '%s: "%s" expected, got %s' % (what, text, said))

    fuzz = os.path.join(BUILD, 'hive_fuzz')
    sources = [os.path.join(SOURCE, f) for f in ('tests/hive/hive_fuzz.cpp', 'engine/hive_file.cpp', 'engine/hive_file.h')]
    if not os.path.exists(fuzz) or max(map(os.path.getmtime, sources)) > os.path.getmtime(fuzz):
        subprocess.run(['g++', '-std=c++20', '-O1', '-g', '-fsanitize=address,undefined', '-fno-sanitize-recover=all',
                        '-I', SOURCE, *sources[:2], '-o', fuzz], check=True)
    # Small hives (hivex leaves every replaced cell behind, so the wide one is mostly dead space).
    small = merged_hive(work, 'small', 40)
    small_big = os.path.join(work, 'small_bigdata.hive')
    open(small_big, 'wb').write(to_big_data_record(open(small, 'rb').read()))

    compare_window(work, small, paths[1])

    # Mutants through the whole program, many at once: the search ends, and every cut file is named.
    shaker, mutants, seed_bytes = random.Random(7), [], open(small, 'rb').read()
    for i in range(200):
        data = bytearray(seed_bytes if i % 4 else seed_bytes[:shaker.randrange(len(seed_bytes))])
        for _ in range(shaker.randrange(1, 7) if len(data) > 8 else 0):
            at = shaker.randrange(len(data) - 4)
            struct.pack_into('<I', data, at, shaker.choice([0, 0x20, 0xFFFFFFFF, 1 << 30, shaker.getrandbits(32)]))
        mutants.append(os.path.join(work, 'mutant%03d' % i))
        open(mutants[-1], 'wb').write(data)
    found = run_find('--parallel', '8', '--mode', 'all', *[a for m in mutants for a in ('--hive', wine_path(m))])
    err = found.stderr.decode('utf-8', 'replace')
    cut = [m for m in mutants if os.path.getsize(m) < len(seed_bytes)]
    check(found.returncode == 5 and all(wine_path(m) + ': ' in err for m in cut),
          'mutated hives searched at once: exit 5, each cut one named: %d %s' % (found.returncode, err[-300:]))
    fuzzed = subprocess.run([fuzz, '20261209', '2000', small, small_big], timeout=120)
    check(fuzzed.returncode == 0, 'mutated hives are read without a fault')
    if not failures:
        shutil.rmtree(work)
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
