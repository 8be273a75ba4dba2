#!/usr/bin/env python3
"""scripts/mutate --list on a small file: every kind of fault is planted, and nothing that only
declares, no comment, literal, preprocessor line, template bracket, `operator<` or `T&&` is touched.
Lines marked `// keep` must get no mutant. Usage: mutate_operators.py PATH/TO/scripts/mutate"""

import re
import subprocess
import sys
import tempfile
from pathlib import Path

SAMPLE = r"""#include <vector>
#define LIMIT(a) ((a) < 3 ? 1 : 2)  // keep
namespace demo {
constexpr int kSize = 4;
static_assert(kSize > 2 && kSize < 9, "four");  // keep
struct Box { int left, top, right, bottom; };  // keep
int area(const Box& b, int* height = nullptr);  // keep
template <typename T> bool less(const T& a, const T& b) { return a < b; }
bool operator<(const Box& a, const Box& b) { return a.left < b.left; }
int area(const Box& b, int* height) {
    const int w = b.right - b.left, h = b.bottom - b.top;
    if (w <= 0 || !(h > 0)) return 0;
    std::vector<std::vector<int>> rows(static_cast<std::size_t>(h));  // keep
    auto&& all = rows;  // keep
    int sum = 0;
    int top, bottom;  // keep
    static_assert(sizeof(int) >= 2 && kSize != 3, "int");  // keep
#if defined(DEMO) && DEMO > 1  // keep
    sum = w;
#endif
    for (int i = 0; i < h; ++i) {
        if (i == w) break;
        sum += std::min(w, i) << 1;
        // if (sum > w) return 0;  keep
    }
    if (sum > 100) {
        top = 100 /* < 3 */;
        return sum + top - bottom;
    }
    const char* text = "a < b && c";  // keep
    return sum + w * h + static_cast<int>(all.size() + (text[0] == 'a'));
}
}  // namespace demo
"""

KINDS = {"comparison", "logic", "negation", "constant", "arithmetic", "operands", "axis", "min/max",
         "guard", "return"}


def main():
    with tempfile.TemporaryDirectory() as tree:
        (Path(tree) / "sample.cpp").write_text(SAMPLE, encoding="utf-8")
        out = subprocess.run([sys.executable, sys.argv[1], "--list", "--tree", tree, "sample.cpp"],
                             stdout=subprocess.PIPE, text=True, check=True).stdout
    rows = re.findall(r"^sample\.cpp:(\d+) '(.*)' -> '(.*)'  \[(.+)\]$", out, re.M)
    lines = SAMPLE.split("\n")
    faults = [f"no {kind} mutant" for kind in sorted(KINDS - {r[3] for r in rows})]
    faults += [f"line {n} touched: '{a}' -> '{b}'" for n, a, b, _ in rows
               if "keep" in lines[int(n) - 1] or "operator<=" in b or "operator>" in b]
    print(out if faults else f"{len(rows)} mutants, every kind, none on a kept line")
    for f in faults:
        print("FAIL:", f)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
