#pragma once

class TMainForm;

// What happens when the main window is first shown, asked to close and closed. The program's
// start-up and exit sequence implements it; the window only forwards its events.
class MainFormLifecycle {
public:
    virtual ~MainFormLifecycle() = default;
    virtual void FormShow(TMainForm& form) = 0;
    virtual void FormCloseQuery(TMainForm& form, bool& CanClose) = 0;
    virtual void FormClose(TMainForm& form) = 0;
};
