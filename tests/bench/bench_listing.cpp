// LIST parsing speed: lines per second for a generated 100,000-line listing,
// or for a captured listing given as the first argument.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/listdate.h"
#include "engine/listparse.h"

static std::string Generated(int lines) {
  std::string text = "drwxr-xr-x    3 1001     0            4096 Dec 08 16:54 .\r\n"
                     "drwxr-xr-x    3 1001     0            4096 Dec 08 16:54 ..\r\n";
  char line[160];
  for (int i = 0; i < lines; ++i) {
    snprintf(line, sizeof line, "-rw-r--r--    1 user     group    %10d %s %2d %s file-%06d.dat\r\n", i * 37,
             i % 3 ? "Mar" : "Oct", 1 + i % 28, i % 2 ? "2024 " : "10:00", i);
    text += line;
  }
  return text;
}

int main(int argc, char** argv) {
  std::string text;
  if (argc > 1) {
    std::ifstream in(argv[1], std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    text = ss.str();
  } else {
    text = Generated(100000);
  }
  size_t lines = 0;
  for (char c : text) lines += c == '\n';
  ListParseOptions options;
  options.now = ListClock{2026, 12};
  std::vector<double> ms;
  size_t entries = 0;
  for (int run = 0; run < 7; ++run) {
    std::vector<FileEntry> list;
    list.reserve(lines);
    auto start = std::chrono::steady_clock::now();
    ParseListing(text, options, list);
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    entries = list.size();
  }
  std::sort(ms.begin(), ms.end());
  double median = ms[ms.size() / 2];
  std::printf("LIST parse (%s): %zu lines, %zu entries, median %.1f ms, %.0f lines/s\n",
              argc > 1 ? argv[1] : "generated", lines, entries, median, lines / (median / 1000.0));
  return 0;
}
