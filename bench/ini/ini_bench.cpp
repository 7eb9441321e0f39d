// Times loading, querying and saving an INI file of 100 000 records in 1 000
// sections, read with and without preprocessing, next to a plain read and
// write of the same bytes in the same run, and prints the figures with their
// ratios to the plain read and write. Each figure is the best of a few runs.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/base/sys_box.h"
#include "framework/config/ini_stream.h"

namespace {

constexpr int kSections = 1000;
constexpr int kRecordsPerSection = 100;
constexpr int kRuns = 5;
constexpr int kPlainRuns = 20;  // the plain copy is short: more runs steady it

double Now() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

int Quiet(const FwBoxRequest&) { return 1; }

bool WriteBytes(const char* path, const std::string& bytes) {
  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

std::string ReadBytes(const char* path) {
  std::string bytes;
  FILE* f = std::fopen(path, "rb");
  if (!f) return bytes;
  std::fseek(f, 0, SEEK_END);
  bytes.resize(static_cast<size_t>(std::ftell(f)));
  std::fseek(f, 0, SEEK_SET);
  bytes.resize(std::fread(&bytes[0], 1, bytes.size(), f));
  std::fclose(f);
  return bytes;
}

// The file as the engine saves it: text mode, so CR LF line ends.
std::string MakeFile() {
  std::string text;
  for (int s = 0; s < kSections; ++s) {
    if (s) text += "\r\n";
    text += "[Section" + std::to_string(s) + "]\r\n";
    for (int r = 0; r < kRecordsPerSection; ++r)
      text += "Record" + std::to_string(r) + "=value " + std::to_string(s * kRecordsPerSection + r) + "\r\n";
  }
  return text;
}

struct Figures {
  double load = 1e30, query = 1e30, save = 1e30;
  unsigned long found = 0;
  bool saved = false;
};

// One run over a fresh copy of the file: load, look every record up, save.
void Run(uint8_t flags, const char* path, const std::string& bytes, Figures& best) {
  WriteBytes(path, bytes);
  const double t0 = Now();
  INIStream stream(flags, path);
  const double t1 = Now();
  unsigned long found = 0;
  char section[32], record[32];
  for (int s = 0; s < kSections; ++s) {
    std::snprintf(section, sizeof section, "Section%d", s);
    stream.SetSection(section);
    for (int r = 0; r < kRecordsPerSection; ++r) {
      std::snprintf(record, sizeof record, "Record%d", r);
      found += stream.FindValue(record) != nullptr;
    }
  }
  const double t2 = Now();
  const bool saved = stream.Save();
  const double t3 = Now();
  best.load = std::min(best.load, t1 - t0);
  best.query = std::min(best.query, t2 - t1);
  if (saved) best.save = std::min(best.save, t3 - t2);
  best.found = found;
  best.saved = saved;
  if (saved && ReadBytes(path) != bytes) std::printf("warning: the saved file differs from the one read\n");
}

}  // namespace

int main() {
  SetBoxPresenter(Quiet);
  const std::string bytes = MakeFile();
  const char* source = "ini_bench.ini";
  const char* copy = "ini_bench_copy.ini";
  const char* work = "ini_bench_work.ini";
  if (!WriteBytes(source, bytes)) {
    std::printf("cannot write %s\n", source);
    return 1;
  }

  double plain = 1e30;
  for (int i = 0; i < kPlainRuns; ++i) {
    const double t0 = Now();
    const std::string read = ReadBytes(source);
    WriteBytes(copy, read);
    plain = std::min(plain, Now() - t0);
  }

  struct Mode {
    const char* name;
    uint8_t flags;
    Figures figures;
  } modes[] = {
      {"read-write", 0, {}},
      {"preprocessed", INI_PREPROCESS, {}},
      {"read-only (indexed)", INI_READ_ONLY, {}},
      {"read-only preprocessed", INI_READ_ONLY | INI_PREPROCESS, {}},
  };
  for (Mode& m : modes)
    for (int i = 0; i < kRuns; ++i) Run(m.flags, work, bytes, m.figures);

  std::printf("INI file: %d sections, %d records, %u bytes; best of %d runs\n", kSections, kSections * kRecordsPerSection,
              static_cast<unsigned>(bytes.size()), kRuns);
  std::printf("plain read + write of the same bytes: %8.2f ms (best of %d)\n\n", plain * 1e3, kPlainRuns);
  std::printf("%-24s %9s %9s %9s %9s %7s  %s\n", "mode", "load ms", "query ms", "save ms", "total ms", "ratio",
              "records found");
  for (const Mode& m : modes) {
    const Figures& f = m.figures;
    const double save = f.saved ? f.save : 0;
    const double total = f.load + f.query + save;
    char saveText[16];
    if (f.saved) std::snprintf(saveText, sizeof saveText, "%9.2f", save * 1e3);
    else std::snprintf(saveText, sizeof saveText, "%9s", "-");
    std::printf("%-24s %9.2f %9.2f %s %9.2f %7.1f  %lu\n", m.name, f.load * 1e3, f.query * 1e3, saveText, total * 1e3,
                total / plain, f.found);
  }
  std::printf("\nratio = (load + query + save) / plain read + write\n");
  std::remove(source);
  std::remove(copy);
  std::remove(work);
  return 0;
}
