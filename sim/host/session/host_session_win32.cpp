#include "sim/host/session/host_session.h"

#include <cstdarg>
#include <cstring>

namespace sim::host {

namespace {

using namespace session_program;

std::string format(const char* fmt, ...) {
    char buffer[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(buffer, sizeof buffer, fmt, args);
    va_end(args);
    return buffer;
}

std::string words_text(const std::vector<std::uint32_t>& words) {
    std::string s;
    for (std::uint32_t w : words) s += format("%s%04X", s.empty() ? "" : " ", static_cast<unsigned>(w));
    return s;
}

bool contains(const char* text, const char* part) { return text && std::strstr(text, part) != nullptr; }

} // namespace

const SessionStep* HostSession::find(const std::string& name) const {
    for (const SessionStep& s : steps_)
        if (s.name == name) return &s;
    return nullptr;
}

bool HostSession::record(const std::string& name, bool ok, const std::string& detail) {
    steps_.push_back(SessionStep{name, ok, detail});
    if (out_) {
        std::fprintf(out_, "[%s] %s%s%s\n", ok ? " ok " : "FAIL", name.c_str(), detail.empty() ? "" : ": ",
                     detail.c_str());
        std::fflush(out_);
    }
    return ok;
}

bool HostSession::missing(const std::string& name, const void* fn) {
    if (fn) return false;
    record(name, false, "the driver does not export it");
    return true;
}

std::string HostSession::error_text() {
    if (!api_.GETERRSTR_EX2) return "no _GTI_GETERRSTR_EX2 to explain it";
    GtiApi::u32 origin = 0, flag = 0, zero1 = 0, zero2 = 0;
    const char* text = api_.GETERRSTR_EX2(handle_record_, &origin, &flag, &zero1, &zero2);
    return format("origin 0x%04X, flag %d, \"%s\"", static_cast<unsigned>(origin), static_cast<int>(flag),
                  text ? text : "(null)");
}

bool HostSession::result(const std::string& name, int32_t value, const std::string& detail) {
    if (value == 0) return record(name, true, format("0%s%s", detail.empty() ? "" : "; ", detail.c_str()));
    return record(name, false, format("%d; %s", static_cast<int>(value), error_text().c_str()));
}

void HostSession::pump(const SessionOptions& options) {
    if (options.pump) options.pump();
}

bool HostSession::configure(const SessionOptions& options) {
    const std::string name = "board parameters (GTI_GETCONFIGPARAM, GTI_SETCONFIGPARAM)";
    if (missing("GTI_GETCONFIGPARAM", reinterpret_cast<const void*>(api_.GETCONFIGPARAM)) ||
        missing("GTI_SETCONFIGPARAM", reinterpret_cast<const void*>(api_.SETCONFIGPARAM)))
        return false;
    GtiBoardParamList* list = nullptr;
    const int32_t got = api_.GETCONFIGPARAM(handle_record_, &list, options.board_name.c_str());
    if (got != 0 || !list || !list->entries) return record(name, false, format("GTI_GETCONFIGPARAM -> %d, list %p", got, static_cast<void*>(list)));
    // The host edits the driver's own list in place, then hands it back.
    bool tck = false, log = false;
    std::string seen;
    for (std::uint32_t i = 0; i < list->count; ++i) {
        GtiBoardParam& p = list->entries[i];
        seen += format("%s\"%s\" (%u choices, at %u)", seen.empty() ? "" : ", ", p.name ? p.name : "(null)",
                       p.choice_count, p.current);
        if (contains(p.name, "TCK Frequency") && options.tck_index < p.choice_count) {
            p.current = options.tck_index;
            tck = true;
        } else if (contains(p.name, "Log File") && p.choice_count >= 2) {
            p.current = options.log_on ? 1 : 0;
            log = true;
        }
    }
    const int32_t set = api_.SETCONFIGPARAM(handle_record_, &list, options.board_name.c_str());
    return record(name, tck && log && set == 0,
                  format("%s; TCK Frequency := %u, Log File := %s; GTI_SETCONFIGPARAM -> %d", seen.c_str(),
                         options.tck_index, options.log_on ? "On" : "Off", set));
}

bool HostSession::run_target(const SessionOptions& options) {
    bool ok = true;
    void* h = handle_record_;

    if (!missing("GTI_RESET", reinterpret_cast<const void*>(api_.RESET))) ok &= result("GTI_RESET", api_.RESET());
    pump(options);

    if (!missing("GTI_WRITEMEM_BLK", reinterpret_cast<const void*>(api_.WRITEMEM_BLK))) {
        ok &= result("GTI_WRITEMEM_BLK program",
                     api_.WRITEMEM_BLK(h, kProgramAddress, kSpaceCode, static_cast<GtiApi::u32>(kProgram.size()), 0, 0,
                                       0, 0, kProgram.data()),
                     format("Code 0x%04X: %s", kProgramAddress, words_text(kProgram).c_str()));
        ok &= result("GTI_WRITEMEM_BLK data",
                     api_.WRITEMEM_BLK(h, kDataAddress, kSpaceData, static_cast<GtiApi::u32>(kData.size()), 0, 0, 0, 0,
                                       kData.data()),
                     format("Data 0x%04X: %s", kDataAddress, words_text(kData).c_str()));
    } else {
        ok = false;
    }
    pump(options);

    if (!missing("GTI_SETBP", reinterpret_cast<const void*>(api_.SETBP)))
        ok &= result("GTI_SETBP", api_.SETBP(h, kBreakAddress, kSpaceCode), format("Code 0x%04X", kBreakAddress));
    else
        ok = false;

    if (!missing("GTI_WRITEREG", reinterpret_cast<const void*>(api_.WRITEREG))) {
        const GtiApi::u32 pc = kProgramAddress;
        ok &= result("GTI_WRITEREG PC", api_.WRITEREG(h, kRegPc, &pc), format("PC := 0x%04X", pc));
    } else {
        ok = false;
    }

    if (!missing("GTI_RUN_EX", reinterpret_cast<const void*>(api_.RUN_EX)))
        ok &= result("GTI_RUN_EX", api_.RUN_EX(h, 0));
    else
        ok = false;

    // Status class 0 means running; anything else means the target stopped.
    bool stopped = false;
    if (!missing("GTI_STAT", reinterpret_cast<const void*>(api_.STAT))) {
        unsigned polls = 0;
        int32_t cls = 0;
        while (polls < options.max_status_polls) {
            ++polls;
            cls = api_.STAT();
            if (cls != 0) break;
            pump(options);
            if (options.wait)
                options.wait(10);
            else
                Sleep(10);
        }
        stopped = cls > 0;
        ok &= record("GTI_STAT until stopped", stopped,
                     cls < 0 ? format("-1 after %u polls; %s", polls, error_text().c_str())
                             : format("class %d after %u polls%s", cls, polls, stopped ? "" : " (still running)"));
    } else {
        ok = false;
    }
    if (!stopped && api_.HALT) result("GTI_HALT", api_.HALT(h, 0));

    if (!missing("GTI_READREG", reinterpret_cast<const void*>(api_.READREG))) {
        struct Reg {
            const char* name;
            GtiApi::u32 id;
            GtiApi::u32 expected;
        };
        for (const Reg r : {Reg{"PC", kRegPc, kBreakAddress}, Reg{"AR2", kRegAr2, kDataAddress + 1}}) {
            GtiApi::u32 value = 0xDEAD;
            const int32_t rc = api_.READREG(h, r.id, &value);
            const std::string name = std::string("GTI_READREG ") + r.name;
            if (rc != 0) {
                ok &= result(name, rc);
                continue;
            }
            ok &= record(name, value == r.expected,
                         format("%s = 0x%04X%s", r.name, static_cast<unsigned>(value),
                                value == r.expected ? "" : format(", expected 0x%04X", static_cast<unsigned>(r.expected)).c_str()));
        }
    } else {
        ok = false;
    }

    if (!missing("GTI_CLEARBP", reinterpret_cast<const void*>(api_.CLEARBP)))
        ok &= result("GTI_CLEARBP", api_.CLEARBP(h, kBreakAddress, kSpaceCode), format("Code 0x%04X", kBreakAddress));
    else
        ok = false;

    if (!missing("GTI_READMEM_BLK", reinterpret_cast<const void*>(api_.READMEM_BLK))) {
        struct Block {
            const char* name;
            GtiApi::u32 space, address;
            const std::vector<std::uint32_t>& expected;
        };
        for (const Block& b : {Block{"GTI_READMEM_BLK data", kSpaceData, kDataAddress, kDataAfterRun},
                               Block{"GTI_READMEM_BLK program", kSpaceCode, kProgramAddress, kProgram}}) {
            std::vector<std::uint32_t> words(b.expected.size(), 0xDEADBEEF);
            const int32_t rc = api_.READMEM_BLK(h, b.address, b.space, static_cast<GtiApi::u32>(words.size()), 0, 0, 0,
                                                0, words.data());
            if (rc != 0) {
                ok &= result(b.name, rc);
                continue;
            }
            ok &= record(b.name, words == b.expected,
                         format("%s%s", words_text(words).c_str(),
                                words == b.expected ? "" : (", expected " + words_text(b.expected)).c_str()));
        }
    } else {
        ok = false;
    }
    pump(options);
    return ok;
}

bool HostSession::run(const SessionOptions& options) {
    steps_.clear();
    bool ok = configure(options);
    pump(options);

    bool initialised = false;
    if (!missing("GTI_INIT_EX", reinterpret_cast<const void*>(api_.INIT_EX))) {
        initialised = result("GTI_INIT_EX",
                             api_.INIT_EX(0, options.path_name.c_str(), 0, options.parm_file.c_str(), 0, 0, 0, 0, 0),
                             format("pathName \"%s\", parmFileName \"%s\"", options.path_name.c_str(),
                                    options.parm_file.c_str()));
    }
    ok &= initialised;
    pump(options);

    if (initialised) ok &= run_target(options);

    // A last look at the error pair: after a clean session it holds nothing.
    if (!missing("GTI_GETERRSTR_EX2", reinterpret_cast<const void*>(api_.GETERRSTR_EX2)))
        record("GTI_GETERRSTR_EX2", true, error_text());
    else
        ok = false;

    if (!missing("GTI_QUIT", reinterpret_cast<const void*>(api_.QUIT)))
        ok &= result("GTI_QUIT", api_.QUIT());
    else
        ok = false;
    return ok;
}

} // namespace sim::host
