#include "framework/config/poption_session.h"

#include <cstdint>

static_assert(sizeof(void*) == sizeof(uint32_t), "session broadcasts carry the stream as a 32-bit value");

PSessionOption::PSessionOption(POption& option) : option_(option) {
  // Off the process-wide list by identity: an option listed earlier under the
  // same key stays there. The event-handler registration (default priority)
  // is the PEvHandler part's.
  INIEntryList::Remove(&option);
}

void PSessionOption::OnSessionRead(uint32_t stream) {
  if (INIStream* s = SessionStream(stream)) option_.Read(*s);
}

void PSessionOption::OnSessionWrite(uint32_t stream) {
  if (INIStream* s = SessionStream(stream)) option_.Write(*s);
}

uint32_t SessionStreamValue(INIStream& stream) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&stream)); }

INIStream* SessionStream(uint32_t value) { return reinterpret_cast<INIStream*>(static_cast<uintptr_t>(value)); }
