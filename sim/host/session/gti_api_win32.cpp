#include "sim/host/session/gti_api.h"

namespace sim::host {

namespace {

template <class F>
void resolve(HMODULE module, F& pointer, const char* name, std::vector<std::string>& missing) {
    const std::string exported = std::string("_GTI_") + name;
    pointer = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, exported.c_str())));
    if (!pointer) missing.push_back(exported);
}

} // namespace

bool GtiApi::bind(HMODULE module) {
    missing.clear();
#define GTI_BIND(x) resolve(module, x, #x, missing)
    GTI_BIND(INIT_EX);
    GTI_BIND(QUIT);
    GTI_BIND(RUN_EX);
    GTI_BIND(HALT);
    GTI_BIND(STEP);
    GTI_BIND(RESET);
    GTI_BIND(STAT);
    GTI_BIND(READREG);
    GTI_BIND(WRITEREG);
    GTI_BIND(READMEM_BLK);
    GTI_BIND(WRITEMEM_BLK);
    GTI_BIND(SETBP);
    GTI_BIND(CLEARBP);
    GTI_BIND(WAS_HBP_HIT);
    GTI_BIND(NUM_HBP_TYPES);
    GTI_BIND(GETERRSTR);
    GTI_BIND(GETERRSTR_EX2);
    GTI_BIND(CONFIG);
    GTI_BIND(GETCONFIGPARAM);
    GTI_BIND(SETCONFIGPARAM);
    GTI_BIND(GETCAPABILITIES);
    GTI_BIND(GETPROCTYPE);
    GTI_BIND(GET_INFO_STRING);
    GTI_BIND(GETWORDSIZE);
#undef GTI_BIND
    return missing.empty();
}

} // namespace sim::host
