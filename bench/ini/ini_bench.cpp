// Times loading, querying and saving an INI file of 100 000 records in 1 000
// sections, with and without preprocessing, next to a plain read and write
// of the same bytes, and prints the figures and their ratios.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/config/ini_env.h"
#include "framework/config/ini_stream.h"

namespace {

double Now() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

int Quiet(const char*, unsigned, const char*) { return 1; }

}  // namespace

int main() {
  ini_env::SetMessageSink(Quiet);
  std::string text;
  for (int s = 0; s < 1000; ++s) {
    text += "[Section" + std::to_string(s) + "]\n";
    for (int r = 0; r < 100; ++r) text += "Record" + std::to_string(r) + "=value " + std::to_string(s * 100 + r) + "\n";
    text += "\n";
  }
  const char* path = "ini_bench.ini";
  const char* copy = "ini_bench_copy.ini";
  FILE* f = std::fopen(path, "wb");
  if (!f) return 1;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);

  double t0 = Now();
  f = std::fopen(path, "rb");
  std::vector<char> bytes(text.size());
  const size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  f = std::fopen(copy, "wb");
  std::fwrite(bytes.data(), 1, got, f);
  std::fclose(f);
  const double plain = Now() - t0;

  t0 = Now();
  unsigned long found = 0;
  {
    INIStream stream(0, path);
    const double loaded = Now();
    for (int s = 0; s < 1000; ++s) {
      stream.SetSection(("Section" + std::to_string(s)).c_str());
      for (int r = 0; r < 100; r += 10) found += stream.FindValue(("Record" + std::to_string(r)).c_str()) != nullptr;
    }
    const double queried = Now();
    std::printf("load      %8.3f ms\nquery     %8.3f ms (10 000 lookups, %lu found)\n", (loaded - t0) * 1e3,
                (queried - loaded) * 1e3, found);
    t0 = queried;
  }
  const double save = Now() - t0;
  t0 = Now();
  { INIStream stream(INI_READ_ONLY, path); }
  const double readOnly = Now() - t0;
  t0 = Now();
  { INIStream stream(INI_READ_ONLY | INI_PREPROCESS, path); }
  const double pp = Now() - t0;
  std::printf("save      %8.3f ms\nread-only %8.3f ms (indexed)\npreproc.  %8.3f ms\nplain r+w %8.3f ms (%u bytes)\n",
              save * 1e3, readOnly * 1e3, pp * 1e3, plain * 1e3, static_cast<unsigned>(got));
  std::printf("ratio read-only/plain %.1f, preprocessed/plain %.1f\n", readOnly / plain, pp / plain);
  std::remove(path);
  std::remove(copy);
  return 0;
}
