#!/usr/bin/env python3
"""Renders a program's usage source into what the build ships from it: the
text the program prints for --help (a C++ header), its manual page and, for
the command-line tool, its bash completion. One source, so the three agree.

The source is line based:
  @name PROGRAM             the program's name
  @summary TEXT             one line for the manual's NAME section
  @synopsis TEXT            a synopsis line (repeatable)
  = Title                   a section
  - TERM                    an entry: a command or option with its arguments;
  - TERM :: TEXT            the text after " :: " and the lines below that
      TEXT                  start with four spaces describe it
  + TERM                    the entry's term goes on on another line
  $ COMMAND  # comment      an example
  % NAME word word ...      the words a placeholder stands for
  (blank line)              a paragraph break
  anything else             running text
"""

import argparse
import gzip
import re
import sys

TERM_COLUMN = 39


class Entry:
    def __init__(self, term, text):
        self.lines = [term]
        self.text = text

    @property
    def term(self):
        return " ".join(self.lines)


def parse(path):
    doc = {"name": "", "summary": "", "synopsis": [], "blocks": [], "values": {}}
    blocks = doc["blocks"]  # (kind, payload) in order; sections start with ("section", title)
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    for number, line in enumerate(lines, 1):
        if line.startswith("#"):
            continue
        if line.startswith("@"):
            key, _, rest = line[1:].partition(" ")
            if key == "synopsis":
                doc["synopsis"].append(rest)
            elif key in ("name", "summary"):
                doc[key] = rest
            else:
                sys.exit(f"{path}:{number}: unknown header @{key}")
        elif line.startswith("= "):
            blocks.append(("section", line[2:].strip()))
        elif line.startswith("- "):
            term, _, text = line[2:].partition(" :: ")
            blocks.append(("entry", Entry(term.rstrip(), [text] if text else [])))
        elif line.startswith("+ ") and blocks and blocks[-1][0] == "entry":
            term, _, text = line[2:].partition(" :: ")
            blocks[-1][1].lines.append(term.rstrip())
            blocks[-1][1].text += [text] if text else []
        elif line.startswith("    ") and blocks and blocks[-1][0] == "entry":
            blocks[-1][1].text.append(line.strip())
        elif line.startswith("$ "):
            blocks.append(("example", line[2:]))
        elif line.startswith("% "):
            name, *words = line[2:].split()
            doc["values"][name] = words
            blocks.append(("values", (name, words)))
        elif not line.strip():
            blocks.append(("break", None))
        else:
            blocks.append(("text", line))
    if not doc["name"] or not doc["synopsis"]:
        sys.exit(f"{path}: @name and @synopsis are needed")
    return doc


# --- the usage text -------------------------------------------------------------------------


def render_text(doc, prefix):
    out = []
    for i, s in enumerate(doc["synopsis"]):
        out.append((prefix if i == 0 else " " * len(prefix)) + s)
    previous = "synopsis"
    for kind, payload in doc["blocks"]:
        if kind == "section":
            if out and out[-1] != "":
                out.append("")
            out.append(payload + ":")
        elif kind == "entry":
            text = payload.text or [""]
            out.extend(("  " if i == 0 else "      ") + t for i, t in enumerate(payload.lines[:-1]))
            head = "  " + ("    " if len(payload.lines) > 1 else "") + payload.lines[-1]
            if len(head) >= TERM_COLUMN - 1 and payload.text:
                out.append(head)
                out.extend(" " * TERM_COLUMN + t for t in text)
            else:
                out.append((head.ljust(TERM_COLUMN) + text[0]).rstrip())
                out.extend(" " * TERM_COLUMN + t for t in text[1:])
        elif kind == "example":
            out.append("  " + payload)
        elif kind == "values":
            name, words = payload
            out.append(f"{name}: {', '.join(words)}")
        elif kind == "break":
            if out and out[-1] != "":
                out.append("")
        else:
            if previous == "synopsis":
                out.append("")
            out.append(payload)
        previous = kind
    while out and out[-1] == "":
        out.pop()
    return "\n".join(out) + "\n"


