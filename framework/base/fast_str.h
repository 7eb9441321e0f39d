// Null-tolerant copy helpers usable on plain char buffers.
// They are unbounded by design: callers size their buffers.
#pragma once

// Copies source to destination when both are present; returns destination.
// With a null argument nothing is copied (and, under the debug flag, the
// box "_fast_strcpy: NULL parameter" is shown).
char* _fast_strcpy(char* destination, const char* source);
// Appends source; a null destination copies nothing.
char* _fast_strcat(char* destination, const char* source);
char* _fast_strcpycat(char* destination, const char* first, const char* second);
// Heap copy (malloc); null for null.
char* _fast_strdup(const char* text);
// Pointer to the terminating NUL; null for null.
char* _fast_strend(char* text);
const char* _fast_strend(const char* text);
