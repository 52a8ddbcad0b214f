#!/usr/bin/env python3
"""Builds the Mandarin reading table that speech/frontend embeds.

Inputs (Debian packages, see the README):
  --terra   rime-data-terra-pinyin's terra_pinyin.dict.yaml: characters and
            words in traditional script with tonal pinyin, characters with a
            share per reading
  --jieba   python3-jieba's dict.txt: simplified words with frequencies
  --opencc  the opencc program (libopencc-data's t2s.json) for traditional ->
            simplified conversion
  --corpus  a folder with dev.sent/dev.lb, sentences with one annotated
            polyphonic character each; every line whose number is not held
            out (see HeldOut) teaches the context table
Output: one little-endian binary file read by mandarin_table.cpp.

Layout (all offsets from the start of the file, every section 4-aligned):
  header   "QMR5", then u32 pairs (offset, count) for: syllables, characters,
           the nodes of the word prefix tree, contexts, the tree node of each
           leading BMP unit (u32, 0: none), the character record of each BMP
           code point plus one (u16, 0: none)
  syllable 8 bytes: toneless pinyin (NUL padded, ü as "u:" needs up to 7), tone
  char     u32 code point, u32 code point read instead (0: itself), u16
           default reading, u16 flags (bit 0: polyphonic, bits 1-15: number
           of its context rules), u32 its first context rule
  node     one per distinct word prefix, level by level, each level sorted by
           text, so the children of a node are contiguous and sorted by unit:
           u32 first child, u32 offset of the record of the word equal to the
           prefix (0: none), u16 number of children, u16 that word's cost.
           Node 0 is the empty prefix. After the nodes, the last unit of each
           node's prefix (u16 each), so a search among children reads units
           packed together.
  word     u8 length, u8 has-pinyin, u16 cost (-ln p * 100), u16 text[length],
           then u16 syllable[length] when it has pinyin
  context  u16 key[4] (character, kind, context 1, context 2), u16 reading,
           u16 score; sorted by key
"""

import argparse
import collections
import hashlib
import math
import os
import struct
import subprocess
import sys
import tempfile


def held_out(line_number):
    """Every fifth sentence is kept out of anything learned."""
    return line_number % 5 == 4


def syl_text(code):
    return syllable_text(code)


def syllable_text(code):
    """terra writes ü as v (lv4, nve4); the table uses u: (lu:4, nu:e4)."""
    return code.replace('v', 'u:')


def read_terra(path, toneless=False):
    """A rime dictionary: (text, [syllables], weight or None) per entry.
    terra's syllables carry tone digits; luna's (toneless) do not."""
    entries = []
    started = False
    with open(path, encoding='utf-8') as f:
        for line in f:
            line = line.rstrip('\n')
            if not started:
                started = line == '...'
                continue
            if not line or line.startswith('#'):
                continue
            parts = line.split('\t')
            if len(parts) < 2:
                continue
            weight = None
            if len(parts) > 2 and parts[2]:
                w = parts[2]
                try:
                    weight = float(w[:-1]) if w.endswith('%') else float(w)
                except ValueError:
                    weight = None
            sylls = [syllable_text(x) for x in parts[1].split(' ')]
            if any(not s or s[-1].isdigit() != (not toneless) for s in sylls):
                continue
            entries.append((parts[0], sylls, weight))
    return entries


TONE_MARKS = {
    'ā': ('a', 1), 'á': ('a', 2), 'ǎ': ('a', 3), 'à': ('a', 4),
    'ē': ('e', 1), 'é': ('e', 2), 'ě': ('e', 3), 'è': ('e', 4),
    'ī': ('i', 1), 'í': ('i', 2), 'ǐ': ('i', 3), 'ì': ('i', 4),
    'ō': ('o', 1), 'ó': ('o', 2), 'ǒ': ('o', 3), 'ò': ('o', 4),
    'ū': ('u', 1), 'ú': ('u', 2), 'ǔ': ('u', 3), 'ù': ('u', 4),
    'ǖ': ('u:', 1), 'ǘ': ('u:', 2), 'ǚ': ('u:', 3), 'ǜ': ('u:', 4), 'ü': ('u:', 0),
    'ń': ('n', 2), 'ň': ('n', 3), 'ǹ': ('n', 4), 'ḿ': ('m', 2), 'ê̄': ('e', 1),
}


def numbered(marked):
    """A syllable with a tone mark (liǎo) to one with a tone digit (liao3)."""
    out, tone = '', 5
    for ch in marked:
        if ch in TONE_MARKS:
            base, t = TONE_MARKS[ch]
            out += base
            tone = t or tone
        elif ch.isascii() and ch.isalpha():
            out += ch
        else:
            return None
    return out + str(tone) if out else None


