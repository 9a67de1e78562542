#pragma once

// Dates and numbers follow the system locale; a bare C or POSIX locale means Simplified
// Chinese. Text sorting follows the same locale. Runs before the first date picker is made.
void SetProgramLocale();