def render_header(doc, text, symbol, version):
    if ")usage\"" in text:
        sys.exit("the usage text may not hold the raw string's end marker")
    return (
        "// Made by cmake/render_usage.py from the program's usage source; edit that.\n"
        "#pragma once\n\n"
        f"inline constexpr const char {symbol}[] = R\"usage({text})usage\";\n"
        f"inline constexpr const char {symbol}Version[] = \"{version}\";\n"
    )


# --- the manual page ------------------------------------------------------------------------


def roff_escape(s):
    s = s.replace("\\", "\\e").replace("-", "\\-")
    if s.startswith(".") or s.startswith("'"):
        s = "\\&" + s
    return s


def roff_term(term):
    # Literal words bold, placeholders (upper case) italic, brackets plain.
    parts = re.split(r"([\[\]|.,=]|\s+)", term)
    out = []
    for p in parts:
        if not p:
            continue
        if re.fullmatch(r"[\[\]|.,=]|\s+", p):
            out.append(roff_escape(p))
        elif re.fullmatch(r"[A-Z][A-Z0-9_.:]*", p.rstrip(".")) and p != "N":
            out.append("\\fI" + roff_escape(p) + "\\fR")
        elif re.fullmatch(r"N|S|K", p):
            out.append("\\fI" + p + "\\fR")
        else:
            out.append("\\fB" + roff_escape(p) + "\\fR")
    return "".join(out)


def render_man(doc, version, date):
    name = doc["name"]
    title = roff_escape(name.upper())
    out = [
        f'.TH {title} 1 "{date}" "ostrel {version}" "User Commands"',
        ".SH NAME",
        f"{roff_escape(name)} \\- {roff_escape(doc['summary'])}",
        ".SH SYNOPSIS",
    ]
    for i, s in enumerate(doc["synopsis"]):
        if i:
            out.append(".br")
        out.append(roff_term(s))
    out.append(".SH DESCRIPTION")
    in_examples = False
    pending_break = False
    previous = None
    for kind, payload in doc["blocks"]:
        if kind != "example" and in_examples:
            out.extend([".fi", ".RE"])
            in_examples = False
        if kind == "section":
            out.append(".SH " + roff_escape(payload.upper()))
            pending_break = False
        elif kind == "entry":
            out.append(".TP")
            out.append(roff_term(payload.term))
            out.extend(roff_escape(t) for t in payload.text)
            pending_break = False
        elif kind == "example":
            if not in_examples:
                out.extend([".PP", ".RS 4", ".nf"])
                in_examples = True
            out.append(roff_escape(payload))
        elif kind == "values":
            name, words = payload
            out.extend([".TP", "\\fI" + roff_escape(name) + "\\fR", roff_escape(", ".join(words))])
        elif kind == "break":
            pending_break = True
        else:
            # Running text after a list item is a paragraph of its own.
            if pending_break or previous in ("entry", "values"):
                out.append(".PP")
                pending_break = False
            out.append(roff_escape(payload))
        previous = kind
    if in_examples:
        out.extend([".fi", ".RE"])
    return "\n".join(out) + "\n"


# --- bash completion ------------------------------------------------------------------------

WORD = r"[a-z][a-z0-9-]*"


def completion_model(doc):
    values = doc["values"]
    commands, subs, options, option_values, takes_value = [], {}, {}, {}, set()
    global_options = []
    for kind, entry in doc["blocks"]:
        if kind != "entry":
            continue
        tokens = entry.term.split()
        # Options and the words they take: --format int|hex, --simulate KIND.
        for m in re.finditer(r"(--[a-z0-9-]+)(?:[ =](\S+))?", entry.term):
            opt, arg = m.group(1), m.group(2)
            if arg and not arg.startswith("-") and not arg.startswith("|"):
                arg = arg.strip("[]")
                if re.fullmatch(f"{WORD}([|,]{WORD})+", arg):
                    takes_value.add(opt)
                    option_values[opt] = re.split("[|,]", arg)
                elif re.match(r"[A-Z]", arg):
                    takes_value.add(opt)
                    if arg in values:
                        option_values[opt] = values[arg]
        if tokens[0].startswith("-"):
            global_options.extend(re.findall(r"--[a-z0-9-]+", entry.term))
            continue
        if not re.fullmatch(WORD, tokens[0]):
            continue  # an exit status, a variable: not a command
        command = tokens[0]
        if command not in commands:
            commands.append(command)
        if len(tokens) > 1:
            second = tokens[1]
            if re.fullmatch(f"{WORD}(\\|{WORD})*", second):
                words = second.split("|")
            elif second in values:
                words = values[second]
            else:
                words = []
            for w in words:
                subs.setdefault(command, [])
                if w not in subs[command]:
                    subs[command].append(w)
        for opt in re.findall(r"--[a-z0-9-]+", entry.term):
            options.setdefault(command, [])
            if opt not in options[command]:
                options[command].append(opt)
    return commands, subs, options, option_values, takes_value, global_options


