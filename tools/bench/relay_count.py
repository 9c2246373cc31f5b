#!/usr/bin/env python3
"""Counts, in a Wine relay trace (WINEDEBUG=+relay) of hook_bench --relay, the
platform calls the library's DLL itself makes while the probe messages pass:
between the "tarvik-bench: begin" and "end" markers, every call whose return
address lies inside the DLL, and every call made directly inside one of the
DLL's hook procedures (a hook that ends in `return CallNextHookEx(...)` may be
compiled to a jump, and then the return address is Wine's hook dispatcher).

    relay_count.py <trace> <hook_bench stdout>
"""
import re
import sys
from collections import Counter, defaultdict

LINE = re.compile(r'^([0-9a-fA-F]+):(Call|Ret)\s+(.*)$')
HOOK = re.compile(r'^hook proc ([0-9a-fA-F]+) \(id=(\w+),')
FUNC = re.compile(r'^([\w.]+)\(.*\) ret=([0-9a-fA-F]+)$')


def read_bench_output(path):
    info = {}
    for line in open(path, encoding='utf-8', errors='replace'):
        m = re.match(r'library (\S+\.dll) base (0x[0-9a-f]+) size (0x[0-9a-f]+)', line)
        if m:
            info['name'] = m.group(1)
            info['base'], info['size'] = int(m.group(2), 16), int(m.group(3), 16)
        m = re.match(r'messages (\d+)', line)
        if m:
            info['messages'] = int(m.group(1))
        m = re.match(r'hook procedures per message (\d+)', line)
        if m:
            info['hooks'] = int(m.group(1))
    missing = {'base', 'size', 'messages', 'hooks'} - info.keys()
    if missing:
        sys.exit('relay_count: hook_bench printed no ' + ', '.join(sorted(missing)))
    return info


def main():
    trace_path, bench_path = sys.argv[1], sys.argv[2]
    info = read_bench_output(bench_path)
    base, end = info['base'], info['base'] + info['size']
    inside = lambda address: base <= address < end

    stacks = defaultdict(list)  # thread -> open calls: ('hook', id) or ('call', name, counted)
    counting = False
    seen_begin = seen_end = False
    hook_runs = Counter()
    per_hook = defaultdict(Counter)  # hook id -> function -> calls
    outside_hooks = Counter()  # calls returning into the DLL outside any hook procedure
    ret_inside = 0  # calls whose return address lies inside the DLL
    for raw in open(trace_path, encoding='utf-8', errors='replace'):
        if 'tarvik-bench: begin' in raw:
            counting, seen_begin = True, True
            stacks.clear()
            continue
        if 'tarvik-bench: end' in raw:
            seen_end = True
            break
        if not counting:
            continue
        m = LINE.match(raw.rstrip('\n'))
        if not m:
            continue
        thread, kind, rest = m.groups()
        stack = stacks[thread]
        if kind == 'Ret':
            if stack:
                stack.pop()
            continue
        hook = HOOK.match(rest)
        if hook:
            ours = inside(int(hook.group(1), 16))
            stack.append(('hook', hook.group(2) if ours else None))
            if ours:
                hook_runs[hook.group(2)] += 1
            continue
        func = FUNC.match(rest)
        if not func:
            stack.append(('other',))
            continue
        name, ret = func.group(1), int(func.group(2), 16)
        ret_inside += inside(ret)
        parent = stack[-1] if stack else None
        direct_in_hook = parent is not None and parent[0] == 'hook' and parent[1] is not None
        if direct_in_hook:
            per_hook[parent[1]][name] += 1
        elif inside(ret):
            enclosing = next((f[1] for f in reversed(stack) if f[0] == 'hook' and f[1]), None)
            if enclosing:
                per_hook[enclosing][name] += 1
            else:
                outside_hooks[name] += 1
        stack.append(('call', name))
    if not (seen_begin and seen_end):
        sys.exit('relay_count: the trace lacks the begin/end markers')

    messages, hooks = info['messages'], info['hooks']
    total = sum(sum(c.values()) for c in per_hook.values()) + sum(outside_hooks.values())
    print(f'{info["name"]} at {base:#x}..{end:#x}; {messages} probe messages (WM_USER+1)')
    print(f'hook procedure runs of the library: ' +
          ', '.join(f'{h} {n}' for h, n in sorted(hook_runs.items())))
    for hook_id in sorted(per_hook):
        runs = hook_runs[hook_id] or 1
        calls = per_hook[hook_id]
        listed = ', '.join(f'{name} {n}' for name, n in calls.most_common())
        print(f'  {hook_id}: {sum(calls.values())} platform calls in {runs} runs '
              f'= {sum(calls.values()) / runs:.2f} per run ({listed})')
    if outside_hooks:
        listed = ', '.join(f'{name} {n}' for name, n in outside_hooks.most_common())
        print(f'  outside the hook procedures: {listed}')
    print(f'  of them with a return address inside the DLL: {ret_inside} (the others are '
          f'tail calls: their return address is the caller of the hook procedure)')
    per = total / (messages * hooks) if messages else float('nan')
    print(f'library platform calls per unhandled message per hook: {per:.2f} (target 1.00)')
    expected_runs = messages * hooks
    if sum(hook_runs.values()) != expected_runs:
        print(f'warning: {sum(hook_runs.values())} hook runs traced, {expected_runs} expected')


if __name__ == '__main__':
    main()
