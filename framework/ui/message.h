// The message function lives with the framework's base services, which
// report through it too.
#pragma once

#include "framework/base/message.h"
