// Calling convention of the functions that cross the library boundary.
//
// The product is 32-bit Windows, where the transport slots and the exports are
// stdcall. The native sanitizer build is x86-64, where the attribute has no
// meaning (and the compiler would warn about it), so it is spelled only there.
#pragma once

#if defined(__i386__) || defined(_M_IX86)
#define VOQ_STDCALL __attribute__((stdcall))
#else
#define VOQ_STDCALL
#endif
