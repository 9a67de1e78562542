// The program entry: the data module first, then the main window and its dialogs, each given the
// data module; the start-up sequence runs when the main window is first shown.
#include "app/ApplicationSetup.h"
#include "app/ProgramLifecycle.h"
#include "app/SysLoginUnit.h"
#include "data/ProgramFolders.h"
#include "data/ShareDMUnit.h"
#include "stock/StoreEditorUnit.h"
#include "ui/MainFromUnit.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    SetUpApplication(app);

    // Beside the executable in the build folder and a portable copy; the share folder and the
    // user's data folder when installed.
    const ProgramFolders folders = CurrentProgramFolders();
    TShareDM ShareDM;
    TMainForm MainForm(ShareDM, folders.resources);
    TStoreEditorfrm StoreEditorfrm(ShareDM, &MainForm);
    MainForm.setStoreEditor(&StoreEditorfrm);
    TSysLoginfrm SysLoginfrm(ShareDM, &MainForm);
    ProgramLifecycle lifecycle(ShareDM, folders, SysLoginfrm);
    MainForm.setLifecycle(&lifecycle);

    MainForm.show();
    return app.exec();
}
