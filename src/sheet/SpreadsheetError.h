#pragma once

#include "platform/UserError.h"

#include <QString>
#include <stdexcept>

// A failure of the spreadsheet layer: an address it cannot read, a file it cannot write.
class SpreadsheetError : public UserError {
public:
    using UserError::UserError;
};

// Writing a workbook was stopped through its progress function; no file was left behind.
class SpreadsheetCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "spreadsheet writing cancelled"; }
};
