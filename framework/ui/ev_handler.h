// Event handlers live with the framework's base services, so that the
// configuration layer's session options can be handlers too.
#pragma once

#include "framework/base/ev_handler.h"
