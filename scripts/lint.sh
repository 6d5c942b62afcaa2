#!/usr/bin/env bash
# Checks the C++ files under src/ and tests/ that changed since a base commit:
#   scripts/lint.sh
# clang-tidy (.clang-tidy) reads each changed file that the Linux build
# compiles, with that build's flags (build/compile_commands.json: run
# scripts/build.sh first), and reports what it finds in the changed files
# alone, headers included. clang-format (.clang-format) checks the changed
# lines under src/ alone, so that old code is not made over; tests/ is left
# out, since a changed row of a table of cases would have the whole table
# wrapped anew. Any finding is printed, and the exit status is 1.
#
# The base: $KIVREL_LINT_BASE if set (any commit git names); else the
# merge-base with origin/main where that ref exists and the merge-base is not
# HEAD itself (a branch's work); else HEAD~1 (the last commit, as in CI's clone
# of main). Changes in the working tree count too; files git does not track
# yet do not. A file moved unchanged has not changed; one moved with edits has
# (for clang-tidy, the whole file; for clang-format, the edited lines). Where
# HEAD has no parent (a shallow clone of one commit), there is no base:
# clang-tidy reads every file it would read, and the format check is skipped,
# since every line would count as changed.
#
# Not read by clang-tidy: the Windows build's own files (*_windows.cpp,
# src/ui/win32/, tests/gui_win32/) and the fuzzers (tests/fuzz/), which the
# Linux build does not compile; their changed lines under src/ are still
# format-checked. A changed header is read through a source file that
# includes it, directly or through other headers.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=build
jobs=$(nproc 2>/dev/null || echo 2)

scripts/install-deps.sh --build clang-tidy clang-format
if [ ! -f "$build/compile_commands.json" ]; then
  echo "lint: $build/compile_commands.json is missing: run scripts/build.sh first" >&2
  exit 2
fi

if [ -n "${KIVREL_LINT_BASE:-}" ]; then
  base=$(git rev-parse --verify --quiet "${KIVREL_LINT_BASE}^{commit}") ||
    { echo "lint: KIVREL_LINT_BASE=$KIVREL_LINT_BASE names no commit" >&2; exit 2; }
elif git rev-parse --verify --quiet origin/main >/dev/null &&
    base=$(git merge-base origin/main HEAD 2>/dev/null) &&
    [ "$base" != "$(git rev-parse HEAD)" ]; then
  :
elif base=$(git rev-parse --verify --quiet 'HEAD~1^{commit}'); then
  :
else
  base=""
fi

# The C++ files in question: changed since the base (added, copied, modified,
# renamed; not deleted), or all of them where there is no base.
if [ -n "$base" ]; then
  echo "lint: changes since $(git log -1 --format='%h %s' "$base")"
  # A file moved without a change (similarity 100%) has not changed.
  mapfile -t files < <(git diff --name-status -M --diff-filter=ACMR "$base" -- \
    'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' | awk -F '\t' '$1 != "R100" { print $NF }')
else
  echo "lint: HEAD has no parent: every file is read, and the format check is skipped"
  mapfile -t files < <(git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h')
fi
if [ ${#files[@]} -eq 0 ]; then
  echo "lint: no C++ file under src/ or tests/ changed"
  exit 0
fi

# Which files clang-tidy reads: each changed file that the build compiles, and
# for a changed header its own .cpp where the build compiles one, else the
# first compiled file that includes it, directly or through other headers
# (headers are included by their path from src/ or from tests/).
declare -A sources=()  # the files clang-tidy is run on
reported=()            # the files whose findings count
skipped=()             # changed files that no compiled file reads
while IFS=$'\t' read -r kind path; do
  case "$kind" in
    read) sources[$path]=1 ;;
    report) reported+=("$path") ;;
    skip) skipped+=("$path") ;;
  esac
