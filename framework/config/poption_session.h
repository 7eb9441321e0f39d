// Session options: read and written with the session (the event broadcasts
// OnSessionRead and OnSessionWrite), not with the other options under
// "Options".
#pragma once

#include "framework/config/poption.h"
#include "framework/base/ev_handler.h"

class INIStream;

// Serves one option on the session broadcasts, which carry the session's
// stream.
class PSessionOption : public PEvHandler {
 public:
  explicit PSessionOption(POption& option);

  void OnSessionRead(INIStream* stream) override;
  void OnSessionWrite(INIStream* stream) override;

 private:
  POption& option_;
};

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
