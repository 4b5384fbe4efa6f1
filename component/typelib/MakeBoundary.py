#!/usr/bin/env python3
"""Writes Boundary.h: for each named COM interface, a class template whose
methods are the interface's (and its bases', but IUnknown's) entry points.
Each is noexcept and final, and runs the object's body of the same name,
called with the tag `Guarded` first, inside GuardedCall, so whatever the body
throws becomes an HRESULT with error info. An object that lists its
interfaces through these templates cannot have an unguarded COM method.

usage: MakeBoundary.py OUTPUT HEADER... -- INTERFACE[=properties]...

With "=properties", the interface's property accessors get_Name and put_Name
all run one pair of body templates, GetProperty<Row> and PutProperty<Row>,
whose row is D::PropertyRow(u"Name"), a consteval lookup in the object's
table: an accessor the table does not know fails the build, and the object
writes two bodies in all instead of two per property.

The headers are widl's C++ declarations (mingw-w64's and our own), in which
every interface reads:
    MIDL_INTERFACE("...")
    IName : public IBase
    {
        virtual HRESULT STDMETHODCALLTYPE Method(
            Type name, ...) = 0;
    };
"""
import os
import re
import sys

DECLARATION = re.compile(
    r'MIDL_INTERFACE\("[^"]*"\)\s*(\w+)\s*:\s*public\s+(\w+)\s*\{(.*?)\n\};', re.S)
METHOD = re.compile(r'virtual\s+(\w+)\s+STDMETHODCALLTYPE\s+(\w+)\s*\((.*?)\)\s*=\s*0\s*;', re.S)


def split_parameters(text):
    """Splits at the commas outside parentheses."""
    parts, depth, current = [], 0, ''
    for ch in text:
        if ch == ',' and depth == 0:
            parts.append(current)
            current = ''
            continue
        depth += ch == '('
        depth -= ch == ')'
        current += ch
    if current.strip():
        parts.append(current)
    return [' '.join(p.split()) for p in parts]


def parameter_name(parameter):
    pointer_to_function = re.search(r'\(\s*\w*\s*\*\s*(\w+)\s*\)', parameter)
    if pointer_to_function:
        return pointer_to_function.group(1)
    return re.findall(r'\w+', parameter)[-1]


def read_interfaces(headers):
    found = {}
    for header in headers:
        with open(header, encoding='utf-8', errors='replace') as f:
            text = f.read()
        for name, base, body in DECLARATION.findall(text):
            methods = []
            for result, method, parameters in METHOD.findall(body):
                methods.append((result, method, split_parameters(parameters)))
            found.setdefault(name, (base, methods))
    return found


def entry_points(name, interfaces):
    """The methods of `name` and its bases up to IUnknown, each with the
    interface that declares it (the one its error info names)."""
    chain = []
    while name != 'IUnknown':
        if name not in interfaces:
            sys.exit(f'no declaration of {name} in the headers given')
        base, methods = interfaces[name]
        for result, method, _ in methods:
            if result != 'HRESULT':
                sys.exit(f'{name}::{method} returns {result}, not HRESULT')
        chain = [(name, m[1:]) for m in methods] + chain
        name = base
    return chain


def main():
    args = sys.argv[1:]
    if '--' not in args or args.index('--') < 2:
        sys.exit(__doc__)
    output, headers = args[0], args[1:args.index('--')]
    wanted = args[args.index('--') + 1:]
    interfaces = read_interfaces(headers)
    out = [
        '#pragma once',
        '// Written by component/typelib/MakeBoundary.py from the interface headers.',
        '',
        '#include <windows.h>',
    ] + [f'#include <{os.path.basename(h)}>' for h in headers if os.path.dirname(h) != os.path.dirname(output)] + [
        '',
    ] + [f'#include "{os.path.basename(h)}"' for h in headers if os.path.dirname(h) == os.path.dirname(output)] + [
        '#include "component/com/ErrorInfo.h"',
        '',
        'namespace pelzorvick {',
        '',
        '// The guarded entry points of interface I for the object D; defined only',
        '// for the interfaces listed to the generator.',
        'template <class D, class I>',
        'class Boundary;',
        '',
        '// The first parameter of every COM method body: only its entry point in',
        '// Boundary makes one, so a body runs only inside the translator (and a',
        '// body may hand its own on to another).',
        'class Guarded {',
        '  Guarded() = default;',
        '  template <class, class>',
        '  friend class Boundary;',
        '};',
    ]
    for entry in wanted:
        name, _, option = entry.partition('=')
        out += ['', 'template <class D>', f'class Boundary<D, {name}> : public {name} {{', ' public:']
        for declaring, (method, parameters) in entry_points(name, interfaces):
            arguments = [parameter_name(p) for p in parameters]
            body, accessor = method, re.fullmatch(r'(get|put)_(\w+)', method)
            if option == 'properties' and declaring == name and accessor:
                kind = 'GetProperty' if accessor.group(1) == 'get' else 'PutProperty'
                body = f'template {kind}<D::PropertyRow(u"{accessor.group(2)}")>'
            names = ', '.join(['Guarded{}'] + arguments)
            out += [
                f'  HRESULT STDMETHODCALLTYPE {method}({", ".join(parameters)}) noexcept final {{',
                f'    return GuardedCall(__uuidof({declaring}), [&]() -> HRESULT {{',
                f'      return static_cast<D*>(this)->{body}({names});',
                '    });',
                '  }',
            ]
        out.append('};')
    out += ['', '}  // namespace pelzorvick', '']
    with open(output, 'w', encoding='utf-8') as f:
        f.write('\n'.join(out))


if __name__ == '__main__':
    main()
