// Bilingual texts live with the framework's base services, which show them
// too.
#pragma once

#include "framework/base/ml_text.h"
