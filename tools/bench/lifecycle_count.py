#!/usr/bin/env python3
"""Counts, in a Wine relay trace (WINEDEBUG=+relay) of load_bench, the platform
calls the library's DLL makes on load, while threads start and end, and on
unload: the phases run between the "tarvik-bench: <phase>" markers, and a call
counts when its return address lies inside the DLL or when it is made directly
inside the DLL's entry point (a call compiled to a jump returns elsewhere).
Also counts the loader's calls of the entry point, by reason.

    lifecycle_count.py <trace> <load_bench stdout>
"""
import re
import sys
from collections import Counter, defaultdict

from relay_count import FUNC, LINE  # the relay trace's line formats, read the same way

MARKER = re.compile(r'OutputDebugStringA\(\w+ "tarvik-bench: (\w+)"\)')
ENTRY = re.compile(r'^PE DLL \(proc=\w+,module=([0-9a-fA-F]+) .*reason=(\w+)')
PHASES = ('load', 'threads', 'unload')


def main():
    trace_path, bench_path = sys.argv[1], sys.argv[2]
    printed = open(bench_path, encoding='utf-8', errors='replace').read()
    m = re.search(r'library (\S+\.dll) base (0x[0-9a-f]+) size (0x[0-9a-f]+)\nthreads (\d+)', printed)
    if not m:
        sys.exit('lifecycle_count: load_bench printed no base, size and thread count')
    name, base, threads = m.group(1), int(m.group(2), 16), int(m.group(4))
    end = base + int(m.group(3), 16)

    calls = defaultdict(Counter)   # phase -> platform function -> calls
    entries = defaultdict(Counter)  # phase -> reason -> entry-point runs
    stacks = defaultdict(list)      # thread -> open calls: True for the DLL's entry point
    phase, seen = None, set()
    for raw in open(trace_path, encoding='utf-8', errors='replace'):
        line = LINE.match(raw.rstrip('\n'))
        if not line:
            continue
        thread, kind, rest = line.groups()
        marker = MARKER.search(rest) if kind == 'Call' else None
        if marker:
            phase = marker.group(1) if marker.group(1) in PHASES else None
            seen.add(marker.group(1))
        stack = stacks[thread]
        if kind == 'Ret':
            if stack:
                stack.pop()
            continue
        entry = ENTRY.match(rest)
        if entry:
            ours = int(entry.group(1), 16) == base
            if ours and phase:
                entries[phase][entry.group(2)] += 1
            stack.append(ours)
            continue
        func = FUNC.match(rest)
        if func and phase and not marker:
            inside = base <= int(func.group(2), 16) < end
            if inside or (stack and stack[-1]):
                calls[phase][func.group(1)] += 1
        stack.append(False)
    missing = set(PHASES + ('end',)) - seen
    if missing:
        sys.exit('lifecycle_count: the trace lacks the markers ' + ', '.join(sorted(missing)))

    def listed(counter):
        return ', '.join(f'{name} {n}' for name, n in counter.most_common()) or 'none'
    print(f'{name} at {base:#x}..{end:#x}; {threads} threads started and ended')
    for phase in PHASES:
        print(f'  {phase}: platform calls {sum(calls[phase].values())} ({listed(calls[phase])}); '
              f'entry point runs {sum(entries[phase].values())} ({listed(entries[phase])})')
    per_thread = sum(calls['threads'].values()) / threads
    print(f'library platform calls on load / per thread start and end / on unload: '
          f'{sum(calls["load"].values())} / {per_thread:.2f} / {sum(calls["unload"].values())} '
          f'(targets 1 / 0 / 0)')


if __name__ == '__main__':
    main()
