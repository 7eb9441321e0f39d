#include "framework/config/poption_session.h"

#include <algorithm>

PSessionOption::PSessionOption(POption& option) : option_(option) {
  // Off the process-wide list by identity: an option listed earlier under the
  // same key stays there.
  INIEntryList::Remove(&option);
  Handlers().push_back(this);
}

PSessionOption::~PSessionOption() {
  auto& handlers = Handlers();
  handlers.erase(std::remove(handlers.begin(), handlers.end(), this), handlers.end());
}

std::vector<PSessionOption*>& PSessionOption::Handlers() {
  static std::vector<PSessionOption*>* handlers = new std::vector<PSessionOption*>;
  return *handlers;
}

void PSessionOption::BroadcastSessionRead(INIStream& stream) {
  const std::vector<PSessionOption*> handlers = Handlers();
  for (PSessionOption* h : handlers) h->OnSessionRead(stream);
}

void PSessionOption::BroadcastSessionWrite(INIStream& stream) {
  const std::vector<PSessionOption*> handlers = Handlers();
  for (PSessionOption* h : handlers) h->OnSessionWrite(stream);
}
