#pragma once

#include "platform/UserError.h"

#include <QString>
#include <stdexcept>

// A failure of the report engine (a template that cannot be read, a reference that names no
// field, a printer or file that cannot be written). Carries a message for the user; only
// windows turn it into a message box.
class ReportError : public UserError {
public:
    using UserError::UserError;
};