def render_completion(doc):
    name = doc["name"]
    fn = "_" + name.replace("-", "_")
    commands, subs, options, option_values, takes_value, global_options = completion_model(doc)
    global_options = list(dict.fromkeys(global_options + ["--help", "--version"]))
    lines = [
        f"# bash completion for {name}; made from its usage text by cmake/render_usage.py",
        f"{fn}() {{",
        '  local cur="${COMP_WORDS[COMP_CWORD]}" prev="${COMP_WORDS[COMP_CWORD-1]}"',
        '  local i w cmd="" sub="" words=""',
        "  COMPREPLY=()",
        "  for ((i = 1; i < COMP_CWORD; i++)); do",
        '    w="${COMP_WORDS[i]}"',
        '    case "$w" in',
        f"      {'|'.join(sorted(takes_value))}) ((i++)); continue ;;",
        "      -*) continue ;;",
        "    esac",
        '    if [ -z "$cmd" ]; then cmd="$w"; elif [ -z "$sub" ]; then sub="$w"; fi',
        "  done",
        '  case "$prev" in',
    ]
    for opt in sorted(option_values):
        lines.append(f'    {opt}) COMPREPLY=($(compgen -W "{" ".join(option_values[opt])}" -- "$cur")); return ;;')
    rest = sorted(takes_value - set(option_values))
    if rest:
        lines.append(f"    {'|'.join(rest)}) return ;;  # a file or a value: the shell's default")
    lines += [
        "  esac",
        '  if [ -z "$cmd" ]; then',
        f'    COMPREPLY=($(compgen -W "{" ".join(commands + global_options)}" -- "$cur"))',
        "    return",
        "  fi",
        '  case "$cmd" in',
    ]
    for c in commands:
        lines.append(f'    {c}) words="{" ".join(subs.get(c, []))}" ;;')
    lines += [
        "  esac",
        '  if [ -z "$sub" ] && [ -n "$words" ] && [[ "$cur" != -* ]]; then',
        '    COMPREPLY=($(compgen -W "$words" -- "$cur"))',
        "    return",
        "  fi",
        '  case "$cmd" in',
    ]
    for c in commands:
        lines.append(f'    {c}) words="{" ".join(options.get(c, []))}" ;;')
    lines += [
        '    *) words="" ;;',
        "  esac",
        '  [[ "$cur" == -* ]] && COMPREPLY=($(compgen -W "$words" -- "$cur"))',
        "  return 0",
        "}",
        f"complete -o bashdefault -o default -F {fn} {name}",
    ]
    return "\n".join(lines) + "\n"


def write(path, text):
    # Leave an unchanged file alone so what depends on it is not rebuilt.
    try:
        with open(path, encoding="utf-8") as f:
            if f.read() == text:
                return
    except OSError:
        pass
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("source")
    ap.add_argument("--header")
    ap.add_argument("--symbol", default="kUsage")
    ap.add_argument("--prefix", default="usage: ")
    ap.add_argument("--man")
    ap.add_argument("--man-gz", help="the manual page, gzip-compressed the same way every time")
    ap.add_argument("--completion")
    ap.add_argument("--version", required=True)
    ap.add_argument("--date", required=True)
    a = ap.parse_args()
    doc = parse(a.source)
    if a.header:
        write(a.header, render_header(doc, render_text(doc, a.prefix), a.symbol, a.version))
    if a.man:
        write(a.man, render_man(doc, a.version, a.date))
    if a.man_gz:
        data = gzip.compress(render_man(doc, a.version, a.date).encode("utf-8"), 9, mtime=0)
        with open(a.man_gz, "wb") as f:
            f.write(data)
    if a.completion:
        write(a.completion, render_completion(doc))


if __name__ == "__main__":
    main()
