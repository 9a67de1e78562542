// The program entry: the data module first, then the main window and its dialogs; the
// start-up sequence runs when the main window is first shown.
#include "ApplicationSetup.h"
#include "MainFromUnit.h"
#include "ProgramLifecycle.h"
#include "ShareDMUnit.h"
#include "StoreEditorUnit.h"
#include "SysLoginUnit.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    SetUpApplication(app);

    TShareDM dataModule;
    TMainForm MainForm(GetAppPath());
    TStoreEditorfrm StoreEditorfrm(&MainForm);
    MainForm.setStoreEditor(&StoreEditorfrm);
    TSysLoginfrm SysLoginfrm(&MainForm);
    ProgramLifecycle lifecycle(GetAppPath(), SysLoginfrm);
    MainForm.setLifecycle(&lifecycle);

    MainForm.show();
    return app.exec();
}
