// Application-wide event handlers.
//
// Every PEvHandler is registered for its whole life in one process-wide list
// ordered by (priority unsigned, then object address); a broadcast calls one
// virtual handler on every registered object in that order. Handlers may
// register, leave or change priority during a broadcast: each handler
// registered at the start is called at most once, and never after it left.
// The list and the broadcasts belong to the user-interface thread.
#pragma once

#include <cstdint>

#include "framework/base/base_object.h"

// The options, desktop, colour and session broadcasts carry the stream being
// read or written.
class INIStream;

class PEvHandler : public BaseObject {
public:
    static constexpr uint32_t kDefaultPriority = 0x10000;

    PEvHandler();
    ~PEvHandler() override;
    PEvHandler(const PEvHandler&) = delete;
    PEvHandler& operator=(const PEvHandler&) = delete;

    uint32_t Priority() const { return priority_; }
    // Re-sorts the list at once when the priority changes.
    void SetPriority(uint32_t priority);

    virtual const char* GetEvHandlerName() { return ""; }
    // A custom event carries two machine words: an object pointer fits them.
    virtual void OnCustomEvent(uint32_t, uintptr_t, uintptr_t) {}
    virtual void OnChipSelect() {}
    virtual void OnBeforeLoadProgram(uint32_t, uint32_t) {}
    virtual void OnAfterLoadProgram(uint32_t, uint32_t) {}
    virtual bool OnBeforeRun(uint32_t) { return true; }
    virtual void OnNotify(uint32_t, uint32_t, uint32_t, uint32_t) {}
    virtual void OnRun(uint32_t) {}
    virtual void OnStop(uint32_t) {}
    virtual void OnOptionsLoaded() {}
    virtual void OnOptionsRead(INIStream*) {}
    virtual void OnOptionsWrite(INIStream*) {}
    virtual void OnDesktopRead(INIStream*) {}
    virtual void OnDesktopWrite(INIStream*) {}
    virtual void OnSessionRead(INIStream*) {}
    virtual void OnSessionWrite(INIStream*) {}
    virtual void OnColorsRead(INIStream*) {}
    virtual void OnColorsWrite(INIStream*) {}
    virtual void OnMainWindowEvent(uint32_t) {}
    virtual void OnProjectOpened() {}
    virtual void OnProjectClosed() {}
    virtual void OnLanguageChange() {}
    virtual void OnSymbolInfoLoad() {}
    virtual void OnSymbolInfoReset() {}
    virtual void OnMainEntry() {}
    virtual void OnBeforeExit() {}
    virtual void OnKeymapChange() {}
    virtual void OnColorsChange() {}
    virtual void OnTargetOptionsSet() {}
    virtual void OnTargetOptionsChanged() {}
    virtual void OnThemeChange() {}
    virtual void OnMainWindowCreate() {}
    virtual void OnBeforeBuild() {}
    virtual void OnAfterBuild() {}
    virtual uint32_t OnQuery(uint32_t, uint32_t, uint32_t) { return 0; }
    virtual void OnError(uint32_t, uint32_t, uint32_t) {}

private:
    uint32_t priority_ = kDefaultPriority;
};

// Always first (priority 0) and always last (priority 0xFFFFFFFF); they live
// for the program's whole life: built by a static initialiser of the
// framework (and at the latest by the first broadcast), destroyed at exit.
class FirstEvHandler : public PEvHandler {
public:
    FirstEvHandler() { SetPriority(0); }
    const char* GetEvHandlerName() override { return "FirstEvHandler"; }
};

class LastEvHandler : public PEvHandler {
public:
    LastEvHandler() { SetPriority(0xFFFFFFFFu); }
    const char* GetEvHandlerName() override { return "LastEvHandler"; }
    // Calls the application's language-change hook.
    void OnLanguageChange() override;
};

// The application's language-change hook (empty by default).
using AppLanguageChangedHook = void (*)(int);
void SetAppLanguageChangedHook(AppLanguageChangedHook hook);

// The application object and its main window, as the broadcasts see them.
// Both are null until the window layer provides them.
void SetEvApplication(PEvHandler* application);
PEvHandler* GetEvApplication();
using MainWindowVisibleHook = bool (*)();
void SetMainWindowVisibleHook(MainWindowVisibleHook hook);

// Builds FirstEvHandler and LastEvHandler once.
void EnsureFrameworkEvHandlers();
uint32_t EvHandlerCount();
bool EvHandlerRegistered(const PEvHandler* handler);
bool RunPermission();

namespace PEvHandlerDispatcher {
void OnCustomEvent(uint32_t code, uintptr_t first, uintptr_t second);
void OnChipSelect();
void OnBeforeLoadProgram(uint32_t a, uint32_t b);
void OnAfterLoadProgram(uint32_t a, uint32_t b);
void OnRun(uint32_t a);
void OnStop(uint32_t a);
void OnOptionsLoaded();
void OnOptionsRead(INIStream* stream);
void OnOptionsWrite(INIStream* stream);
void OnDesktopRead(INIStream* stream);
void OnDesktopWrite(INIStream* stream);
void OnColorsRead(INIStream* stream);
void OnColorsWrite(INIStream* stream);
void OnSessionRead(INIStream* stream);
void OnSessionWrite(INIStream* stream);
void OnProjectOpened();
void OnProjectClosed();
void OnLanguageChange();
void OnSymbolInfoLoad();
void OnSymbolInfoReset();
void OnMainEntry();
void OnBeforeExit();
void OnKeymapChange();
void OnColorsChange();
void OnTargetOptionsSet();
void OnTargetOptionsChanged();
void OnThemeChange();
void OnMainWindowCreate();
void OnBeforeBuild();
void OnAfterBuild();
void OnError(uint32_t a, uint32_t b, uint32_t c);
bool OnBeforeRun(uint32_t a);
bool OnQuery(uint32_t a, uint32_t b, uint32_t c);
uint32_t OnMainWindowEvent(uint32_t a);
uint32_t OnNotify(uint32_t a, uint32_t b, uint32_t c, uint32_t d);
}  // namespace PEvHandlerDispatcher
