// Session options: read and written with the session, not with the other
// options under "Options".
#pragma once

#include <vector>

#include "framework/config/poption.h"

class INIStream;

// Serves one option on the session broadcasts.
class PSessionOption {
 public:
  explicit PSessionOption(POption& option);
  ~PSessionOption();
  PSessionOption(const PSessionOption&) = delete;
  PSessionOption& operator=(const PSessionOption&) = delete;

  void OnSessionRead(INIStream& stream) { option_.Read(stream); }
  void OnSessionWrite(INIStream& stream) { option_.Write(stream); }

  // The session broadcasts: every registered session option in turn.
  static void BroadcastSessionRead(INIStream& stream);
  static void BroadcastSessionWrite(INIStream& stream);

 private:
  static std::vector<PSessionOption*>& Handlers();
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
