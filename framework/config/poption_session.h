// Session options: read and written with the session (the event broadcasts
// OnSessionRead and OnSessionWrite), not with the other options under
// "Options".
#pragma once

#include <cstdint>

#include "framework/config/poption.h"
#include "framework/ui/ev_handler.h"

class INIStream;

// Serves one option on the session broadcasts, whose value is the session's
// stream (SessionStreamValue).
class PSessionOption : public PEvHandler {
 public:
  explicit PSessionOption(POption& option);

  void OnSessionRead(uint32_t stream) override;
  void OnSessionWrite(uint32_t stream) override;

 private:
  POption& option_;
};

// The value a session broadcast carries for a stream, and back: a pointer
// fits the 32-bit value on the 32-bit platform.
uint32_t SessionStreamValue(INIStream& stream);
INIStream* SessionStream(uint32_t value);

template <class Option>
class PSessionVariant : public Option {
 public:
  using Option::Option;

 private:
  PSessionOption session_{*this};
};

using PBoolOptionSes = PSessionVariant<PBoolOption>;
using PRadioOptionSes = PSessionVariant<PRadioOption>;
using PStringOptionSes = PSessionVariant<PStringOption>;
using PIntValueOptionSes = PSessionVariant<PIntValueOption>;
using PFolderOptionSes = PSessionVariant<PFolderOption>;
using PFileOptionSes = PSessionVariant<PFileOption>;
