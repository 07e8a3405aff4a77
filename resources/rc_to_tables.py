#!/usr/bin/env python3
"""Turns the string tables of the module's .rc files into the Linux build's
resource record (KxModuleResources, see platform/linux/win_resources.h).

    rc_to_tables.py RC_FILE OUTPUT_CPP [DEPFILE]

Reads RC_FILE and every file it includes with #include "...", as windres
does, and keeps the STRINGTABLE blocks only; the version block, the manifest
and any other resource are passed over. What windres might read differently
is refused rather than guessed at: every STRINGTABLE must come right after
its own LANGUAGE statement, every entry is one "ID "text"" line, and texts
hold no backslash or doubled quote. Every language must carry the same IDs,
since the loader does not fall back to the neutral texts for a single ID.
"""

import os
import re
import sys

ENTRY = re.compile(r'^(0[xX][0-9A-Fa-f]+|\d+)\s*,?\s*"([^"]*)"$')
LANGUAGE = re.compile(r'^LANGUAGE\s+(0[xX][0-9A-Fa-f]+|\d+)\s*,\s*(0[xX][0-9A-Fa-f]+|\d+)$')
INCLUDE = re.compile(r'^#\s*include\s+(?:"([^"]+)"|<[^>]+>)$')
CODE_PAGE = re.compile(r'^#\s*pragma\s+code_page\s*\(\s*(\d+)\s*\)$')


class RcError(Exception):
    pass


def strip_comments(text, path):
    """Removes // and /* */ comments outside string literals; keeps lines."""
    out = []
    i = 0
    in_string = False
    while i < len(text):
        c = text[i]
        if in_string:
            out.append(c)
            if c == '"':
                in_string = False
            elif c == '\n':
                raise RcError(f'{path}: string literal runs past the end of its line')
            i += 1
        elif c == '"':
            in_string = True
            out.append(c)
            i += 1
        elif text.startswith('//', i):
            end = text.find('\n', i)
            i = len(text) if end < 0 else end
        elif text.startswith('/*', i):
            end = text.find('*/', i + 2)
            if end < 0:
                raise RcError(f'{path}: comment never closed')
            out.append('\n' * text.count('\n', i, end))
            i = end + 2
        else:
            out.append(c)
            i += 1
    return ''.join(out)


def parse_number(token):
    return int(token, 16) if token.lower().startswith('0x') else int(token)


class Reader:
    def __init__(self):
        self.strings = {}  # (language, id) -> text
        self.files = []

    def read(self, path):
        path = os.path.abspath(path)
        if path in self.files:
            raise RcError(f'{path}: included twice')
        self.files.append(path)
        with open(path, encoding='utf-8-sig') as f:
            lines = strip_comments(f.read(), path).split('\n')

        language = None  # set by a LANGUAGE statement, spent by the next statement
        depth = 0  # nesting of a resource this reader passes over
        table = None  # language of the STRINGTABLE being read
        awaiting_begin = False
        for number, raw in enumerate(lines, 1):
            line = raw.strip()
            where = f'{path}:{number}'
            if not line:
                continue
            if table is not None:
                if awaiting_begin:
                    if line not in ('BEGIN', '{'):
                        raise RcError(f'{where}: STRINGTABLE takes no options here: {line}')
                    awaiting_begin = False
                elif line in ('END', '}'):
                    table = None
                else:
                    self.add_entry(table, line, where)
                continue
            if depth > 0:
                words = re.sub(r'"[^"]*"', '""', line)
                depth += words.split().count('BEGIN') + words.count('{')
                depth -= words.split().count('END') + words.count('}')
                continue
            if line.startswith('#'):
                self.directive(path, line, where)
                continue
            match = LANGUAGE.match(line)
            if match:
                primary, sub = (parse_number(g) for g in match.groups())
                language = (sub << 10) | primary
                continue
            if line == 'STRINGTABLE':
                if language is None:
                    raise RcError(f'{where}: STRINGTABLE without a LANGUAGE statement right before it')
                table = language
                language = None
                awaiting_begin = True
                continue
            if line.split()[0] == 'STRINGTABLE':
                raise RcError(f'{where}: STRINGTABLE takes no options here: {line}')
            # Any other resource: its header lines, then perhaps a block.
            language = None
            if line in ('BEGIN', '{'):
                depth = 1
        if table is not None or depth != 0:
            raise RcError(f'{path}: block not closed at the end of the file')

    def directive(self, path, line, where):
        match = INCLUDE.match(line)
        if match:
            if match.group(1):
                self.read(os.path.join(os.path.dirname(path), match.group(1)))
            return  # <...>: a platform header, no string tables
        match = CODE_PAGE.match(line)
        if match:
            if match.group(1) != '65001':
                raise RcError(f'{where}: only UTF-8 (code page 65001) is read')
            return
        raise RcError(f'{where}: preprocessor directive not understood: {line}')

    def add_entry(self, language, line, where):
        match = ENTRY.match(line)
        if not match:
            raise RcError(f'{where}: not an entry of the form ID "text": {line}')
        string_id = parse_number(match.group(1))
        text = match.group(2)
        if '\\' in text:
            raise RcError(f'{where}: escapes in texts are not read: {line}')
        if not 0 < string_id < 0x10000:
            raise RcError(f'{where}: string ID out of range: {string_id}')
        key = (language, string_id)
        if key in self.strings:
            raise RcError(f'{where}: string {string_id} given twice for language {language}')
        self.strings[key] = text


