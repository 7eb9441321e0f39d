#include "framework/config/poption_session.h"

PSessionOption::PSessionOption(POption& option) : option_(option) {
  // Off the process-wide list by identity: an option listed earlier under the
  // same key stays there. The event-handler registration (default priority)
  // is the PEvHandler part's.
  INIEntryList::Remove(&option);
}

void PSessionOption::OnSessionRead(INIStream* stream) {
  if (stream) option_.Read(*stream);
}

void PSessionOption::OnSessionWrite(INIStream* stream) {
  if (stream) option_.Write(*stream);
}
