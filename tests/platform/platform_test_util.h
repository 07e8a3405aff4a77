// Small helpers of the platform checks, usable on both builds (the text
// helpers of every test are in tests/support/test_text.h).
#pragma once

#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "platform/platform.h"
#include "tests/support/test_text.h"

// Poisons the last error, so that "left unchanged" differs from "set".
const DWORD kPoison = 0xdeadbeef;
