// Operating-system functions bound at run time by module and procedure name.
//
// A record is built unresolved and resolves on its first call; a module or
// procedure that is missing makes it fail for good, and every call then
// returns 0 without asking the system again. Records in static storage are
// constant-initialised, so they may be used from any static initialiser.
#pragma once

#include <windows.h>

#include <cstdint>
#include <type_traits>

class RT_IMPORT_PROC {
public:
    // Gives the module of records that share one library bound elsewhere
    // (null when it is missing); such a record never frees it.
    using ModuleSource = HMODULE (*)();

    constexpr RT_IMPORT_PROC(const char* procName, const char* moduleName, bool callerPops = false)
        : name_(procName), module_(moduleName), callerPops_(callerPops) {}
    constexpr RT_IMPORT_PROC(const char* procName, const char* moduleName, ModuleSource source)
        : name_(procName), module_(moduleName), source_(source), callerPops_(false) {}
    ~RT_IMPORT_PROC();
    RT_IMPORT_PROC(const RT_IMPORT_PROC&) = delete;
    RT_IMPORT_PROC& operator=(const RT_IMPORT_PROC&) = delete;

    // True when the address is usable.
    bool Resolve();
    // Calls with `count` argument words (0..9, each the size of a pointer);
    // the procedure's result, or 0 when it cannot be resolved or count is
    // out of range.
    uintptr_t Call(uint32_t count, const uintptr_t* args);
    // Drops the binding; the module is freed only when this record loaded it.
    void Unload();

    const char* Name() const { return name_; }
    const char* Module() const { return module_; }
    FARPROC Address() const { return address_ == kFailed ? nullptr : address_; }
    bool Failed() const { return address_ == kFailed; }
    // Records compare by procedure name.
    bool IsEqual(const RT_IMPORT_PROC& other) const;
    bool IsGreater(const RT_IMPORT_PROC& other) const;

private:
    static inline FARPROC const kFailed = reinterpret_cast<FARPROC>(static_cast<intptr_t>(-1));
    const char* name_;
    const char* module_;
    HMODULE handle_ = nullptr;
    FARPROC address_ = nullptr;  // null: not resolved yet; kFailed: cannot be
    bool loaded_ = false;        // true when LoadLibraryA gave the handle
    ModuleSource source_ = nullptr;
    bool callerPops_;
};

template <typename T>
class RT_PROC : public RT_IMPORT_PROC {
public:
    constexpr RT_PROC(uint32_t argWords, const char* procName, const char* moduleName,
                      bool callerPops = false)
        : RT_IMPORT_PROC(procName, moduleName, callerPops), argWords_(argWords) {}
    constexpr RT_PROC(uint32_t argWords, const char* procName, const char* moduleName, ModuleSource source)
        : RT_IMPORT_PROC(procName, moduleName, source), argWords_(argWords) {}
    template <typename... A>
    T operator()(A... args) {
        static_assert(sizeof...(A) <= 9, "at most 9 argument words");
        const uintptr_t words[sizeof...(A) + 1] = {Word(args)..., 0};
        const uintptr_t result = Call(argWords_, words);
        if constexpr (std::is_void_v<T>) return;
        else if constexpr (std::is_pointer_v<T>) return reinterpret_cast<T>(result);
        else return static_cast<T>(result);
    }
    uint32_t ArgWords() const { return argWords_; }

private:
    // Pointers and numbers travel as machine words.
    template <typename A>
    static uintptr_t Word(A a) {
        if constexpr (std::is_pointer_v<A>) return reinterpret_cast<uintptr_t>(a);
        else return static_cast<uintptr_t>(a);
    }
    uint32_t argWords_;
};

// Two-argument standard-call procedure returning int.
class RT_PROC2 : public RT_PROC<int> {
public:
    constexpr RT_PROC2(const char* procName, const char* moduleName)
        : RT_PROC<int>(2, procName, moduleName) {}
};

// Six-argument standard-call procedure returning int.
class RT_PROC6 : public RT_PROC<int> {
public:
    constexpr RT_PROC6(const char* procName, const char* moduleName)
        : RT_PROC<int>(6, procName, moduleName) {}
};