done < <(printf '%s\n' "${files[@]}" | python3 -c '
import json, os, re, sys
root, database = sys.argv[1], sys.argv[2]
compiled = [os.path.normpath(os.path.join(e["directory"], e["file"])) for e in json.load(open(database))]
includes = {}  # file -> the project headers it names, by their path from root
for top in ("src", "tests"):
    for folder, _, names in os.walk(os.path.join(root, top)):
        for name in names:
            if name.endswith((".h", ".cpp")):
                path = os.path.join(folder, name)
                text = open(path, errors="replace").read()
                includes[path] = {os.path.join(root, t, m) for m in re.findall(r"^#include \"([^\"]+)\"", text, re.M)
                                  for t in ("src", "tests")}
def reader(path):
    if path in compiled:
        return path
    if not path.endswith(".h"):
        return None
    if path[:-2] + ".cpp" in compiled:
        return path[:-2] + ".cpp"
    wanted, seen = {path}, set()
    while wanted - seen:
        seen |= wanted
        for source in compiled:
            if includes.get(source, set()) & wanted:
                return source
        wanted = wanted | {f for f, named in includes.items() if named & wanted}
    return None
for line in sys.stdin:
    file = line.strip()
    found = reader(os.path.join(root, file))
    if found:
        print("read\t" + found)
        print("report\t" + os.path.join(root, file))
    else:
        print("skip\t" + file)
' "$root" "$build/compile_commands.json")
if [ ${#skipped[@]} -gt 0 ]; then
  echo "lint: not compiled by the Linux build, so not read by clang-tidy: ${skipped[*]}"
fi

status=0
output=$(mktemp)
trap 'rm -f "$output"' EXIT
if [ ${#sources[@]} -gt 0 ]; then
  echo "lint: clang-tidy on ${#sources[@]} file(s)"
  # Only the files in question are reported on: a filter of whole files.
  filter=$(printf '%s\n' "${reported[@]}" | python3 -c '
import json, sys
print(json.dumps([{"name": line.strip()} for line in sys.stdin]))')
  # A file that does not compile fails its run; its errors are printed with
  # the findings. (GCC's link-time optimization flags are none of clang's.)
  printf '%s\0' "${!sources[@]}" | sort -z |
    xargs -0 -P "$jobs" -I{} sh -c '
      status=0
      out=$(clang-tidy -p "$1" --quiet --header-filter="^$2/(src|tests)/" --line-filter="$3" \
        --extra-arg=-Wno-ignored-optimization-argument "$4" 2>&1) ||
        status=$?
      printf "%s\n" "$out"
      exit $status' sh "$build" "$root" "$filter" {} >"$output" || status=1
  # Each finding once (a header's may come through two files), without
  # clang-tidy's own tallies, and then a count by check.
  python3 - "$output" "$root/" <<'PY' || status=1
import collections, re, sys
start = re.compile(r"^\S+:\d+:\d+: (warning|error): .*?(?: \[([^\]]+)\])?$")
chatter = re.compile(r"^(\d+ (warnings?|errors?) .*generated\.|Suppressed \d+ warnings|"
                     r"Use -header-filter|Error while processing )")
blocks, block = [], []
for line in open(sys.argv[1], errors="replace"):
    line = line.rstrip("\n")
    if chatter.match(line):
        continue
    if start.match(line):
        block = [line]
        blocks.append(block)
    elif blocks:
        block.append(line)
seen, counts = set(), collections.Counter()
for block in blocks:
    if block[0] in seen:
        continue
    seen.add(block[0])
    print("\n".join(block).replace(sys.argv[2], ""))
    match = start.match(block[0])
    counts[match.group(2) or "compiler " + match.group(1)] += 1
if counts:
    print("lint: clang-tidy found " + ", ".join(f"{n} {check}" for check, n in counts.most_common()))
    sys.exit(1)
PY
fi

# Under src/ only: in tests/, a changed row of a table of cases would have
# the whole table, one statement, wrapped anew. The changed lines are those
# git's diff adds, with moved files followed, so that a file moved with an
# edit or two is not taken as all new; clang-format is given just those lines
# and whatever it would change there is printed as a diff.
if [ -n "$base" ]; then
  echo "lint: clang-format on the changed lines under src/"
  git diff -U0 -M --no-color --no-ext-diff --diff-filter=ACMR "$base" -- 'src/*.cpp' 'src/*.h' |
    python3 -c '
import difflib, re, subprocess, sys
lines, name = {}, None
for line in sys.stdin:
    if line.startswith("+++ "):
        name = line[6:].rstrip("\n") if line.startswith("+++ b/") else None
        lines.setdefault(name, [])
    match = re.match(r"@@ -\S+ \+(\d+)(?:,(\d+))? @@", line)
    if match and name:
        first, count = int(match.group(1)), int(match.group(2) or 1)
        if count:
            lines[name].append(f"--lines={first}:{first + count - 1}")
found = False
for name, ranges in lines.items():
    if not name or not ranges:
        continue
    text = open(name, errors="surrogateescape").read()
    formatted = subprocess.run(["clang-format", "--style=file", "--assume-filename=" + name] + ranges,
                               input=text, capture_output=True, text=True, errors="surrogateescape", check=True).stdout
    if formatted != text:
        found = True
        sys.stdout.writelines(difflib.unified_diff(text.splitlines(True), formatted.splitlines(True),
                                                   "a/" + name, "b/" + name, n=1))
sys.exit(1 if found else 0)' || { echo "lint: clang-format would change the lines above"; status=1; }
fi

if [ $status -eq 0 ]; then
  echo "lint: nothing found"
fi
exit $status