def check_complete(strings):
    ids_by_language = {}
    for language, string_id in strings:
        ids_by_language.setdefault(language, set()).add(string_id)
    languages = sorted(ids_by_language)
    if not languages:
        raise RcError('no string tables found')
    first = ids_by_language[languages[0]]
    for language in languages[1:]:
        ids = ids_by_language[language]
        if ids != first:
            missing = sorted(first - ids)
            extra = sorted(ids - first)
            raise RcError(f'language {language} differs from language {languages[0]}: '
                          f'missing {missing}, extra {extra}')


def cpp_literal(text):
    out = []
    for c in text:
        code = ord(c)
        if c in '"\\?':
            out.append('\\' + c)
        elif 0x20 <= code < 0x7F:
            out.append(c)
        elif code < 0x80:
            out.append(f'\\{code:03o}')
        elif code < 0x10000:
            out.append(f'\\u{code:04X}')
        else:
            out.append(f'\\U{code:08X}')
    return 'u"' + ''.join(out) + '"'


def render(strings, rc_file):
    lines = [
        f'// Generated from {os.path.basename(rc_file)} and the files it includes by',
        '// rc_to_tables.py at build time. Do not edit: change the .rc files.',
        '#include "platform/linux/win_resources.h"',
        '#include "platform/platform.h"',
        '',
        'namespace {',
        '',
        '#define KX_STRING(language, id, text) {language, id, text, sizeof(text) / sizeof(WCHAR) - 1}',
        '',
        '// Sorted by language, then ID, as the loader expects.',
        'const KxStringResource kStrings[] = {',
    ]
    for (language, string_id), text in sorted(strings.items()):
        lines.append(f'    KX_STRING(0x{language:04X}, {string_id}, {cpp_literal(text)}),')
    lines += [
        '};',
        '',
        '}  // namespace',
        '',
        'extern "C" __attribute__((visibility("default"))) const KxModuleResourceDirectory KxModuleResources = {',
        '    sizeof(kStrings) / sizeof(kStrings[0]), kStrings};',
        '',
    ]
    return '\n'.join(lines)


def main(argv):
    if len(argv) not in (3, 4):
        sys.stderr.write(__doc__)
        return 2
    rc_file, output = argv[1], argv[2]
    reader = Reader()
    try:
        reader.read(rc_file)
        check_complete(reader.strings)
    except (RcError, OSError, UnicodeDecodeError) as error:
        sys.stderr.write(f'rc_to_tables.py: {error}\n')
        return 1
    content = render(reader.strings, rc_file)
    old = None
    if os.path.exists(output):
        with open(output, encoding='utf-8') as f:
            old = f.read()
    if old != content:
        with open(output, 'w', encoding='utf-8') as f:
            f.write(content)
    if len(argv) == 4:
        with open(argv[3], 'w', encoding='utf-8') as f:
            deps = ' '.join(p.replace(' ', '\\ ') for p in reader.files)
            f.write(f'{output}: {deps}\n')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
