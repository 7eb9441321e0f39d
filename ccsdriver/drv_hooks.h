// The driver's quiet versions of the functions the framework leaves to the
// program: the driver runs inside a host, so it never shows a message box of
// its own, has no main window and never ends the process.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

int DrvDoMessage(const char* flags, ...);
int DrvShowMessageById(uint16_t id, ...);
void* DrvMainWindowObject();
void DrvExitProgram(int code);
// Help over the "HelpFile" setting: 1 context, 3 and 11 open the file,
// 8 a text popup, 261 a keyword lookup; other commands do nothing.
uintptr_t DrvShowHelp(HWND window, uint32_t command, uintptr_t data);

// The module the driver's code lives in (the library, or the program that
// links the driver's code statically).
HMODULE DriverModule();
// The program that loaded the driver: its file name without folder and
// extension ("cc_app" for "...\cc_app.exe").
std::string HostProgramName();

// <folder of the driver module>[subFolder\]fileName[.extension]; an
// extension that begins with "." gets no second dot. Null parts are left out.
char* ModuleFilePath(const char* subFolder, const char* extension, const char* fileName, char* out,
                     uint32_t size = MAX_PATH);
std::string ModuleFilePathStr(const char* subFolder, const char* extension, const char* fileName);
// VOQ-TMS.ini beside the library.
std::string SettingsFilePath();

// The driver's busy scope (the framework's MSControl): it shows no wait box,
// cursor or status text; it only deletes the object it was given to own and
// frees its text.
class BaseObject;
class DrvBusyScope {
public:
    DrvBusyScope(const char* text = nullptr, BaseObject* owned = nullptr);
    ~DrvBusyScope();
    DrvBusyScope(const DrvBusyScope&) = delete;
    DrvBusyScope& operator=(const DrvBusyScope&) = delete;
    void Own(BaseObject* object);

private:
    char* text_ = nullptr;
    BaseObject* owned_ = nullptr;
};
