// Bilingual texts: "English|Russian" literals and message ids below 0x8000
// naming resources of the program's module; one process-wide language switch.
//
// Results of GetMLText live in a 64 KiB ring of the calling thread and stay
// valid until the ring wraps over them; callers copy what they keep. The
// rings are freed when the module that holds this code is unloaded.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/base/dynarray.h"

// 0 = English, non-zero = Russian.
extern uint8_t g_mlLanguage;

// The module in which message ids are looked up while it differs from the
// program's own instance (DoMessage's letter 'a' sets it for one message).
HMODULE GetLanguageModule();
void SetLanguageModule(HMODULE module);  // null: the program's own instance
HMODULE GetProgramInstance();
// The module that holds resource `id` of `type` (a replaceable hook; by
// default the program's own module).
using ResourceModuleHook = HMODULE (*)(const char* type, uint32_t id);
void SetResourceModuleHook(ResourceModuleHook hook);  // null: default
HMODULE ResourceModuleFor(const char* type, uint32_t id);

// True for a text argument that is a message id.
inline bool IsMessageId(const char* text) {
    return reinterpret_cast<uintptr_t>(text) < 0x8000;
}

const char* GetMLText(const char* text);
const char* GetMLResString(uint32_t id);
const char* GetMLTextIn(uint8_t language, const char* text);
// Both halves: a pointer unchanged; an id's whole resource text, converted.
const char* GetMLSourceText(const char* text);
// Cuts a text that is in code page 1251 already (a text made from converted
// results) into the ring, without the 866 conversion.
const char* GetMLTextConverted(const char* text);

// Converts Russian code page 866 letters to code page 1251 in place. With
// `check`, a text holding any byte of 0xC0-0xDF or 0xF0-0xFF is taken to be
// 1251 already and left unchanged.
void RecodeCP866(bool check, char* text);
// Conversion hook: whether conversion is wanted (the framework's says yes).
using RecodeHook = bool (*)();
void SetRecodeHook(RecodeHook hook);  // null: default

// A caption (button texts) in the current language, held inline below 80
// bytes and on the heap above. A literal's Russian half is converted from
// code page 866 here; an id's text comes converted and is not touched again.
class MLCaption {
public:
    explicit MLCaption(const char* text);
    ~MLCaption();
    MLCaption(const MLCaption&) = delete;
    MLCaption& operator=(const MLCaption&) = delete;
    const char* Text() const { return data_; }
    bool OnHeap() const { return heap_ != nullptr; }

private:
    const char* data_ = inline_;
    char* heap_ = nullptr;
    char inline_[80] = {};
};

// The bytes of one RT_RCDATA resource copied out of its module.
class ResRCDATA : public DynArrayBase {
public:
    ResRCDATA() = default;
    // Loads when id is non-zero.
    ResRCDATA(HMODULE module, uint32_t id);
    // Drops what was loaded; a null module is the resource module lookup's
    // for (RT_RCDATA, id). True when something was loaded.
    bool Load(HMODULE module, uint32_t id);
    uint32_t LoadedSize() const { return Size(); }
    const uint8_t* Bytes() const { return static_cast<const uint8_t*>(Data()); }
};

// The id of a resource of `type` to use in the current language: id + 10000
// when the language flag is set and that resource exists in the module the
// lookup names, else id. When not even id exists, message 6795 names the id
// and the type (keyed table 6484), and id is returned all the same.
uint32_t LocalizedResourceId(const char* type, uint32_t id);