def read_mainland(path):
    """go-pinyin's character readings (mainland standard, commonest first):
    lines like `0x4E86: "le,liǎo,liào",`."""
    readings = {}
    if not path:
        return readings
    with open(path, encoding='utf-8') as f:
        for line in f:
            line = line.strip()
            if not line.startswith('0x') or ':' not in line:
                continue
            code, _, rest = line.partition(':')
            values = [numbered(x) for x in rest.strip().strip(',').strip('"').split(',')]
            values = [v for v in values if v]
            if values:
                readings[chr(int(code, 16))] = values
    return readings


def read_jieba(path):
    words = {}
    with open(path, encoding='utf-8') as f:
        for line in f:
            parts = line.split()
            if len(parts) >= 2 and parts[1].isdigit():
                words[parts[0]] = words.get(parts[0], 0) + int(parts[1])
    return words


def to_simplified(opencc, texts):
    with tempfile.TemporaryDirectory() as tmp:
        src = os.path.join(tmp, 'in.txt')
        dst = os.path.join(tmp, 'out.txt')
        with open(src, 'w', encoding='utf-8') as f:
            f.write('\n'.join(texts) + '\n')
        subprocess.run([opencc, '-c', 't2s.json', '-i', src, '-o', dst], check=True)
        with open(dst, encoding='utf-8') as f:
            out = f.read().split('\n')
    out = out[:len(texts)]
    if len(out) != len(texts):
        sys.exit('opencc returned %d lines for %d' % (len(out), len(texts)))
    return out


def write_source(path, table_path, data):
    """The C++ file that places the table in the program. It names the
    table's digest so that a compiler cache sees a new table as a new source."""
    digest = hashlib.sha256(data).hexdigest()
    text = ('// Generated by build_mandarin_table.py: the Mandarin reading table in the\n'
            '// program\'s read-only data. Table digest: %s\n'
            'asm(".section .rodata\\n"\n'
            '    ".balign 16\\n"\n'
            '    ".global quorvane_mandarin_table\\n"\n'
            '    "quorvane_mandarin_table:\\n"\n'
            '    ".incbin \\"%s\\"\\n"\n'
            '    ".global quorvane_mandarin_table_end\\n"\n'
            '    "quorvane_mandarin_table_end:\\n"\n'
            '    ".byte 0\\n"\n'
            '    ".previous\\n");\n') % (digest, os.path.abspath(table_path))
    old = None
    if os.path.exists(path):
        with open(path, encoding='utf-8') as f:
            old = f.read()
    if old != text:
        with open(path, 'w', encoding='utf-8') as f:
            f.write(text)


