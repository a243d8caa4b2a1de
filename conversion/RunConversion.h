#pragma once

#include "conversion/ConversionScript.h"

class Program;

enum class RunOutcome {
    Refused,   // a check failed: a message was shown and nothing was started
    Succeeded, // every line ended well; the console window closed by itself
    Failed,    // a line failed or the user stopped the run; the console window stays open
};

// An Encode or Decode run of the main window's list, from the checks to the end of the
// script. Returns once the script has ended; window events go on meanwhile, with the main
// window disabled. After a failed run the main window stays disabled until its timer has
// seen the console window closed and shown the end-of-run notice.
RunOutcome RunConversion(Program& program, Direction direction);
