#include "setup/tests/support/system_readback.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstring>

RegValue ReadHklmValue(const std::string& key, const char* name)
{
    RegValue v;
    char data[1024] = {};
    DWORD size = sizeof data;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &v.type, data, &size) !=
        ERROR_SUCCESS)
        return RegValue{};
    if (v.type == REG_DWORD) std::memcpy(&v.number, data, 4);
    else v.text = data;
    return v;
}

bool LoadLink(const std::string& file, LinkData& out)
{
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return false;
    IPersistFile* persist = nullptr;
    bool ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)));
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
    ok = ok && SUCCEEDED(persist->Load(wide, STGM_READ));
    char text[MAX_PATH * 2];
    if (ok && SUCCEEDED(link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH))) out.path = text;
    if (ok && SUCCEEDED(link->GetArguments(text, sizeof text))) out.arguments = text;
    if (ok && SUCCEEDED(link->GetWorkingDirectory(text, sizeof text))) out.workingDir = text;
    if (ok && SUCCEEDED(link->GetDescription(text, sizeof text))) out.description = text;
    if (ok && SUCCEEDED(link->GetIconLocation(text, sizeof text, &out.iconIndex))) out.icon = text;
    if (persist) persist->Release();
    link->Release();
    return ok;
}