def is_han(ch):
    c = ord(ch)
    return (0x3400 <= c <= 0x4DBF or 0x4E00 <= c <= 0x9FFF or 0xF900 <= c <= 0xFAFF or
            0x20000 <= c <= 0x3134F or c == 0x3007)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--terra', required=True)
    ap.add_argument('--jieba', required=True)
    ap.add_argument('--luna', help="rime-data-luna-pinyin's luna_pinyin.dict.yaml: toneless word readings")
    ap.add_argument('--opencc', required=True)
    ap.add_argument('--corpus', required=True)
    ap.add_argument('--overrides', required=True)
    ap.add_argument('--mainland', help="go-pinyin's pinyin_dict.go: mainland character readings")
    ap.add_argument('--contexts', help='learned context rules (pinyin_eval learn)')
    ap.add_argument('--output', required=True)
    ap.add_argument('--source', help='also write a C++ file that embeds the table')
    args = ap.parse_args()

    terra = read_terra(args.terra)
    jieba = read_jieba(args.jieba)
    luna = read_terra(args.luna, toneless=True) if args.luna else []

    texts = sorted({t for t, _, _ in terra} | {t for t, _, _ in luna})
    simplified = dict(zip(texts, to_simplified(args.opencc, texts)))

    # Characters: the simplified vocabulary is every character of a converted
    # entry. A character outside it is traditional only and is read as its
    # simplified form; one inside keeps its own readings (乾 in 乾隆 stays 乾).
    vocabulary = set()
    for t in texts:
        vocabulary.update(simplified[t])
    char_map = {}
    for t in texts:
        s = simplified[t]
        if len(t) == 1 and len(s) == 1 and s != t and t not in vocabulary:
            char_map[t] = s

    # Readings per simplified character. terra describes traditional text:
    # where a simplified character has traditional sources, their shares
    # decide the default and its own entries only add readings.
    sources = collections.defaultdict(lambda: collections.defaultdict(list))
    for t, sylls, weight in terra:
        if len(t) != 1:
            continue
        s = simplified[t] if t in char_map or (len(simplified[t]) == 1 and t not in vocabulary) else t
        if len(s) != 1:
            s = t
        sources[s][t].append((sylls[0], weight))
    char_readings = {}
    for s, by_source in sources.items():
        weights = collections.defaultdict(float)
        foreign = [t for t in by_source if t != s]
        for t, readings in by_source.items():
            own_only = t == s and foreign
            known = [w for _, w in readings if w is not None]
            rest = max(0.0, 100.0 - sum(known))
            unknown = sum(1 for _, w in readings if w is None)
            for syl, w in readings:
                if w is None:
                    w = rest / unknown if unknown else 0.0
                weights[syl] += 0.0 if own_only else w + 1e-6
        char_readings[s] = weights

    # Majority reading of the annotated characters in the learning part of
    # the corpus: it decides the default of those characters.
    corpus_counts = collections.defaultdict(collections.Counter)
    corpus = []
    with open(os.path.join(args.corpus, 'dev.sent'), encoding='utf-8') as fs, \
            open(os.path.join(args.corpus, 'dev.lb'), encoding='utf-8') as fl:
        for n, (sent, label) in enumerate(zip(fs, fl)):
            if held_out(n):
                continue
            sent = sent.rstrip('\n')
            label = syllable_text(label.strip())
            i = sent.find('\u2581')
            if i < 0 or sent[i + 2] != '\u2581':
                continue
            text = sent[:i] + sent[i + 1] + sent[i + 3:]
            corpus.append((text, i, label))
            corpus_counts[sent[i + 1]][label] += 1
    for ch, counts in corpus_counts.items():
        weights = char_readings.setdefault(ch, collections.defaultdict(float))
        for syl, n in counts.items():
            weights[syl] += 1000.0 * n

    overrides = {}
    with open(args.overrides, encoding='utf-8') as f:
        for line in f:
            line = line.split('#', 1)[0].strip()
            if not line:
                continue
            word, pinyin = line.split('\t', 1) if '\t' in line else line.split(None, 1)
            overrides[word] = pinyin.split()

    # Words with readings: converted terra words, then our own overrides.
    # 一 and 不 keep their citation tone inside words; terra marks their
    # sandhi, which the reader works out itself. Where terra gives one text
    # several readings, the usual one is taken: the same syllables with a
    # neutral tone is the standard reading of the two (種子 zhong3 zi5, not
    # zi3), else the one made of the characters' more common readings (不好
    # bu4 hao3, not the sandhi-marked "dislike" bu2 hao4); readings with other
    # syllables keep terra's order (睡覺 shui4 jiao4 before jue2).
    def citation(s, sylls):
        fixed = []
        for ch, syl in zip(s, sylls):
            if ch == '一':
                syl = 'yi1'
            elif ch == '不':
                syl = 'bu4'
            fixed.append(syl)
        return fixed

    def share(ch, syl):
        weights = char_readings.get(ch)
        if not weights:
            return 0.0
        total = sum(weights.values()) or 1.0
        return weights.get(syl_text(syl), 0.0) / total

    def preference(s, sylls):
        neutral = sum(1 for x in sylls if x.endswith('5'))
        product = 1.0
        for ch, syl in zip(s, sylls):
            product *= share(ch, syl) + 0.001
        return (neutral, product)

    alternatives = collections.defaultdict(list)
    for t, sylls, _ in terra:
        s = simplified[t]
        if len(s) < 2 or len(s) != len(sylls) or len(s) > 255:
            continue
        fixed = citation(s, [syllable_text(x) for x in sylls])
        if fixed not in alternatives[s]:
            alternatives[s].append(fixed)
    word_pinyin = {}
    for s, options in alternatives.items():
        best = options[0]
        for option in options[1:]:
            same = [x[:-1] for x in option] == [x[:-1] for x in best]
            if same and preference(s, option) > preference(s, best):
                best = option
        word_pinyin[s] = best
    # terra follows Taiwan's standard in places (期 qi2, 危 wei2, 質 zhi2, 垃圾
    # le4 se4, 液 yi4). A reading that the mainland character list does not
    # have is replaced by the mainland reading with the same syllable, else by
    # the character's commonest mainland reading. Neutral tones stay; 儿 read
    # "r" (erhua) is written er5.
    mainland = read_mainland(args.mainland)

    def mainland_reading(ch, syl):
        if syl == 'r5':
            return 'er5'
        options = mainland.get(ch)
        if not options or syl in options or syl.endswith('5'):
            return syl
        same = [o for o in options if o[:-1] == syl[:-1]]
        if same:
            return same[0]
        return options[0]

    for w in word_pinyin:
        word_pinyin[w] = [mainland_reading(ch, syl) for ch, syl in zip(w, word_pinyin[w])]
    for ch, weights in char_readings.items():
        fixed = collections.defaultdict(float)
        for syl, weight in weights.items():
            fixed[mainland_reading(ch, syl)] += weight
        char_readings[ch] = fixed

    # Words terra lacks take luna's toneless syllables (長時間 chang shi jian),
    # each with the tone of the character's reading of that syllable: the
    # commonest mainland one, else terra's most frequent.
    def toned(ch, toneless):
        for option in mainland.get(ch, []):
            if option[:-1] == toneless:
                return option
        weights = char_readings.get(ch, {})
        same = [(w, syl) for syl, w in weights.items() if syl[:-1] == toneless]
        return max(same)[1] if same else None

    luna_best = {}
    for t, sylls, weight in luna:
        s = simplified[t]
        if len(s) < 2 or len(s) != len(sylls) or s in word_pinyin:
            continue
        score = weight if weight is not None else 0.0
        if s not in luna_best or score > luna_best[s][0]:
            luna_best[s] = (score, sylls)
    for s, (_, sylls) in luna_best.items():
        reading = [toned(ch, syl) for ch, syl in zip(s, sylls)]
        if all(reading):
            word_pinyin[s] = citation(s, reading)

    for w, sylls in overrides.items():
        if len(w) != len(sylls):
            sys.exit('override %s: %d characters, %d syllables' % (w, len(w), len(sylls)))
        if len(w) >= 2:
            word_pinyin[w] = sylls
        else:
            char_readings[w] = {sylls[0]: 1e9}

    syllables = {}

    def syllable_index(code):
        code = syllable_text(code)
        if code not in syllables:
            syllables[code] = len(syllables)
        return syllables[code]

    syllable_index('a5')  # index 0 is never a real default, just a placeholder

    # Segmentation dictionary: jieba's words and frequencies, terra's words
    # that jieba lacks at a low frequency.
    total = float(sum(jieba.values()))
    terra_only_freq = int(os.environ.get('QMR_TERRA_FREQ', '30'))
    words = {}
    for w, f in jieba.items():
        if all(is_han(c) for c in w) and 0 < len(w) <= 255 and all(ord(c) < 0x10000 for c in w):
            words[w] = f
    # A word with a reading that jieba lacks is at least as likely as its
    # characters one by one, so a phrase reading is never lost to a split
    # into single characters.
    for w in word_pinyin:
        if w not in words and all(ord(c) < 0x10000 for c in w) and all(is_han(c) for c in w):
            apart = 1.0
            for c in w:
                apart *= max(jieba.get(c, 1), 1) / total
            words[w] = max(terra_only_freq, apart * total * 1.05)
    word_records = []
    # Sorted by code point, which for these BMP-only words is the UTF-16
    # order the reader compares in.
    sorted_words = sorted(words, key=lambda x: [ord(c) for c in x])
    for w in sorted_words:
        cost = min(65535, int(math.floor(-math.log(words[w] / total) * 100)))
        sylls = word_pinyin.get(w) if len(w) >= 2 else None
        rec = struct.pack('<BBH', len(w), 1 if sylls else 0, cost)
        rec += struct.pack('<%dH' % len(w), *[ord(c) for c in w])
        if sylls:
            rec += struct.pack('<%dH' % len(w), *[syllable_index(s) for s in sylls])
        word_records.append(rec)

    chars = {}
    for s, weights in char_readings.items():
        if not weights:
            continue
        best = max(weights.items(), key=lambda kv: (kv[1], kv[0]))[0]
        polyphonic = len(weights) > 1
        chars[s] = (0, syllable_index(best), 1 if polyphonic else 0)
    for t, s in char_map.items():
        if s in chars:
            chars[t] = (ord(s), chars[s][1], chars[s][2])

    # Learned context rules; a phrase-reading rule whose syllable no phrase
    # uses any more is dropped.
    contexts = []
    if args.contexts:
        with open(args.contexts, encoding='utf-8') as f:
            for line in f:
                if line.startswith('#') or not line.strip():
                    continue
                ch, kind, context, reading, score = line.rstrip('\n').split('\t')
                kind = int(kind)
                if kind == 1:
                    if syllable_text(context) not in syllables:
                        continue
                    first, second = syllables[syllable_text(context)], 0
                else:
                    first, second = (int(x, 16) for x in context.split())
                contexts.append(((ord(ch), kind, first, second), syllable_index(reading), min(65535, int(score))))

    out = bytearray()
    header_size = 4 + 6 * 8
    out += b'\0' * header_size
    sections = []

    def align():
        while len(out) % 4:
            out.append(0)

    align()
    sections.append((len(out), len(syllables)))
    for code, _ in sorted(syllables.items(), key=lambda kv: kv[1]):
        toneless, tone = code[:-1], int(code[-1])
        b = toneless.encode('ascii')
        if len(b) > 7:
            sys.exit('syllable too long: ' + code)
        out += b + b'\0' * (7 - len(b)) + bytes([tone])
    align()
    sorted_contexts = sorted(contexts)
    context_ranges = {}
    for i, (key, _, _) in enumerate(sorted_contexts):
        begin, count = context_ranges.get(key[0], (i, 0))
        context_ranges[key[0]] = (begin, count + 1)
    sections.append((len(out), len(chars)))
    for ch in sorted(chars, key=ord):
        target, reading, flags = chars[ch]
        begin, count = context_ranges.get(ord(ch), (0, 0))
        if count >= 1 << 15:
            sys.exit('too many context rules for ' + ch)
        out += struct.pack('<IIHHI', ord(ch), target, reading, flags | (count << 1), begin)
    align()
    # The prefix tree: every distinct prefix of a word is a node. Nodes are
    # stored level by level, each level sorted, so a node's children follow
    # one another in unit order and a lookup step is a search among them.
    levels = [['']]
    depth = 1
    while True:
        level = sorted({w[:depth] for w in sorted_words if len(w) >= depth}, key=lambda x: [ord(c) for c in x])
        if not level:
            break
        levels.append(level)
        depth += 1
    node_id = {}
    for level in levels:
        for prefix in level:
            node_id[prefix] = len(node_id)
    children = collections.defaultdict(list)
    for level in levels[1:]:
        for prefix in level:
            children[prefix[:-1]].append(node_id[prefix])
    word_at = {w: i for i, w in enumerate(sorted_words)}
    records_offset = len(out) + 14 * len(node_id)
    records_offset += (4 - records_offset % 4) % 4
    record_at = {}
    for w, rec in zip(sorted_words, word_records):
        record_at[w] = records_offset
        records_offset += len(rec)
    sections.append((len(out), len(node_id)))
    for level in levels:
        for prefix in level:
            kids = children.get(prefix, [])
            if len(kids) >= 1 << 16:
                sys.exit('too many words continue ' + prefix)
            cost = struct.unpack_from('<H', word_records[word_at[prefix]], 2)[0] if prefix in word_at else 0
            out += struct.pack('<IIHH', kids[0] if kids else 0, record_at.get(prefix, 0), len(kids), cost)
    for level in levels:
        for prefix in level:
            out += struct.pack('<H', ord(prefix[-1]) if prefix else 0)
    align()
    for rec in word_records:
        out += rec
    align()
    sections.append((len(out), len(sorted_contexts)))
    for key, reading, score in sorted_contexts:
        out += struct.pack('<4HHH', *key, reading, score)
    align()
    # The tree node of each leading BMP unit (0: no word starts with it): the
    # first step of a lookup is one read.
    first_nodes = [0] * 65536
    for prefix in levels[1]:
        first_nodes[ord(prefix)] = node_id[prefix]
    sections.append((len(out), 65536))
    out += struct.pack('<65536I', *first_nodes)
    align()
    # The character record of each BMP code point, plus one (0: none).
    sorted_chars = sorted(chars, key=ord)
    bmp = [0] * 65536
    for i, ch in enumerate(sorted_chars):
        if ord(ch) < 0x10000:
            bmp[ord(ch)] = i + 1
    if len(sorted_chars) >= 65535:
        sys.exit('too many characters for the BMP index')
    sections.append((len(out), 65536))
    out += struct.pack('<65536H', *bmp)
    align()
    struct.pack_into('<4s12I', out, 0, b'QMR5', *[v for sec in sections for v in sec])
    with open(args.output, 'wb') as f:
        f.write(out)
    if args.source:
        write_source(args.source, args.output, out)
    print('mandarin table: %d bytes, %d syllables, %d characters, %d words (%d with pinyin), %d contexts'
          % (len(out), len(syllables), len(chars), len(word_records),
             sum(1 for w in sorted_words if len(w) >= 2 and w in word_pinyin), len(contexts)))


if __name__ == '__main__':
    main()
