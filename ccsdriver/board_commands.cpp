#include "ccsdriver/board_commands.h"

#include <cstdio>
#include <vector>

#include "ccsdriver/usb_trace.h"

namespace {

struct CommandEntry {
    uint32_t code;
    const char* name;
    uint32_t level;
};

constexpr CommandEntry kCommandList[] = {
    {kCmdGetBootVer, "GET_BOOT_VER", 0},  {kCmdGetStatus, "GET_STATUS", 0},
    {kCmdSetExchange, "SET_EXCHANGE", 0}, {kCmdResetTarget, "RESET_TARGET", 0},
    {kCmdGetVersion, "GET_VERSION", 0},   {kCmdGetSerial, "GET_SERIAL", 0},
    {kCmdRdSignat, "RD_SIGNAT", 0},       {kCmdWrSignat, "WR_SIGNAT", 0},
    {kCmdLoadTarget, "LOAD_TARGET", 0},   {kCmdStartTarget, "START_TARGET", 0},
    {kCmdFlashInit, "FLASH_INIT", 0},     {kCmdRdDebugTrace, "RD_DEBUG_TRACE", 0},
    {kCmdSetDebug, "SET_DEBUG", 0},       {0, nullptr, 0},
};

// Built on first use from the static list, so no initialisation order is
// involved.
const std::vector<CommandEntry>& Table()
{
    static const std::vector<CommandEntry> table = [] {
        std::vector<CommandEntry> t;
        for (const CommandEntry* e = kCommandList; e->name; ++e) {
            bool replaced = false;
            for (CommandEntry& existing : t)
                if (existing.code == e->code) {
                    existing = *e;
                    replaced = true;
                }
            if (!replaced) t.push_back(*e);
        }
        return t;
    }();
    return table;
}

}  // namespace

std::string CommandName(uint32_t code)
{
    for (const CommandEntry& e : Table())
        if (e.code == code) {
            std::string name(e.level > g_usbTrace.level ? "*" : "");
            name.append(e.name);
            return name;
        }
    char text[16];
    snprintf(text, sizeof text, "%08X", code);
    return text;
}

std::string CommandName(uint32_t code, uint8_t sequence)
{
    char text[8];
    snprintf(text, sizeof text, "%02X:", sequence);
    return text + CommandName(code);
}

const char* FlashStatusName(uint32_t code)
{
    switch (code) {
    case 0: return "FLASH_OK";
    case 1: return "FLASH_INV_ADDR";
    case 2: return "FLASH_WR_PROT";
    case 3: return "FLASH_NOT_BLANK";
    case 4: return "FLASH_VERIFY";
    case 7: return "FLASH_INIT_ER";
    case 8: return "FLASH_SIGN_ER";
    case 9: return "FLASH_INVALID_CRC";
    case 10: return "FLASH_INVALID_KEY_NUMB";
    case 11: return "FLASH_INVALID_SIGN";
    case 12: return "FLASH_INVALID_AREA_NAME";
    default: return "FLASH_STATUS Unknown";
    }
}
