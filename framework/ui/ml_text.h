// Bilingual texts: "English|Russian" literals and message ids below 0x8000
// naming resources of the program's module; one process-wide language switch.
//
// Results of GetMLText live in a 64 KiB ring of the calling thread and stay
// valid until the ring wraps over them; callers copy what they keep.
#pragma once

#include <windows.h>

#include <cstdint>

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

// Converts Russian code page 866 letters to code page 1251 in place. With
// `check`, a text holding any byte of 0xC0-0xDF or 0xF0-0xFF is taken to be
// 1251 already and left unchanged.
void RecodeCP866(bool check, char* text);
// Conversion hook: whether conversion is wanted (the framework's says yes).
using RecodeHook = bool (*)();
void SetRecodeHook(RecodeHook hook);  // null: default
