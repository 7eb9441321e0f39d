// The message function and the setup log.
//
// DoMessage(flags, ...) is steered by a string of option letters, read left
// to right without regard to case; letters with an argument take the next
// argument word:
//   a <module>  message ids that follow are looked up in this module
//   e           append ":\n" and the last system error's text
//   f           no effect
//   i           information icon (103), caption "Information" unless r/t give one
//   m <id>      message text = GetMLResString(id); the id is remembered
//   r <id>      caption = GetMLResString(id)
//   s <text>    message text = GetMLText(text) (literal or id)
//   t <text>    caption = GetMLText(text)
// The message text is a printf format expanded with the remaining arguments
// (16383 characters at most), logged as "** Message **: %s\n" and shown through
// the box presenter (framework/base/sys_box.h). Returns the presenter's answer,
// or 1 after a bad letter string (shown as message 5008). The driver library's
// build shows and logs nothing and returns 0.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstdio>

int DoMessage(const char* flags, ...);
int DoMessageV(const char* flags, va_list args);
// DoMessage with the system error text appended as by the letter 'e', in
// every build: the framework's own reports use it, as the plug-in's build of
// DoMessage takes no 'e'.
int DoMessageWithSystemError(const char* flags, ...);
// DoMessage("m", id, ...).
int ShowMessageById(uint16_t id, ...);
// DoMessage with `flags`, whose first 'm' takes `id`; the other letters'
// arguments and the text's arguments come from `args`.
int DoMessageIdV(const char* flags, uint16_t id, va_list args);

// The text for `key` in the keyed text table `tableId` (an RT_RCDATA
// resource of the program's own module), in the current language:
//   layout A: records {u16 key; NUL-terminated text} to the end of the resource;
//   layout B: a first u32 0xFFFFFFFF, then records {u32 key; NUL-terminated
//   text}, ended by the u32 pair 0xFFFFFFFF 0xFFFFFFFF.
// A missing table gives message 6447's text; an absent key message 6448's
// ("%u: Unknown") formatted with the key.
const char* GetKeyedText(uint32_t key, uint16_t tableId);

// Formats into the setup log and flushes it while the log switch is on;
// else does nothing and returns 0.
int LogPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The setup log: a stream and its switch (/L). Null stream switches it off.
void SetSetupLog(FILE* stream);
FILE* GetSetupLog();

// A text argument: a message id below 0x8000, or a pointer to a text.
inline const char* MsgText(uint32_t id) {
    return reinterpret_cast<const char*>(static_cast<uintptr_t>(id));
}
